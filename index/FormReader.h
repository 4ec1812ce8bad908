#pragma once

#include <QByteArray>
#include <QString>

#include "archive/ArchiveScan.h"
#include "index/FormRecord.h"

// The record of one form file below `root` as read from the disk, with its error if it cannot
// be read; `text` gets the file's bytes (cp1251), or nothing.
FormRecord readForm(const QString& root, const ArchiveScan::File& file, QByteArray& text);
