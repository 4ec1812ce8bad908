#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressBar>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <atomic>
#include <thread>

#include "AppFixture.h"
#include "forms/FormPrinter.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "frames/HelpWindow.h"
#include "frames/MainFrame.h"
#include "frames/ProgressStrip.h"
#include "res/CommandIds.h"
#include "res/CommandMenu.h"
#include "res/MessageBox.h"

namespace {

class StartUp : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        WriteFile(m_iniPath, Cp1251("PORT = COM2\r\nDEVICE = КСМ-Ж\r\nRATE = 4800"));
    }
    static void WriteFile(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList MenuTitles() const {
        QStringList titles;
        for (QAction* a : Frame()->menuBar()->actions()) titles.append(a->text());
        return titles;
    }
};

TEST_F(StartUp, OneEmptyFormInAMaximizedWindowWithTheFormMenu) {
    ASSERT_TRUE(StartApp());
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_TRUE(Frame()->isMaximized());
    EXPECT_EQ(Titles(), QStringList({"Безымянный1"}));
    EXPECT_TRUE(Frame()->ShowsFormMenu());
    EXPECT_EQ(MenuTitles(), QStringList({"&Файл", "&Редактировать", "&Вид", "&Окно", "&Помощь"}));
    EXPECT_EQ(Frame()->windowTitle(), "Tabulon - Безымянный1");
    // The file's values wait in the dialog; the block keeps its own defaults until a connect.
    EXPECT_EQ(Frame()->m_dlgSettings.m_strDevice, "КСМ-Ж");
    EXPECT_EQ(Frame()->Block().m_strPort, "COM1");
    EXPECT_EQ(Frame()->Block().m_nRate, 9600);
    EXPECT_EQ(Frame()->Block().m_nDeviceType, 0);
    EXPECT_FALSE(Frame()->m_wndProgressStrip->isVisible());
    EXPECT_TRUE(Frame()->m_wndStatusBar->isVisible());
    EXPECT_EQ(Frame()->m_wndProgressStrip->bar()->maximum(), 1000);
    EXPECT_EQ(Frame()->m_wndProgressStrip->step(), 50);
}

TEST_F(StartUp, ClosingEveryFormBringsTheMainMenuAndNewNumbersOn) {
    ASSERT_TRUE(StartApp());
    Frame()->OnCommand(id::ID_FILE_NEW);
    EXPECT_EQ(Titles(), QStringList({"Безымянный1", "Безымянный2"}));
    Frame()->MdiArea()->closeAllSubWindows();
    ASSERT_TRUE(WaitUntil([this] { return Docs().isEmpty(); }));
    Frame()->UpdateCommandUI();
    EXPECT_FALSE(Frame()->ShowsFormMenu());
    EXPECT_EQ(MenuTitles(), QStringList({"&Файл", "&Вид", "Настройки", "&Помощь"}));
    EXPECT_EQ(Frame()->windowTitle(), "Tabulon");
    // Nothing handles the "Настройки" commands; window and form commands have no target.
    EXPECT_FALSE(Frame()->IsCommandEnabled(id::ID_PORT_COM1));
    EXPECT_FALSE(Frame()->IsCommandEnabled(id::ID_DEVICE_KSM));
    EXPECT_FALSE(Frame()->IsCommandEnabled(id::ID_FILE_SAVE));
    EXPECT_FALSE(Frame()->IsCommandEnabled(id::ID_WINDOW_CASCADE));
    EXPECT_TRUE(Frame()->IsCommandEnabled(id::ID_FILE_NEW));

    Frame()->Action(id::ID_FILE_NEW)->trigger();  // Ctrl+N and the toolbar button
    EXPECT_EQ(Titles(), QStringList({"Безымянный3"}));
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(Frame()->ShowsFormMenu());
}

TEST_F(StartUp, TheWindowMenuListsTheOpenForms) {
    ASSERT_TRUE(StartApp());
    Frame()->OnCommand(id::ID_FILE_NEW);
    QMenu* windows = Frame()->Menu(id::IDR_FORMTYPE)->windowMenu();
    ASSERT_NE(windows, nullptr);
    emit windows->aboutToShow();
    QStringList items;
    for (QAction* a : windows->actions())
        if (!a->isSeparator() && a->isVisible()) items.append(a->text());
    EXPECT_EQ(items.mid(items.size() - 2), QStringList({"&1 Безымянный1", "&2 Безымянный2"}));
}

TEST_F(StartUp, AFileOnTheCommandLineOpensInsteadOfANewForm) {
    const QString form = m_dir.filePath("январь.txt");
    WriteFile(form, Cp1251("Ведомость за январь\r\n"));
    ASSERT_TRUE(StartApp({form}));
    EXPECT_EQ(Titles(), QStringList({"январь.txt"}));
    EXPECT_EQ(PlainText(Docs()[0]), "Ведомость за январь\n");
    EXPECT_EQ(m_app->RecentFiles().Entries().value(0), form);
}

// A file that cannot be opened ends the program with its message; a pipe or a device is not
// read at all, so the program neither waits for a writer nor reads without end.
TEST_F(StartUp, AFileThatCannotBeOpenedOnTheCommandLineEndsTheProgram) {
    const QString fifo = m_dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::vector<std::pair<QString, QString>> cases = {
        {m_dir.filePath("nothing.txt"), "was not found."},
        {fifo, "не является обычным файлом"},
        {"/dev/zero", "не является обычным файлом"},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file.toStdString());
        m_messages.clear();
        EXPECT_FALSE(StartApp({file}));
        ASSERT_EQ(m_messages.size(), 1);
        EXPECT_TRUE(m_messages[0].text.contains(message)) << m_messages[0].text.toStdString();
        m_app->ExitInstance();
        m_app.reset();
    }
}

