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
        info.m_nShellCommand = CCommandLineInfo::FilePrintTo;
    else if (s == QLatin1String("p"))
        info.m_nShellCommand = CCommandLineInfo::FilePrint;
    else if (s == QLatin1String("unregister") || s == QLatin1String("unregserver"))
        info.m_nShellCommand = CCommandLineInfo::AppUnregister;
    else if (s == QLatin1String("dde"))
        info.m_nShellCommand = CCommandLineInfo::FileDDE;
    else if (s == QLatin1String("embedding")) {
        info.m_bRunEmbedded = true;
        info.m_nShellCommand = CCommandLineInfo::FileNothing;
    } else if (s == QLatin1String("automation")) {
        info.m_bRunAutomated = true;
        info.m_nShellCommand = CCommandLineInfo::FileNothing;
    }
    // Any other switch is ignored: it neither names a file nor changes what start-up does.
}

void parseWord(const QString& word, CCommandLineInfo& info) {
    if (info.m_strFileName.isEmpty())
        info.m_strFileName = word;
    else if (info.m_nShellCommand == CCommandLineInfo::FilePrintTo &&
             info.m_strPrinterName.isEmpty())
        info.m_strPrinterName = word;
    else if (info.m_nShellCommand == CCommandLineInfo::FilePrintTo &&
             info.m_strDriverName.isEmpty())
        info.m_strDriverName = word;
    else if (info.m_nShellCommand == CCommandLineInfo::FilePrintTo && info.m_strPortName.isEmpty())
        info.m_strPortName = word;
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
    if (info.m_nShellCommand == CCommandLineInfo::FileNew && !info.m_strFileName.isEmpty())
        info.m_nShellCommand = CCommandLineInfo::FileOpen;
    return info;
}
