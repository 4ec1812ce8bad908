#include "frames/ArchiveWindows.h"

#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <QWidget>

#include "archive/ArchiveDialog.h"
#include "archive/ArchiveName.h"
#include "archive/ArchiveSettings.h"
#include "frames/CommandRouter.h"
#include "index/ArchiveWindow.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"
#include "res/Texts.h"
#include "sites/MonthRoundWindow.h"
#include "sites/SiteBook.h"
#include "store/StoreAddress.h"

ArchiveWindows::ArchiveWindows(QWidget* frame) : QObject(frame), m_frame(frame) {}

ArchiveWindows::~ArchiveWindows() {
    delete m_archive;
}

void ArchiveWindows::addCommands(CommandRouter& commands) {
    commands.add(id::ID_ARCHIVE_SETTINGS, [this] {
        if (ArchiveDialog::showModal(m_frame) == msg::IDOK) followFolder();
    });
    commands.add(id::ID_ARCHIVE_OPEN_FOLDER, [this] { openArchiveFolder(); });
    commands.add(id::ID_MONTH_ROUND, [this] { showMonthRound(); });
    commands.add(id::ID_ARCHIVE_BROWSE, [this] { archiveWindow()->showArchive(); });
}

void ArchiveWindows::openArchiveFolder() {
    const QString folder = ArchiveSettings::load().folder;
    if (!QDir().mkpath(folder)) {
        tabulonMessageBox(texts::cannotCreateArchiveFolder(QDir::toNativeSeparators(folder)),
                          msg::MB_ICONEXCLAMATION);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        tabulonMessageBox(texts::cannotOpenArchiveFolder(QDir::toNativeSeparators(folder)),
                          msg::MB_ICONEXCLAMATION);
}

ArchiveWindow* ArchiveWindows::archiveWindow() {
    const QString folder = ArchiveSettings::load().folder;
    if (m_archive && m_archive->root() != folder) delete m_archive;
    if (!m_archive) {
        // A window of its own rather than one kept above the frame, so that the form opened
        // from it can come to the front; it goes with the frame.
        m_archive = new ArchiveWindow(folder);
        m_archive->setAttribute(Qt::WA_QuitOnClose, false);
        connect(m_archive, &ArchiveWindow::formOpened, this, &ArchiveWindows::formOpened);
    }
    return m_archive;
}

void ArchiveWindows::showMonthRound() {
    const QString root = ArchiveSettings::load().folder;
    QDate month;
    // The archive folder chosen since is where the records are now.
    if (m_monthRound && m_monthRound->archiveRoot() != root) {
        month = m_monthRound->month();
        delete m_monthRound;
    }
    if (!m_monthRound) {
        m_monthRound =
            new MonthRoundWindow(SiteBook::userPath(), root, StoreAddress::find(), m_frame);
        if (month.isValid()) m_monthRound->setMonth(month);
        // A site's forms of a month are shown in "Архив форм", where they can be searched; its
        // tree knows a site by its folder.
        connect(m_monthRound, &MonthRoundWindow::formsRequested, this,
                [this](const QString& site, const QDate& forms) {
                    archiveWindow()->showForms(ArchiveName::siteFolder(site), forms);
                });
        connect(m_monthRound, &MonthRoundWindow::connectRequested, this,
                &ArchiveWindows::connectRequested);
    }
    m_monthRound->show();
    m_monthRound->raise();
    m_monthRound->activateWindow();
}

void ArchiveWindows::followFolder() {
    const QString root = ArchiveSettings::load().folder;
    if (m_monthRound && m_monthRound->isVisible() && m_monthRound->archiveRoot() != root)
        showMonthRound();
    if (m_archive && m_archive->isVisible() && m_archive->root() != root)
        archiveWindow()->showArchive();
}

void ArchiveWindows::exchangeEnded() {
    if (m_archive) m_archive->refresh();
}

void ArchiveWindows::closeAll() {
    if (m_archive) m_archive->close();
    if (m_monthRound) m_monthRound->close();
}
