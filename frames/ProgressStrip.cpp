#include "frames/ProgressStrip.h"

#include <QLineEdit>
#include <QProgressBar>

#include "ui_ProgressBar.h"

int steppedPosition(int pos, int step, int minimum, int maximum) {
    const long long next = static_cast<long long>(pos) + step;
    const long long span = static_cast<long long>(maximum) - minimum;
    if (span <= 0) return minimum;
    if (next > maximum) return static_cast<int>(minimum + (next - minimum) % span);
    if (next < minimum) return static_cast<int>(maximum - (maximum - next) % span);
    return static_cast<int>(next);
}

ProgressStrip::ProgressStrip(QWidget* parent) : QWidget(parent) {
    Ui::ProgressBar ui;
    ui.setupUi(this);
    m_bar = ui.IDC_PROGRESS;
    m_counter = ui.IDC_BYTE_COUNT;
    // Eight dialog units are too low for the text of today's fonts: the field grows about its
    // centre line so that the count stays readable.
    const QRect field = m_counter->geometry();
    const int height = qMax(field.height(), m_counter->sizeHint().height());
    m_counter->setGeometry(field.x(), field.center().y() - height / 2, field.width() + 30, height);
    setFixedHeight(qMax(minimumHeight(), m_counter->geometry().bottom() + 4));
}

void ProgressStrip::setRange(int minimum, int maximum) {
    m_bar->setRange(minimum, maximum);
}

void ProgressStrip::setPos(int pos) {
    m_bar->setValue(pos);
}

void ProgressStrip::stepIt() {
    m_bar->setValue(steppedPosition(position(), m_step, m_bar->minimum(), m_bar->maximum()));
}

void ProgressStrip::setByteCounterText(const QString& text) {
    m_counter->setText(text);
}

void ProgressStrip::setCallText(const QString& text) {
    m_bar->setFormat(text);
    m_bar->setTextVisible(!text.isEmpty());
}

QString ProgressStrip::callText() const {
    return m_bar->isTextVisible() ? m_bar->format() : QString();
}

int ProgressStrip::position() const {
    // A fresh QProgressBar reports minimum - 1 until a value is set.
    return qMax(m_bar->value(), m_bar->minimum());
}

QString ProgressStrip::byteCounterText() const {
    return m_counter->text();
}
