#include "acquisition/FormAssembler.h"

#include "res/Texts.h"

void FormAssembler::startPass(std::int64_t storedBefore) {
    m_formCompleted = false;
    m_stepCountdown = kStepBytes;
    m_storedThisPass = storedBefore;
}

void FormAssembler::step() {
    m_stepCountdown = kStepBytes;
    if (!m_showsProgress) return;
    m_host.stepProgress();
    m_host.setByteCounterText(texts::byteCounterText(m_storedThisPass));
}

std::size_t FormAssembler::handleBytes(std::span<const std::uint8_t> bytes,
                                       const std::atomic<int>& stop) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        handleByte(bytes[done++]);
        if (stop.load(std::memory_order_relaxed)) break;
    }
    return done;
}

void FormAssembler::endForm() {
    deliver(true);
    beginNextForm();
}

void FormAssembler::cutForm() {
    deliver(false);
    beginNextForm();
}

void FormAssembler::beginNextForm() {
    ++m_formNumber;
    m_host.newForm();
    // The text just delivered may be kept by the host; the next form gets a buffer of its own,
    // sized for one like it.
    const qsizetype lastSize = m_current.size();
    m_current = QByteArray();
    m_current.reserve(lastSize);
    m_formCompleted = true;
    m_delivered = true;
}

void FormAssembler::deliverAtPassEnd() {
    if (!m_formCompleted || !m_current.isEmpty()) deliver(false);
}

void FormAssembler::deliverRemainder() {
    if (!m_delivered) deliver(false);
}

void FormAssembler::deliver(bool complete) {
    // The receiving view may have been closed; the text then goes into a new form instead.
    const QByteArray& text = m_current;
    bool shown = m_host.setViewText(text);
    if (!shown) {
        m_host.newForm();
        shown = m_host.setViewText(text);
    }
    if (shown) {
        m_host.setViewModified();
        m_delivered = true;
    }
    // A copy is kept even when no window could take the text.
    m_host.formDelivered(m_formNumber, text, complete);
}
