#pragma once

#include <QWidget>

class QProgressBar;
class QLineEdit;

// The bar that takes the status bar's place during an exchange: a progress bar and the
// disabled byte counter. QProgressBar has no step of its own, so the strip keeps one and
// wraps past the maximum back to the start, as the classic progress control does.
class ProgressStrip : public QWidget {
    Q_OBJECT
public:
    explicit ProgressStrip(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    void setPos(int pos);
    void setStep(int step) { m_step = step; }
    void stepIt();
    void setByteCounterText(const QString& text);
    // Where a call through a modem stands, written across the bar; empty: the bar alone.
    void setCallText(const QString& text);

    int position() const;
    int step() const { return m_step; }
    QString byteCounterText() const;
    QString callText() const;
    QProgressBar* bar() const { return m_bar; }
    QLineEdit* byteCounter() const { return m_counter; }

private:
    QProgressBar* m_bar = nullptr;
    QLineEdit* m_counter = nullptr;
    int m_step = 10;  // the classic control's default until told otherwise
};

// The position after one step: past the maximum it starts again from the minimum.
int steppedPosition(int pos, int step, int minimum, int maximum);
