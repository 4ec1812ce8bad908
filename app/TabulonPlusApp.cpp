#include "app/TabulonPlusApp.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QSettings>

#include "acquisition/AcquisitionThreadProc.h"
#include "app/AboutDlg.h"
#include "forms/FormPrinter.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "frames/CommandRouter.h"
#include "frames/FormWindows.h"
#include "frames/MainFrame.h"
#include "platform/MemoryRelease.h"
#include "res/CommandIds.h"
#include "settings/IniPath.h"

CTabulonPlusApp theApp;

CTabulonPlusApp::~CTabulonPlusApp() = default;

QSettings CTabulonPlusApp::userProfile() {
    return QSettings(QStringLiteral("Local AppWizard-Generated Applications"),
                     QStringLiteral("Tabulon"));
}

bool CTabulonPlusApp::InitInstance(const QStringList& args) {
    keepLargeBlocksInTheHeap();
    // The settings dialog reads the configuration file as the main frame is built.
    g_strIniPath = computeIniPath();

    {
        QSettings profile = userProfile();
        m_recentFiles.readList(profile);
        m_previewPages = profile.value(QStringLiteral("Settings/PreviewPages"), 0).toInt();
    }

    if (!m_threadProc) m_threadProc = static_cast<unsigned (*)(void*)>(&AcquisitionThreadProc);
    auto* frame = new CMainFrame(m_threadProc);
    if (!frame->OnCreate()) {
        delete frame;
        return false;
    }
    m_pMainWnd = frame;
    frame->commands().add(id::ID_APP_ABOUT, [this] { OnAppAbout(); });
    frame->commands().add(id::ID_FILE_NEW, [this] { OnFileNew(); });
    frame->commands().add(id::ID_FILE_OPEN, [this] { OnFileOpen(); });
    frame->commands().add(id::ID_FILE_PRINT_SETUP, [this] { OnFilePrintSetup(); });
    frame->commands().add(id::ID_APP_EXIT, [frame] { frame->close(); });
    QObject::connect(&frame->forms().formTemplate(), &CFormTemplate::recentFileAdded, frame,
                     [this](const QString& path) { m_recentFiles.add(path); });

    if (!ProcessShellCommand(ParseCommandLine(args))) return false;

    // Maximized whatever show state the program was started with, and painted at once.
    frame->commands().refresh();
    // Where no window manager maximizes windows the frame still covers the screen.
    if (QScreen* screen = frame->screen()) frame->setGeometry(screen->availableGeometry());
    frame->showMaximized();
    frame->repaint();
    return true;
}

int CTabulonPlusApp::ExitInstance() {
    QSettings profile = userProfile();
    m_recentFiles.writeList(profile);
    profile.setValue(QStringLiteral("Settings/PreviewPages"), m_previewPages);
    // The windows go while the Qt application object still exists; the frame joins any worker.
    delete m_pMainWnd;
    m_pMainWnd = nullptr;
    return 0;
}

bool CTabulonPlusApp::ProcessShellCommand(const CCommandLineInfo& info) {
    switch (info.m_shellCommand) {
        case CCommandLineInfo::FileNew:
            OnFileNew();
            return true;
        case CCommandLineInfo::FileOpen:
            return m_pMainWnd->forms().formTemplate().openDocumentFile(info.m_fileName) !=
                   nullptr;
        case CCommandLineInfo::FilePrint:
        case CCommandLineInfo::FilePrintTo:
            printFile(info);
            return false;
        case CCommandLineInfo::AppUnregister:
            return false;  // nothing was ever registered
        case CCommandLineInfo::FileDDE:
        case CCommandLineInfo::FileNothing:
            return true;
    }
    return true;
}

bool CTabulonPlusApp::printFile(const CCommandLineInfo& info) {
    CFormTemplate& forms = m_pMainWnd->forms().formTemplate();
    if (!forms.openDocumentFile(info.m_fileName)) return false;
    if (info.m_shellCommand == CCommandLineInfo::FilePrintTo && !info.m_printerName.isEmpty())
        tabulonPrinter().setPrinterName(info.m_printerName);
    CTabulonPlusView* view = forms.activeView();
    const bool printed = view && view->onCommand(id::ID_FILE_PRINT_DIRECT);
    // The printed form goes unasked: it was opened only to be printed.
    if (CTabulonPlusDoc* doc = forms.activeDocument()) forms.destroyDocument(doc);
    return printed;
}

void CTabulonPlusApp::OnAppAbout() {
    CAboutDlg about(m_pMainWnd);
    about.exec();
}

void CTabulonPlusApp::OnFileNew() {
    if (m_pMainWnd) m_pMainWnd->forms().formTemplate().openNewDocument();
}

void CTabulonPlusApp::OnFileOpen() {
    if (m_pMainWnd) m_pMainWnd->forms().formTemplate().OnFileOpen(m_pMainWnd);
}

void CTabulonPlusApp::OnFilePrintSetup() {
    QPrintDialog dialog(&tabulonPrinter(), m_pMainWnd);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    dialog.exec();
}
