#pragma once

#include <QString>

class QSettings;

// Whether and where received forms are kept, from the per-user profile.
struct ArchiveSettings {
    bool enabled = true;
    QString folder;        // the archive's root; one subfolder per month below it
    QString nameTemplate;  // see ArchiveName::expand

    // "Tabulon" in the user's documents folder.
    static QString defaultFolder();

    // The profile's values, the defaults where it has none.
    static ArchiveSettings load(QSettings& profile);
    static ArchiveSettings load();  // from the program's own per-user profile
    // False when the profile could not be written.
    bool save(QSettings& profile) const;
    bool save() const;

    // What is wrong with a folder or a name template the operator gave, in the words he is
    // told; empty when nothing. problem() checks the folder first.
    static QString folderProblem(const QString& folder);
    static QString templateProblem(const QString& nameTemplate);
    QString problem() const;
};
