#pragma once

#include <QByteArray>
#include <QString>

// Appends `bytes` to the file at `path` (made when missing, never through a link) in one write
// and waits until it is on the disk. One write, so that lines another process appends at the
// same time do not fall between these; a kill during it leaves at most a torn tail. False when
// any part of it fails.
bool appendFile(const QString& path, const QByteArray& bytes);
