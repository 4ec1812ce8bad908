#pragma once

#include <QString>

class QSettings;

// Whether and where received forms are kept, from the per-user profile.
struct ArchiveSettings {
    bool enabled = true;
    QString folder;        // the archive's root; one subfolder per month below it
    QString nameTemplate;  // see ArchiveName::Expand

    // "Tabulon" in the user's documents folder.
    static QString DefaultFolder();

    // The profile's values, the defaults where it has none.
    static ArchiveSettings Load(QSettings& profile);
    static ArchiveSettings Load();  // from the program's own per-user profile
    // False when the profile could not be written.
    bool Save(QSettings& profile) const;
    bool Save() const;

    // What is wrong with a folder or a name template the operator gave, in the words he is
    // told; empty when nothing. Problem() checks the folder first.
    static QString FolderProblem(const QString& folder);
    static QString TemplateProblem(const QString& nameTemplate);
    QString Problem() const;
};
