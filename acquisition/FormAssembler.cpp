#include "acquisition/FormAssembler.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "res/Texts.h"

namespace {

// Convert866To1251 of every byte value, so that a run is converted without a branch per byte.
constexpr std::array<std::uint8_t, 256> kTo1251 = [] {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = Convert866To1251(static_cast<std::uint8_t>(b));
    return table;
}();

}  // namespace

void FormAssembler::startPass() {
    m_formCompleted = false;
    m_stepCountdown = kStepBytes;
    m_storedThisPass = 0;
}

void FormAssembler::step() {
    m_stepCountdown = kStepBytes;
    if (!m_showsProgress) return;
    m_host.stepProgress();
    m_host.setByteCounterText(texts::ByteCounterText(m_storedThisPass));
}

std::size_t FormAssembler::handleBytes(std::span<const std::uint8_t> bytes,
                                       const std::atomic<int>& stop) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (m_current.size() >= m_formLimit && bytes[done] != kFormEnd) cutForm();
        // A run ends before the next form end, at the next progress step, or where the form
        // reaches its limit (a form end is still looked for there).
        const auto room =
            static_cast<std::size_t>(std::max<qsizetype>(m_formLimit - m_current.size(), 1));
        const std::size_t length =
            std::min({bytes.size() - done, static_cast<std::size_t>(m_stepCountdown), room});
        const std::uint8_t* begin = bytes.data() + done;
        const auto* formEnd =
            static_cast<const std::uint8_t*>(std::memchr(begin, kFormEnd, length));
        const std::size_t run = formEnd ? static_cast<std::size_t>(formEnd - begin) : length;
        storeRun({begin, run});
        m_stepCountdown -= static_cast<int>(run);
        done += run;
        if (formEnd) {
            endForm();
            ++done;
        } else if (m_stepCountdown == 0) {
            step();
        }
        if (stop.load()) break;
    }
    return done;
}

void FormAssembler::storeRun(std::span<const std::uint8_t> bytes) {
    const qsizetype start = m_current.size();
    m_current.resize(start + static_cast<qsizetype>(bytes.size()));
    auto* out = reinterpret_cast<std::uint8_t*>(m_current.data()) + start;
    std::size_t stored = bytes.size();
    if (std::memchr(bytes.data(), 0, bytes.size()) == nullptr) {
        // No zero byte to drop, as nearly always: every byte is converted in its place, in a
        // loop without branches that the compiler turns into vector instructions.
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const std::uint8_t b = bytes[i];
            out[i] = static_cast<std::uint8_t>(
                b + (static_cast<std::uint8_t>(b - 0x80) < 0x30 ? 0x40 : 0) +
                (static_cast<std::uint8_t>(b - 0xE0) < 0x10 ? 0x10 : 0));
        }
    } else {
        stored = 0;
        for (const std::uint8_t byte : bytes) {
            // Written always, kept only when not zero.
            out[stored] = kTo1251[byte];
            stored += kTo1251[byte] != 0;
        }
    }
    m_current.resize(start + static_cast<qsizetype>(stored));
    if (stored == 0) return;
    m_storedThisPass += static_cast<int>(stored);
    m_delivered = false;
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
