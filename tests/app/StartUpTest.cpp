#include <sys/stat.h>

#include <QAction>
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
#include <atomic>
#include <thread>

#include "forms/FormPrinter.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "frames/CommandRouter.h"
#include "frames/FormWindows.h"
#include "frames/HelpWindow.h"
#include "frames/MainFrame.h"
#include "frames/ProgressStrip.h"
#include "res/CommandIds.h"
#include "res/CommandMenu.h"
#include "res/MessageBox.h"
#include "tests/app/AppFixture.h"

namespace {

class StartUp : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        writeFile(m_iniPath, cp1251("PORT = COM2\r\nDEVICE = КСМ-Ж\r\nRATE = 4800"));
    }
    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList menuTitles() const {
        QStringList titles;
        for (QAction* a : mainFrame()->menuBar()->actions()) titles.append(a->text());
        return titles;
    }
};

TEST_F(StartUp, OneEmptyFormInAMaximizedWindowWithTheFormMenu) {
    ASSERT_TRUE(startApp());
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_TRUE(mainFrame()->isMaximized());
    EXPECT_EQ(titles(), QStringList({"Безымянный1"}));
    EXPECT_TRUE(mainFrame()->commands().showsFormMenu());
    EXPECT_EQ(menuTitles(), QStringList({"&Файл", "&Редактировать", "&Вид", "&Окно", "&Помощь"}));
    EXPECT_EQ(mainFrame()->windowTitle(), "Tabulon - Безымянный1");
    // The file's values wait in the dialog; the block keeps its own defaults until a connect.
    EXPECT_EQ(mainFrame()->settingsDlg().m_strDevice, "КСМ-Ж");
    EXPECT_EQ(mainFrame()->block().m_strPort, "COM1");
    EXPECT_EQ(mainFrame()->block().m_nRate, 9600);
    EXPECT_EQ(mainFrame()->block().m_nDeviceType, 0);
    EXPECT_FALSE(mainFrame()->progressStrip()->isVisible());
    EXPECT_TRUE(mainFrame()->statusBar()->isVisible());
    EXPECT_EQ(mainFrame()->progressStrip()->bar()->maximum(), 1000);
    EXPECT_EQ(mainFrame()->progressStrip()->step(), 50);
}

TEST_F(StartUp, ClosingEveryFormBringsTheMainMenuAndNewNumbersOn) {
    ASSERT_TRUE(startApp());
    mainFrame()->commands().run(id::ID_FILE_NEW);
    EXPECT_EQ(titles(), QStringList({"Безымянный1", "Безымянный2"}));
    mainFrame()->forms().mdiArea()->closeAllSubWindows();
    ASSERT_TRUE(waitUntil([this] { return formDocs().isEmpty(); }));
    mainFrame()->commands().refresh();
    EXPECT_FALSE(mainFrame()->commands().showsFormMenu());
    EXPECT_EQ(menuTitles(), QStringList({"&Файл", "&Вид", "Настройки", "&Помощь"}));
    EXPECT_EQ(mainFrame()->windowTitle(), "Tabulon");
    // Nothing handles the "Настройки" commands; window and form commands have no target.
    EXPECT_FALSE(mainFrame()->commands().isEnabled(id::ID_PORT_COM1));
    EXPECT_FALSE(mainFrame()->commands().isEnabled(id::ID_DEVICE_KSM));
    EXPECT_FALSE(mainFrame()->commands().isEnabled(id::ID_FILE_SAVE));
    EXPECT_FALSE(mainFrame()->commands().isEnabled(id::ID_WINDOW_CASCADE));
    EXPECT_TRUE(mainFrame()->commands().isEnabled(id::ID_FILE_NEW));

    mainFrame()->commands().action(id::ID_FILE_NEW)->trigger();  // Ctrl+N and the toolbar button
    EXPECT_EQ(titles(), QStringList({"Безымянный3"}));
    mainFrame()->commands().refresh();
    EXPECT_TRUE(mainFrame()->commands().showsFormMenu());
}

TEST_F(StartUp, TheWindowMenuListsTheOpenForms) {
    ASSERT_TRUE(startApp());
    mainFrame()->commands().run(id::ID_FILE_NEW);
    QMenu* windows = mainFrame()->commands().menu(id::IDR_FORMTYPE)->windowMenu();
    ASSERT_NE(windows, nullptr);
    emit windows->aboutToShow();
    QStringList items;
    for (QAction* a : windows->actions())
        if (!a->isSeparator() && a->isVisible()) items.append(a->text());
    EXPECT_EQ(items.mid(items.size() - 2), QStringList({"&1 Безымянный1", "&2 Безымянный2"}));
}

TEST_F(StartUp, AFileOnTheCommandLineOpensInsteadOfANewForm) {
    const QString form = m_dir.filePath("январь.txt");
    writeFile(form, cp1251("Ведомость за январь\r\n"));
    ASSERT_TRUE(startApp({form}));
    EXPECT_EQ(titles(), QStringList({"январь.txt"}));
    EXPECT_EQ(plainText(formDocs()[0]), "Ведомость за январь\n");
    EXPECT_EQ(m_app->recentFiles().entries().value(0), form);
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
        EXPECT_FALSE(startApp({file}));
        ASSERT_EQ(m_messages.size(), 1);
        EXPECT_TRUE(m_messages[0].text.contains(message)) << m_messages[0].text.toStdString();
        m_app->ExitInstance();
        m_app.reset();
    }
}

