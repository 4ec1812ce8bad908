#include "acquisition/FormAssembler.h"

#include "acquisition/AcquisitionTexts.h"
#include "acquisition/CodeConversion.h"
#include "acquisition/DeviceType.h"

void FormAssembler::startPass() {
    m_formCompleted = false;
    m_stepCountdown = kStepBytes;
    m_storedThisPass = 0;
}

void FormAssembler::handleByte(std::uint8_t received) {
    if (received == kFormEnd) {
        endForm();
        return;
    }
    const std::uint8_t stored = Convert866To1251(received);
    if (stored != 0) {
        m_current.append(static_cast<char>(stored));
        ++m_storedThisPass;
        m_delivered = false;
    }
    countStep();
}

void FormAssembler::countStep() {
    if (--m_stepCountdown > 0) return;
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
    if (!m_formCompleted || !m_current.isEmpty()) deliver();
}

void FormAssembler::deliverRemainder() {
    if (!m_delivered) deliver();
}

void FormAssembler::deliver() {
    // The receiving view may have been closed; the text then goes into a new form instead.
    if (!m_host.setViewText(m_current)) {
        m_host.newForm();
        if (!m_host.setViewText(m_current)) return;
    }
    m_host.setViewModified();
    m_delivered = true;
}
