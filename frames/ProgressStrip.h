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

    void SetRange(int minimum, int maximum);
    void SetPos(int pos);
    void SetStep(int step) { m_step = step; }
    void StepIt();
    void SetByteCounterText(const QString& text);

    int Pos() const;
    int Step() const { return m_step; }
    QString ByteCounterText() const;
    QProgressBar* Bar() const { return m_bar; }
    QLineEdit* ByteCounter() const { return m_counter; }

private:
    QProgressBar* m_bar = nullptr;
    QLineEdit* m_counter = nullptr;
    int m_step = 10;  // the classic control's default until told otherwise
};

// The position after one step: past the maximum it starts again from the minimum.
int SteppedPosition(int pos, int step, int minimum, int maximum);
