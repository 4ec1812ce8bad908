#include <QApplication>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string_view>

#include "acquisition/ReceiveControl.h"
#include "app/DemoCalculator.h"
#include "app/FrameworkTranslations.h"
#include "app/TabulonPlusApp.h"
#include "app/WorkingFolder.h"
#include "frames/CommandRouter.h"
#include "frames/MainFrame.h"
#include "platform/ThreadLocalCleanup.h"
#include "ports/ComPortDirectory.h"
#include "ports/PortList.h"
#include "res/CommandIds.h"
#include "res/Texts.h"
#include "settings/IniPath.h"

namespace {

// `Tabulon --list-ports`: the serial devices and their COM numbers, for support to ask an
// operator for; needs no display.
int listPorts() {
    PortStore store;
    ComPortDirectory directory(store);
    directory.survey();
    const QStringList lines = portListLines(directory);
    for (const QString& line : lines) std::printf("%s\n", line.toUtf8().constData());
    if (lines.isEmpty()) std::fprintf(stderr, "%s\n", qUtf8Printable(texts::kNoSerialPorts));
    return 0;
}

// Without --demo nothing of the simulator exists. --demo-tcp and --demo-rfc2217 put it behind
// ser2net on 127.0.0.1, as a calculator at a network serial server. False when it cannot start.
bool startDemo(QStringList& args, std::unique_ptr<DemoCalculator>& demo) {
    const bool direct = args.removeAll(QStringLiteral("--demo")) > 0;
    const bool tcp = args.removeAll(QStringLiteral("--demo-tcp")) > 0;
    const bool rfc2217 = args.removeAll(QStringLiteral("--demo-rfc2217")) > 0;
    if (!direct && !tcp && !rfc2217) return true;
    using Route = DemoCalculator::Route;
    demo = std::make_unique<DemoCalculator>(rfc2217 ? Route::Rfc2217
                                            : tcp   ? Route::Tcp
                                                    : Route::Direct);
    if (demo->start()) return true;
    std::fprintf(stderr, "Tabulon: the demo calculator cannot start: %s\n", demo->error().c_str());
    return false;
}

// Runs on the window's thread before each worker starts, so the worker finds the line ready.
void prepareEveryExchange(DemoCalculator& demo) {
    QObject::connect(&theApp.mainFrame()->exchange(), &ExchangeControl::exchangeStarted, [&demo] {
        const ReceiveControl& rc = theApp.mainFrame()->block();
        demo.prepareExchange(rc.m_nDeviceType, rc.m_nRate);
    });
}

}  // namespace

int main(int argc, char** argv) {
    orderThreadLocalCleanup();
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--list-ports") return listPorts();
    QApplication app(argc, argv);
    if (!installFrameworkTranslations(app))
        std::fprintf(stderr,
                     "Tabulon: Qt's Russian translations (qt6-translations-l10n) are "
                     "missing; its dialogs stay English\n");
    if (!leaveProgramFolder(QApplication::applicationDirPath(), currentIniPlace().installed,
                            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)))
        std::fprintf(stderr, "Tabulon: no documents folder to work in\n");
    QStringList args = QApplication::arguments().mid(1);
    std::unique_ptr<DemoCalculator> demo;
    if (!startDemo(args, demo)) return 1;
    // For scripted demonstrations: choose "Установить связь" once the window is up. Every
    // question that follows is still the operator's to answer.
    const bool autoConnect = args.removeAll(QStringLiteral("--demo-autoconnect")) > 0;

    if (!theApp.InitInstance(args)) {
        theApp.ExitInstance();
        return 0;
    }
    if (demo) prepareEveryExchange(*demo);
    if (autoConnect)
        QTimer::singleShot(500, [] { theApp.mainFrame()->commands().run(id::ID_CONNECT); });
    const int code = QApplication::exec();
    theApp.ExitInstance();
    return code;
}
