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
};
