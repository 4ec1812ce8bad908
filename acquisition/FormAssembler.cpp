#include "acquisition/FormAssembler.h"

#include "res/Texts.h"

void FormAssembler::startPass() {
    m_formCompleted = false;
    m_stepCountdown = kStepBytes;
    m_storedThisPass = 0;
}

void FormAssembler::step() {
    m_stepCountdown = kStepBytes;
    m_host.stepProgress();
    m_host.setByteCounterText(texts::ByteCounterText(m_storedThisPass));
}

void FormAssembler::endForm() {
    deliver(true);
    ++m_formNumber;
    m_host.newForm();
    m_current.clear();
    m_formCompleted = true;
    m_delivered = true;
}

void FormAssembler::deliverAtPassEnd() {
    if (!m_formCompleted || !m_current.empty()) deliver(false);
}

void FormAssembler::deliverRemainder() {
    if (!m_delivered) deliver(false);
}

void FormAssembler::deliver(bool complete) {
    // The receiving view may have been closed; the text then goes into a new form instead.
    const QByteArray text = QByteArray::fromStdString(m_current);
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
