#pragma once

#include <QString>

#include "sites/Site.h"

namespace Ui {
class SitesDialog;
}

// The fields of the window "Объекты" for a site behind a modem: the call through our modem
// (phone, init string, bearer, dial time-out) and the modem that calls in (hello, address, how
// often it is read). Each value is read as the book reads its key, with the book's message, so
// the window and the file can never disagree on what a site may be.
class SiteModemFields {
public:
    explicit SiteModemFields(Ui::SitesDialog& ui);

    void show(const Site& site);
    // Whether the operator may edit the fields; the call's other fields wait for a phone.
    void setEnabled(bool enabled);
    // The fields into `site` (its name set, for the message); the reader's message for the first
    // that is wrong, empty when all are right.
    QString read(Site& site) const;

private:
    QString readCall(Site& site) const;
    QString readCallIn(Site& site) const;

    Ui::SitesDialog& m_ui;
};