TEST_F(StartUp, ThePrintSwitchPrintsTheFileAndEnds) {
    const QString form = m_dir.filePath("print-me.txt");
    WriteFile(form, Cp1251("Печать формы\r\n"));
    const QString pdf = m_dir.filePath("out.pdf");
    TabulonPrinter().setOutputFormat(QPrinter::PdfFormat);
    TabulonPrinter().setOutputFileName(pdf);
    EXPECT_FALSE(StartApp({"/p", form}));
    TabulonPrinter().setOutputFileName({});
    QFile out(pdf);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_TRUE(out.read(5).startsWith("%PDF"));
}

TEST_F(StartUp, HelpShowsTheManualOrSaysItCannot) {
    ASSERT_TRUE(StartApp());
    ASSERT_TRUE(Frame()->OnCommand(id::ID_HELP));
    ASSERT_NE(Frame()->Help(), nullptr);
    EXPECT_TRUE(Frame()->Help()->isVisible());
    EXPECT_FALSE(Frame()->Help()->toPlainText().isEmpty());
    Frame()->Help()->close();

    Frame()->SetHelpPath(m_dir.filePath("missing/index.html"));
    m_messages.clear();
    Frame()->OnCommand(id::ID_HELP);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text, "Failed to launch help.");
}

TEST_F(StartUp, AboutShowsTheFixedVersionText) {
    ASSERT_TRUE(StartApp());
    QStringList labels;
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!about) return;
        caption = about->windowTitle();
        for (QLabel* label : about->findChildren<QLabel*>()) labels.append(label->text());
        about->accept();
    });
    Frame()->OnCommand(id::ID_APP_ABOUT);
    EXPECT_EQ(caption, "About Tabulon");
    EXPECT_TRUE(labels.contains("Tabulon Version 1.8"));
}

// "Порты…" stands at the end of the form window's "Файл" and opens the list of the machine's
// serial ports, whether or not a form is open.
TEST_F(StartUp, PortsCommandOpensThePortsWindow) {
    ASSERT_TRUE(StartApp());
    const QList<QAction*> file = Frame()->menuBar()->actions().first()->menu()->actions();
    EXPECT_EQ(file[file.size() - 2]->text(), "Порт&ы…");
    for (bool withForm : {true, false}) {
        if (!withForm) Frame()->OnCommand(id::ID_FILE_CLOSE);
        QString caption;
        QTimer::singleShot(0, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                caption = dialog->windowTitle();
                dialog->close();
            }
        });
        EXPECT_TRUE(Frame()->Action(id::ID_PORTS)->isEnabled());
        Frame()->Action(id::ID_PORTS)->trigger();
        EXPECT_EQ(caption, "Порты") << (withForm ? "with a form" : "without a form");
    }
}

// The bars around an exchange, with a stand-in worker that ends when told to stop.
TEST_F(StartUp, TheEndOfAnExchangeShowsTheStatusBarWhateverTheOperatorDid) {
    m_app = std::make_unique<CTabulonPlusApp>();
    m_app->SetThreadProc([](void* p) {
        auto& rc = *static_cast<ReceiveControl*>(p);
        while (!rc.m_bStop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        rc.m_bReceiving = 0;
        return 0u;
    });
    ASSERT_TRUE(m_app->InitInstance({}));
    Frame()->Exchange().setTickInterval(24 * 3600 * 1000);
    CMainFrame* frame = Frame();
    ChooseSettings("COM2", "КСМ-Ж", "4800");

    // Hidden by the operator before: shown again at the end.
    frame->OnCommand(id::ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(frame->m_wndStatusBar->isVisible());
    frame->OnCommand(id::ID_CONNECT);
    EXPECT_TRUE(frame->m_wndProgressStrip->isVisible());
    frame->OnCommand(id::ID_STOP_RECEIVE);
    ASSERT_TRUE(WaitForWorkerEnd());
    frame->OnTimer(2);
    EXPECT_TRUE(frame->m_wndProgressStrip->isVisible()) << "another timer's tick";
    frame->OnTimer(1);
    EXPECT_TRUE(frame->m_wndStatusBar->isVisible());
    EXPECT_FALSE(frame->m_wndProgressStrip->isVisible());

    // Shown by the operator during the exchange: both bars until the end.
    frame->OnCommand(id::ID_CONNECT);
    frame->OnCommand(id::ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(frame->m_wndStatusBar->isVisible());
    EXPECT_TRUE(frame->m_wndProgressStrip->isVisible());
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(frame->Action(id::ID_VIEW_STATUS_BAR)->isChecked());
    frame->OnCommand(id::ID_STOP_RECEIVE);
    ASSERT_TRUE(WaitForWorkerEnd());
    frame->OnTimer(1);
    EXPECT_TRUE(frame->m_wndStatusBar->isVisible());
    EXPECT_FALSE(frame->m_wndProgressStrip->isVisible());
    EXPECT_EQ(frame->Block().m_strPort, "COM2");
    EXPECT_EQ(frame->Block().m_nRate, 4800);
}

}  // namespace
