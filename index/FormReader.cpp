#include "index/FormReader.h"

#include <QDateTime>
#include <QDir>
#include <algorithm>

#include "archive/ArchiveName.h"
#include "files/RegularFile.h"
#include "files/TextFileCodec.h"
#include "index/FormPath.h"
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
    r.size = file.size;
    r.mtime = file.mtime;
    const FormPath::Fields fields =
        FormPath::fields(file.path, QDateTime::fromMSecsSinceEpoch(file.mtime));
    r.site = fields.site;
    r.month = fields.month;
    r.received = fields.received;
    r.port = fields.port;
    r.type = fields.type;
    RegularFile::Result got = RegularFile::read(QDir(root).filePath(file.path), kLargestForm);
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
