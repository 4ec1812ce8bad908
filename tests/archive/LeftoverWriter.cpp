// An archive broken off while it writes: stages form NUMBER of a line on PORT into the archive
// FOLDER, says "ready <pid>" and holds its temporary file until its standard input ends, then
// exits without naming it, as a killed archive would leave it.
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>

#include "archive/ArchiveWriter.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) return 2;
    ArchiveSettings settings;
    settings.folder = args[1];
    settings.nameTemplate = "{date}_{port}_{n}.txt";
    ArchiveWriter writer(settings, ArchiveWriter::Line{args[2], "КСМ-Р", 9600, {}},
                         [](const QString&) { return true; });
    const QDateTime received(QDate(2026, 12, 9), QTime(14, 3, 12));
    writer.stage({args[3].toInt(), "\xCF\xD0\xCE\xD2\xCE\xCA\xCE\xCB\r\nhalf a form", false,
                  received});
    std::printf("ready %lld\n", static_cast<long long>(::getpid()));
    std::fflush(stdout);
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    ::_exit(0);
}
