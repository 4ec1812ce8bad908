#pragma once

#include <QString>

#include "settings/ExchangeChoice.h"

// One place the organisation reads a calculator at: what the connect flow needs to reach it,
// under a name the operator knows it by.
struct Site {
    QString name;  // unique in a book; Cyrillic and spaces allowed
    QString port;  // "COM3", "/dev/serial/by-id/…", "tcp://host:port", "rfc2217://host:port"
    int device = kDefaultDeviceType;  // calculator type 0..5 (DeviceType)
    int speed = kDefaultSpeed;        // bit/s
    QString note;
    // The comment lines written right above the site's table, '#' included, so that a book
    // rewritten by the window keeps what a person wrote there.
    QString comment;

    bool operator==(const Site&) const = default;
};
