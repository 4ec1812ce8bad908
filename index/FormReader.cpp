#include "index/FormReader.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "archive/ArchiveName.h"
#include "archive/FormPath.h"
#include "files/RegularFile.h"
#include "files/TextFileCodec.h"
#include "res/Texts.h"

namespace {

// The archive's own largest form; a bigger file is no form it wrote.
constexpr qint64 kLargestForm = qint64{16} << 20;

QString failureText(const RegularFile::Result& r) {
    switch (r.failure) {
        case RegularFile::Failure::NotRegular:
            return texts::kIndexNotRegularFile;
        case RegularFile::Failure::TooLarge:
            return texts::kIndexFileTooLarge;
        default:
            return r.errorString;
    }
}

}  // namespace

FormRecord readForm(const QString& root, const ArchiveScan::File& file, QByteArray& text) {
    FormRecord r;
    r.path = file.path;
    const QString path = QDir(root).filePath(file.path);
    RegularFile::Result got = RegularFile::read(path, kLargestForm);
    // The file as it was read; a file that could not be opened as the folder showed it.
    const bool opened = got.ok() || got.failure != RegularFile::Failure::Open;
    const ArchiveScan::File stamp =
        opened || file.stamped ? file : ArchiveScan::stamp(QFileInfo(path), file.path);
    r.size = opened ? got.size : stamp.size;
    r.mtime = opened ? got.modifiedMs : stamp.mtime;
    const FormPath::Fields fields = FormPath::fields(file.path, r.mtime);
    r.site = fields.site;
    r.month = fields.month;
    r.received = fields.received;
    r.port = fields.port;
    r.type = fields.type;
    if (!got.ok()) {
        r.error = failureText(got);
        text.clear();
        return r;
    }
    text = std::move(got.bytes);
    r.firstLine = ArchiveName::firstLine(
        TextFileCodec::decode(QByteArrayView(text).first(std::min<qsizetype>(text.size(), 2048))));
    return r;
}
