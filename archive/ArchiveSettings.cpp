#include "archive/ArchiveSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

#include "archive/ArchiveName.h"
#include "res/Texts.h"

namespace {

const QString kEnabled = QStringLiteral("Archive/Enabled");
const QString kFolder = QStringLiteral("Archive/Folder");
const QString kTemplate = QStringLiteral("Archive/Template");

QSettings* programProfile() {
    return new QSettings(QStringLiteral("Local AppWizard-Generated Applications"),
                         QStringLiteral("Tabulon"));
}

}  // namespace

QString ArchiveSettings::defaultFolder() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    return QDir(documents).filePath(QStringLiteral("Tabulon"));
}

ArchiveSettings ArchiveSettings::load(QSettings& profile) {
    ArchiveSettings s;
    s.enabled = profile.value(kEnabled, true).toBool();
    s.folder = profile.value(kFolder).toString();
    if (s.folder.isEmpty()) s.folder = defaultFolder();
    s.nameTemplate = profile.value(kTemplate).toString();
    if (s.nameTemplate.isEmpty()) s.nameTemplate = ArchiveName::kDefaultTemplate;
    return s;
}

ArchiveSettings ArchiveSettings::load() {
    const std::unique_ptr<QSettings> profile(programProfile());
    return load(*profile);
}

bool ArchiveSettings::save(QSettings& profile) const {
    profile.setValue(kEnabled, enabled);
    profile.setValue(kFolder, folder);
    profile.setValue(kTemplate, nameTemplate);
    profile.sync();
    return profile.status() == QSettings::NoError;
}

bool ArchiveSettings::save() const {
    const std::unique_ptr<QSettings> profile(programProfile());
    return save(*profile);
}

QString ArchiveSettings::folderProblem(const QString& folder) {
    return folder.isEmpty() ? texts::kNoArchiveFolder : QString();
}

QString ArchiveSettings::templateProblem(const QString& nameTemplate) {
    if (nameTemplate.isEmpty()) return texts::kNoArchiveTemplate;
    const QStringList unknown = ArchiveName::unknownFields(nameTemplate);
    return unknown.isEmpty() ? QString() : texts::unknownTemplateField(unknown.first());
}

QString ArchiveSettings::problem() const {
    const QString problem = folderProblem(folder);
    return problem.isEmpty() ? templateProblem(nameTemplate) : problem;
}
