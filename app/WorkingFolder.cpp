#include "app/WorkingFolder.h"

#include <QDir>

bool leaveProgramFolder(const QString& programFolder, bool installed, const QString& documents) {
    if (!installed || QDir::current() != QDir(programFolder)) return true;
    return !documents.isEmpty() && QDir().mkpath(documents) && QDir::setCurrent(documents);
}
