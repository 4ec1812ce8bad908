#pragma once

#include <QObject>
#include <QPointer>

class ArchiveWindow;
class CommandRouter;
class MonthRoundWindow;
class QWidget;

// The windows over the archive: "Архив форм" and "Сбор за месяц", with the commands that open
// them, the dialog "Архив" and the archive's folder in the file manager. Each window is made
// when first asked for, and made anew when the operator has chosen another archive folder
// since. What they ask of the frame (a form opened, a site to connect to) comes out as signals.
class ArchiveWindows : public QObject {
    Q_OBJECT
public:
    explicit ArchiveWindows(QWidget* frame);
    ~ArchiveWindows() override;

    // "Архив", "Открыть папку архива", "Сбор за месяц" and "Архив форм".
    void addCommands(CommandRouter& commands);

    // "Архив форм" over the archive's folder of the moment; its forms come out as formOpened.
    ArchiveWindow* archiveWindow();
    // "Сбор за месяц", brought to the front.
    void showMonthRound();
    void closeAll();
    // An exchange has ended: the forms it archived show in "Архив форм" if it is open.
    void exchangeEnded();
    // The windows open over another folder than the archive's of now show the archive's.
    void followFolder();

signals:
    void formOpened(const QString& path);
    void connectRequested(const QString& site);

private:
    // Shows the archive's folder in the desktop's file manager, making it first if need be.
    void openArchiveFolder();

    QWidget* m_frame;
    QPointer<ArchiveWindow> m_archive;
    QPointer<MonthRoundWindow> m_monthRound;
};
