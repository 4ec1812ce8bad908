#include "app/CommandLineInfo.h"

namespace {

bool isKnownSwitch(const QString& name) {
    static const QStringList known = {"pt",  "p",         "unregister", "unregserver",
                                      "dde", "embedding", "automation"};
    return known.contains(name.toLower());
}

void parseSwitch(const QString& name, CCommandLineInfo& info) {
    const QString s = name.toLower();
    if (s == QLatin1String("pt"))
        info.m_shellCommand = CCommandLineInfo::FilePrintTo;
    else if (s == QLatin1String("p"))
        info.m_shellCommand = CCommandLineInfo::FilePrint;
    else if (s == QLatin1String("unregister") || s == QLatin1String("unregserver"))
        info.m_shellCommand = CCommandLineInfo::AppUnregister;
    else if (s == QLatin1String("dde"))
        info.m_shellCommand = CCommandLineInfo::FileDDE;
    else if (s == QLatin1String("embedding")) {
        info.m_runEmbedded = true;
        info.m_shellCommand = CCommandLineInfo::FileNothing;
    } else if (s == QLatin1String("automation")) {
        info.m_runAutomated = true;
        info.m_shellCommand = CCommandLineInfo::FileNothing;
    }
    // Any other switch is ignored: it neither names a file nor changes what start-up does.
}

void parseWord(const QString& word, CCommandLineInfo& info) {
    if (info.m_fileName.isEmpty())
        info.m_fileName = word;
    else if (info.m_shellCommand == CCommandLineInfo::FilePrintTo && info.m_printerName.isEmpty())
        info.m_printerName = word;
    else if (info.m_shellCommand == CCommandLineInfo::FilePrintTo && info.m_driverName.isEmpty())
        info.m_driverName = word;
    else if (info.m_shellCommand == CCommandLineInfo::FilePrintTo && info.m_portName.isEmpty())
        info.m_portName = word;
}

}  // namespace

CCommandLineInfo ParseCommandLine(const QStringList& args) {
    CCommandLineInfo info;
    for (const QString& arg : args) {
        // On this system a path begins with "/": only the switches the program knows count as
        // switches there, while "-" always starts one.
        const bool isSwitch =
            arg.size() > 1 && (arg.startsWith(QLatin1Char('-')) ||
                               (arg.startsWith(QLatin1Char('/')) && isKnownSwitch(arg.mid(1))));
        if (isSwitch)
            parseSwitch(arg.mid(1), info);
        else if (!arg.isEmpty())
            parseWord(arg, info);
    }
    if (info.m_shellCommand == CCommandLineInfo::FileNew && !info.m_fileName.isEmpty())
        info.m_shellCommand = CCommandLineInfo::FileOpen;
    return info;
}
