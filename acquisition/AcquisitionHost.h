#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "acquisition/ExchangeOutcome.h"

// The windows as the worker sees them. Every call is synchronous: it returns when the
// user-interface thread has carried it out. The main frame implements it; tests fake it.
class AcquisitionHost {
public:
    struct SettingsStrings {
        QString port, device, rate;
    };

    virtual ~AcquisitionHost() = default;

    virtual void setProgressPos(int pos) = 0;  // progress bar position
    virtual void stepProgress() = 0;           // progress bar one step
    virtual void setByteCounterText(const QString& text) = 0;
    // False for a host with no progress strip: the steps within a pass are then not made (the
    // counter at the pass start and at its end still is), which spares a fast line the texts.
    virtual bool showsProgress() const { return true; }
    // The longest text a form reaches before it is cut short and the text goes on in a new
    // form (see FormAssembler); 0 for the assembler's own. A host that shows each form in a
    // window of its own may want smaller pieces than one that only writes them.
    virtual qsizetype formLimit() const { return 0; }

    // Where a dial-up site's call stands ("Набор номера…", then the modem's CONNECT), shown
    // beside the progress; empty once there is none to show.
    virtual void showCallState(const QString& text) { (void)text; }

    // Replaces the whole text of the registered form view (cp1251 bytes). Returns false when
    // no live view is registered; nothing is shown then.
    virtual bool setViewText(const QByteArray& cp1251) = 0;
    virtual void setViewModified() = 0;  // marks the document of that view modified
    virtual void newForm() = 0;          // File → New; the new view registers itself

    // The text a form's window has just been given, right after setViewText (also when there
    // was no view to take it): `number` counts the forms of the exchange from 1, `complete`
    // says its form end has come. A form cut short by a pass end or a broken line comes again,
    // longer, when more of it arrives. Keeping a copy is up to the host.
    virtual void formDelivered(int number, const QByteArray& cp1251, bool complete) {
        (void)number, (void)cp1251, (void)complete;
    }

    // The worker's questions and failures, by meaning: how they are put to the operator is the
    // host's affair. A question returns true for yes; a host whose operator is leaving
    // answers no.
    virtual bool askToStart() = 0;
    // At a pass end that stored `count` characters: another pass?
    virtual bool askToContinue(std::int64_t count) = 0;
    // Why the exchange ends; returns once the operator has taken note. `detail` as for
    // failureText.
    virtual void reportFailure(ExchangeOutcome kind, const QString& detail) = 0;

    // The settings dialog's three strings, and writing them to the configuration file.
    // writeSettingsFile reports its own failure to the operator and returns false then.
    virtual SettingsStrings settingsStrings() = 0;
    virtual bool writeSettingsFile(const SettingsStrings& strings) = 0;

    // The exchange is over, the port closed: how it ended and how many bytes the line brought.
    // The last call of the worker, on its thread; a host that keeps a record of the exchange
    // keeps it here.
    virtual void exchangeEnded(ExchangeOutcome outcome, std::uint64_t bytesRead) {
        (void)outcome, (void)bytesRead;
    }
};
