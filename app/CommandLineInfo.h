#pragma once

#include <QString>
#include <QStringList>

// What the command line asks the program to do at start-up, parsed the way the classic
// framework parses it: "-", or "/" before a known switch name, starts a switch (letter case
// ignored; any other "/..." is an absolute path), the first plain word is the file, and after
// /pt the next three plain words name the printer, its driver and its port.
struct CCommandLineInfo {
    enum ShellCommand {
        FileNew,
        FileOpen,
        FilePrint,
        FilePrintTo,
        FileDDE,
        AppUnregister,
        FileNothing
    };

    ShellCommand m_nShellCommand = FileNew;
    QString m_strFileName;
    QString m_strPrinterName;
    QString m_strDriverName;
    QString m_strPortName;
    bool m_bRunEmbedded = false;
    bool m_bRunAutomated = false;
};

// `args` are the words after the program's own name.
CCommandLineInfo ParseCommandLine(const QStringList& args);
