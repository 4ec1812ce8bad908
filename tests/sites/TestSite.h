#pragma once

#include <QString>

#include "sites/Site.h"

// A site of the book as the tests write it.
inline Site makeSite(const QString& name, const QString& port, int device = 1, int speed = 9600) {
    Site site;
    site.name = name;
    site.port = port;
    site.device = device;
    site.speed = speed;
    return site;
}
