#pragma once

#include <QByteArray>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "acquisition/AcquisitionHost.h"
#include "acquisition/CodeConversion.h"
#include "acquisition/DeviceType.h"

// Cuts the received bytes into forms and keeps the progress strip going.
//
// A form's text runs from its first byte to its form end, across as many reading passes as it
// takes, and every delivery puts all of it into the view. The count a pass reports is the
// number of characters it stored: form ends and dropped zero bytes are not characters, and
// text carried in from an earlier pass is not counted again.
//
// A stream that never brings a form end (a wrong speed, a faulty device) must not fill the
// memory: a form that has reached `formLimit` bytes is delivered as it stands, cut short, when
// more text comes, and the text goes on into a new form.
class FormAssembler {
public:
    static constexpr int kStepBytes = 200;
    // Far above any real form, which is a few kilobytes.
    static constexpr qsizetype kMaxFormBytes = qsizetype{16} << 20;

    explicit FormAssembler(AcquisitionHost& host, qsizetype formLimit = kMaxFormBytes)
        : m_host(host), m_showsProgress(host.showsProgress()), m_formLimit(formLimit) {}

    // `storedBefore` lets a test begin a pass near the top of a 32-bit count without sending
    // gigabytes.
    void startPass(std::int64_t storedBefore = 0);

    // Inline, as it runs for every byte of the stream.
    void handleByte(std::uint8_t received) {
        if (received == kFormEnd) {
            endForm();
            return;
        }
        if (m_current.size() >= m_formLimit) cutForm();
        const std::uint8_t stored = convert866To1251(received);
        if (stored != 0) {
            m_current.append(static_cast<char>(stored));
            ++m_storedThisPass;
            m_delivered = false;
        }
        if (--m_stepCountdown == 0) step();
    }

    // handleByte for each of `bytes` in turn, for a line without echo, until `stop` is set (by
    // a window call it made): returns how many bytes were handled, at least one.
    std::size_t handleBytes(std::span<const std::uint8_t> bytes, const std::atomic<int>& stop);

    // At the closing report: the form so far, unless the pass ended right at a form end
    // (the new form is empty then and stays untouched).
    void deliverAtPassEnd();
    // Before the exchange breaks off: whatever has not reached a view yet.
    void deliverRemainder();

    std::int64_t storedThisPass() const { return m_storedThisPass; }
    bool formCompletedThisPass() const { return m_formCompleted; }

private:
    void endForm();
    void cutForm();
    void beginNextForm();
    void deliver(bool complete);
    void step();

    AcquisitionHost& m_host;
    const bool m_showsProgress;
    const qsizetype m_formLimit;
    QByteArray m_current;  // cp1251
    // Wide: a line that streams for hours passes 2^31 characters, and a count that wrapped
    // negative would no longer let silence end the pass.
    std::int64_t m_storedThisPass = 0;
    int m_stepCountdown = kStepBytes;
    int m_formNumber = 1;          // of the form being received, in this exchange
    bool m_formCompleted = false;  // a form was ended or cut this pass
    bool m_delivered = true;       // the view shows m_current as it stands
};
