#include "acquisition/FormAssembler.h"

#include "acquisition/AcquisitionTexts.h"

void FormAssembler::startPass() {
    m_formCompleted = false;
    m_stepCountdown = kStepBytes;
    m_storedThisPass = 0;
}

void FormAssembler::step() {
    m_stepCountdown = kStepBytes;
    m_host.stepProgress();
    m_host.setByteCounterText(acqtext::ByteCounterText(m_storedThisPass));
}

void FormAssembler::endForm() {
    deliver();
    m_host.newForm();
    m_current.clear();
    m_formCompleted = true;
    m_delivered = true;
}

void FormAssembler::deliverAtPassEnd() {
    if (!m_formCompleted || !m_current.empty()) deliver();
}

void FormAssembler::deliverRemainder() {
    if (!m_delivered) deliver();
}

void FormAssembler::deliver() {
    // The receiving view may have been closed; the text then goes into a new form instead.
    const QByteArray text = QByteArray::fromStdString(m_current);
    if (!m_host.setViewText(text)) {
        m_host.newForm();
        if (!m_host.setViewText(text)) return;
    }
    m_host.setViewModified();
    m_delivered = true;
}
