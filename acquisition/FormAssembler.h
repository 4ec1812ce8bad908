#pragma once

#include <QByteArray>
#include <cstdint>

#include "acquisition/AcquisitionHost.h"

// Cuts the received bytes into forms and keeps the progress strip going.
//
// A form's text runs from its first byte to its form end, across as many reading passes as it
// takes, and every delivery puts all of it into the view. The count a pass reports is the
// number of characters it stored: form ends and dropped zero bytes are not characters, and
// text carried in from an earlier pass is not counted again.
class FormAssembler {
public:
    static constexpr int kStepBytes = 200;

    explicit FormAssembler(AcquisitionHost& host) : m_host(host) {}

    void startPass();
    void handleByte(std::uint8_t received);

    // At the closing report: the form so far, unless the pass ended right at a form end
    // (the new form is empty then and stays untouched).
    void deliverAtPassEnd();
    // Before the exchange breaks off: whatever has not reached a view yet.
    void deliverRemainder();

    int storedThisPass() const { return m_storedThisPass; }
    bool formCompletedThisPass() const { return m_formCompleted; }
    const QByteArray& currentText() const { return m_current; }

private:
    void endForm();
    void deliver();
    void countStep();

    AcquisitionHost& m_host;
    QByteArray m_current;
    int m_storedThisPass = 0;
    int m_stepCountdown = kStepBytes;
    bool m_formCompleted = false;
    bool m_delivered = true;  // the view shows m_current as it stands
};