TEST_F(StartUp, ThePrintSwitchPrintsTheFileAndEnds) {
    const QString form = m_dir.filePath("print-me.txt");
    writeFile(form, cp1251("Печать формы\r\n"));
    const QString pdf = m_dir.filePath("out.pdf");
    tabulonPrinter().setOutputFormat(QPrinter::PdfFormat);
    tabulonPrinter().setOutputFileName(pdf);
    EXPECT_FALSE(startApp({"/p", form}));
    tabulonPrinter().setOutputFileName({});
    QFile out(pdf);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_TRUE(out.read(5).startsWith("%PDF"));
}

TEST_F(StartUp, HelpShowsTheManualOrSaysItCannot) {
    ASSERT_TRUE(startApp());
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_HELP));
    ASSERT_NE(mainFrame()->help(), nullptr);
    EXPECT_TRUE(mainFrame()->help()->isVisible());
    EXPECT_FALSE(mainFrame()->help()->toPlainText().isEmpty());
    mainFrame()->help()->close();

    mainFrame()->setHelpPath(m_dir.filePath("missing/index.html"));
    m_messages.clear();
    mainFrame()->commands().run(id::ID_HELP);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text, "Failed to launch help.");
}

TEST_F(StartUp, AboutShowsTheFixedVersionText) {
    ASSERT_TRUE(startApp());
    QStringList labels;
    QString caption;
    m_answerer.whenShown("QDialog", [&](QDialog* about) {
        caption = about->windowTitle();
        for (QLabel* label : about->findChildren<QLabel*>()) labels.append(label->text());
        about->accept();
    });
    mainFrame()->commands().run(id::ID_APP_ABOUT);
    EXPECT_EQ(caption, "About Tabulon");
    EXPECT_TRUE(labels.contains("Tabulon Version 1.8"));
}

// "Порты…" stands at the end of the form window's "Файл" and opens the list of the machine's
// serial ports, whether or not a form is open.
TEST_F(StartUp, PortsCommandOpensThePortsWindow) {
    ASSERT_TRUE(startApp());
    const QList<QAction*> file = mainFrame()->menuBar()->actions().first()->menu()->actions();
    EXPECT_EQ(file[file.size() - 2]->text(), "Порт&ы…");
    for (bool withForm : {true, false}) {
        if (!withForm) mainFrame()->commands().run(id::ID_FILE_CLOSE);
        QString caption;
        m_answerer.whenShown("QDialog", [&](QDialog* dialog) {
            caption = dialog->windowTitle();
            dialog->close();
        });
        EXPECT_TRUE(mainFrame()->commands().action(id::ID_PORTS)->isEnabled());
        mainFrame()->commands().action(id::ID_PORTS)->trigger();
        EXPECT_EQ(caption, "Порты") << (withForm ? "with a form" : "without a form");
    }
}

// The bars around an exchange, with a stand-in worker that ends when told to stop.
TEST_F(StartUp, TheEndOfAnExchangeShowsTheStatusBarWhateverTheOperatorDid) {
    m_app = std::make_unique<CTabulonPlusApp>();
    m_app->setThreadProc([](void* p) {
        auto& rc = *static_cast<ReceiveControl*>(p);
        while (!rc.m_bStop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        rc.m_bReceiving = 0;
        return 0u;
    });
    ASSERT_TRUE(m_app->InitInstance({}));
    mainFrame()->exchange().setTickInterval(24 * 3600 * 1000);
    CMainFrame* frame = mainFrame();
    chooseSettings("COM2", "КСМ-Ж", "4800");

    // Hidden by the operator before: shown again at the end.
    frame->commands().run(id::ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(frame->statusBar()->isVisible());
    frame->commands().run(id::ID_CONNECT);
    EXPECT_TRUE(frame->progressStrip()->isVisible());
    frame->commands().run(id::ID_STOP_RECEIVE);
    ASSERT_TRUE(waitForWorkerEnd());
    frame->exchange().OnTimer(2);
    EXPECT_TRUE(frame->progressStrip()->isVisible()) << "another timer's tick";
    frame->exchange().OnTimer(1);
    EXPECT_TRUE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->progressStrip()->isVisible());

    // Shown by the operator during the exchange: both bars until the end.
    frame->commands().run(id::ID_CONNECT);
    frame->commands().run(id::ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(frame->statusBar()->isVisible());
    EXPECT_TRUE(frame->progressStrip()->isVisible());
    mainFrame()->commands().refresh();
    EXPECT_TRUE(frame->commands().action(id::ID_VIEW_STATUS_BAR)->isChecked());
    frame->commands().run(id::ID_STOP_RECEIVE);
    ASSERT_TRUE(waitForWorkerEnd());
    frame->exchange().OnTimer(1);
    EXPECT_TRUE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->progressStrip()->isVisible());
    EXPECT_EQ(frame->block().m_strPort, "COM2");
    EXPECT_EQ(frame->block().m_nRate, 4800);
}

}  // namespace
