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

    ShellCommand m_shellCommand = FileNew;
    QString m_fileName;
    QString m_printerName;
    QString m_driverName;
    QString m_portName;
    bool m_runEmbedded = false;
    bool m_runAutomated = false;
};

// `args` are the words after the program's own name.
CCommandLineInfo ParseCommandLine(const QStringList& args);
