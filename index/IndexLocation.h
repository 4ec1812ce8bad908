#pragma once

#include <QDateTime>
#include <QString>

namespace IndexLocation {

// The index file of the archive at `root` in the per-user cache folder: one per archive,
// named after a hash of the root's canonical path, so that two archives never share one and a
// root named in two ways finds the same.
QString fileFor(const QString& root);
// The index of the archive at `root` kept in this program's memory, for when the cache folder
// cannot hold it: every connection of the program to it finds the same, and it goes with the
// last of them.
QString memoryFor(const QString& root);
bool isMemory(const QString& index);

// Why the index cannot be kept in the folder of `file`, in the operator's words.
QString whyNotKept(const QString& file);

// An archive's index is about 1.6 times the archive and stays when the archive is moved or
// given up: the indexes beside `kept` that no program has written for `kStaleDays` are removed
// with their journals. Their time is their last use, as every look at an archive writes its
// index. Returns how many were removed.
constexpr int kStaleDays = 90;
int dropStale(const QString& kept, const QDateTime& now);

}  // namespace IndexLocation
