#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QDialog;
class QWidget;

// The operator's side of every modal question a test meets, while it lives:
// - the program's message boxes (`tabulonMessageBox`), each noted and answered from a script
//   without a box being shown;
// - every modal dialog (the program's own, Qt's file, print and message boxes), handed to the
//   action the test gave for it once it is shown and its event loop runs. A modal dialog no
//   action is given for is told to reportUnansweredDialog and rejected, so a run never hangs
//   on one.
// The tests and the benchmarks both answer through it. Call on the UI thread only; one at a
// time.
class DialogAnswerer final : public QObject {
public:
    // Whether the program's message boxes are scripted here or shown as real boxes (then
    // answered as modal dialogs, by the name "QMessageBox").
    enum class Boxes { Scripted, Shown };

    struct Box {
        QString text;
        unsigned style;
        bool onUiThread;
        bool mainWindowEnabled;  // the window given to noteWindow, true without one
    };

    explicit DialogAnswerer(Boxes boxes = Boxes::Scripted);
    ~DialogAnswerer() override;

    // A box is answered by the first of: the answers queued by answerInOrder, the answer to
    // the first prefix given that it begins with, the fallback. The fallback closes the box:
    // OK where OK is its only button, Cancel otherwise.
    void answer(const QString& prefix, int answer);  // until changed
    void answerInOrder(std::deque<int> answers);
    void setFallback(int answer);
    // A test's own rule, asked before all others; -1 leaves the box to them.
    void answerWith(std::function<int(const QString& text, unsigned style)> rule);
    // Whose enabled state each box notes (the main window, disabled under a question).
    void noteWindow(std::function<const QWidget*()> window);
    bool sent(const QString& prefix) const;  // a box beginning with `prefix` came
    QStringList texts() const;               // the boxes' texts, in order
    QList<Box> boxes;                        // every box, in order; a test may clear it

    // `act` runs on every modal dialog called `name` (its object name, or a class it
    // inherits: "QDialog" matches any) once it shows, until replaced; an empty `act` drops it.
    void whenShown(const QString& name, std::function<void(QDialog*)> act);
    template <class Dialog>
    void whenShown(std::function<void(Dialog*)> act) {
        whenShown(QString::fromLatin1(Dialog::staticMetaObject.className()),
                  act ? [act](QDialog* d) { act(static_cast<Dialog*>(d)); }
                      : std::function<void(QDialog*)>());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int answerBox(const QString& text, unsigned style);
    const std::function<void(QDialog*)>* actionFor(const QDialog* dialog) const;

    std::deque<int> m_inOrder;
    QList<QPair<QString, int>> m_prefixAnswers;
    int m_fallback = -1;
    std::function<int(const QString&, unsigned)> m_rule;
    std::function<const QWidget*()> m_window;
    QList<QPair<QString, std::function<void(QDialog*)>>> m_actions;
    bool m_scripted;
};

// Told of each modal dialog no action was given for, before it is rejected. Each program that
// links the answerer defines it: the tests' library fails the test under way
// (UnansweredDialogFails.cpp), a benchmark gives up its run, whose figures would be of
// something else.
void reportUnansweredDialog(const QString& what);
