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

QString ArchiveSettings::DefaultFolder() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    return QDir(documents).filePath(QStringLiteral("Tabulon"));
}

ArchiveSettings ArchiveSettings::Load(QSettings& profile) {
    ArchiveSettings s;
    s.enabled = profile.value(kEnabled, true).toBool();
    s.folder = profile.value(kFolder).toString();
    if (s.folder.isEmpty()) s.folder = DefaultFolder();
    s.nameTemplate = profile.value(kTemplate).toString();
    if (s.nameTemplate.isEmpty()) s.nameTemplate = ArchiveName::kDefaultTemplate;
    return s;
}

ArchiveSettings ArchiveSettings::Load() {
    const std::unique_ptr<QSettings> profile(programProfile());
    return Load(*profile);
}

bool ArchiveSettings::Save(QSettings& profile) const {
    profile.setValue(kEnabled, enabled);
    profile.setValue(kFolder, folder);
    profile.setValue(kTemplate, nameTemplate);
    profile.sync();
    return profile.status() == QSettings::NoError;
}

bool ArchiveSettings::Save() const {
    const std::unique_ptr<QSettings> profile(programProfile());
    return Save(*profile);
}

QString ArchiveSettings::FolderProblem(const QString& folder) {
    return folder.isEmpty() ? texts::kNoArchiveFolder : QString();
}

QString ArchiveSettings::TemplateProblem(const QString& nameTemplate) {
    if (nameTemplate.isEmpty()) return texts::kNoArchiveTemplate;
    const QStringList unknown = ArchiveName::UnknownFields(nameTemplate);
    return unknown.isEmpty() ? QString() : texts::UnknownTemplateField(unknown.first());
}

QString ArchiveSettings::Problem() const {
    const QString problem = FolderProblem(folder);
    return problem.isEmpty() ? TemplateProblem(nameTemplate) : problem;
}
