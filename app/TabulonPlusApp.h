#pragma once

#include <QPointer>
#include <QStringList>
#include <functional>

#include "app/CommandLineInfo.h"
#include "app/RecentFileList.h"

class CMainFrame;
class QSettings;

// The application: start-up, the commands that belong to no window (About, New, Open, Print
// Setup, Exit), and the per-user profile. The Qt application object itself is main()'s; this
// one holds what the program adds to it.
class CTabulonPlusApp {
public:
    CTabulonPlusApp() = default;
    ~CTabulonPlusApp();
    CTabulonPlusApp(const CTabulonPlusApp&) = delete;
    CTabulonPlusApp& operator=(const CTabulonPlusApp&) = delete;

    // Start-up; `args` are the words after the program's name. False ends the program: the main
    // window could not be made, the named form could not be opened, or a print switch printed
    // its file.
    bool InitInstance(const QStringList& args);
    // Writes the per-user profile back; call once the event loop has ended.
    int ExitInstance();

    void OnAppAbout();
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();

    // The exchange the connect command runs on the worker thread; the real worker unless a test
    // gives its own before InitInstance.
    void setThreadProc(std::function<unsigned(void*)> proc) { m_threadProc = std::move(proc); }

    CMainFrame* mainFrame() const { return m_pMainWnd; }
    const RecentFileList& recentFiles() const { return m_recentFiles; }

    // The per-user profile: "Local AppWizard-Generated Applications" / "Tabulon".
    static QSettings userProfile();

private:
    bool ProcessShellCommand(const CCommandLineInfo& info);
    bool printFile(const CCommandLineInfo& info);

    CMainFrame* m_pMainWnd = nullptr;
    RecentFileList m_recentFiles{4};
    int m_previewPages = 0;
    std::function<unsigned(void*)> m_threadProc;
};

extern CTabulonPlusApp theApp;
