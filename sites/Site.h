#pragma once

#include <QByteArray>
#include <QString>

#include "modem/DialPlan.h"
#include "settings/ExchangeChoice.h"

// One place the organisation reads a calculator at: what the connect flow needs to reach it,
// under a name the operator knows it by.
struct Site {
    QString name;  // unique in a book; Cyrillic and spaces allowed
    // The line the exchange opens: "COM3", "/dev/serial/by-id/…", "tcp://host:port",
    // "rfc2217://host:port"; for a dial-up site the modem's (the book's key `modem`).
    QString port;
    int device = kDefaultDeviceType;  // calculator type 0..5 (DeviceType)
    int speed = kDefaultSpeed;        // bit/s
    QString note;
    // A dial-up site: the calculator answers a call placed through the modem on `port`.
    QString phone;      // empty: no modem, the calculator is on `port` itself
    QString modemInit;  // empty: DialPlan's own
    QString bearer;     // e.g. "AT+CBST=7,0,1"; empty: the modem's own
    int dialTimeout = DialPlan::kDefaultDialTimeoutS;  // seconds

    bool isDialUp() const { return !phone.isEmpty(); }
    // The comment lines written right above the site's table, '#' included, so that a book
    // rewritten by the window keeps what a person wrote there.
    QString comment;

    // A site whose modem connects to the office (tabulon-collect --listen) rather than being
    // reached: it is known by the registration bytes its modem sends first, by the modem's IP
    // address, or by both. Neither ever reaches the exchange, nor do the heartbeat bytes.
    QByteArray hello;
    QString address;
    QByteArray heartbeat;
    // How often a site that stays connected is read, in seconds: at most once a day unless
    // the book says otherwise.
    static constexpr int kDefaultReadEvery = 24 * 60 * 60;
    int readEvery = kDefaultReadEvery;
    bool callsIn() const { return !hello.isEmpty() || !address.isEmpty(); }

    bool operator==(const Site&) const = default;
};
