#include "sites/SiteBook.h"

#include <QDir>
#include <QFileInfo>

#include "files/RegularFile.h"
#include "files/SafeFile.h"
#include "res/Texts.h"
#include "settings/IniPath.h"
#include "sites/SiteBookFormat.h"
#include "sites/SiteCheck.h"

namespace {

QString defaultUserPath() {
    return userConfigFolder() + QStringLiteral("/Tabulon/sites.toml");
}

// What keeps `sites` from being read back as they were written; empty when nothing does.
QString unwritable(const QList<Site>& sites) {
    for (int i = 0; i < sites.size(); ++i) {
        const QString problem = siteProblem(sites[i]);
        if (!problem.isEmpty()) return texts::siteBadValue(sites[i].name, problem, sites[i].port);
        const QString clash =
            siteNameClash(sites.first(i), sites[i].name, -1, texts::siteTwice(sites[i].name));
        if (!clash.isEmpty()) return clash;
    }
    return {};
}

}  // namespace

QString SiteBook::userPath() {
    const QString named = qEnvironmentVariable("TABULON_SITES");
    return named.isEmpty() ? defaultUserPath() : named;
}

QString SiteBook::systemPath() {
    return QStringLiteral("/etc/tabulon/sites.toml");
}

SiteBook::Loaded SiteBook::load(const QString& path) {
    Loaded loaded;
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) return loaded;
    const RegularFile::Result file = RegularFile::read(path, kMaxBytes);
    switch (file.failure) {
        case RegularFile::Failure::None:
            break;
        case RegularFile::Failure::NotRegular:
            loaded.problem = texts::notRegularFile(path);
            return loaded;
        case RegularFile::Failure::TooLarge:
            loaded.problem = texts::siteBookUnreadable(path, QStringLiteral("файл слишком велик"));
            return loaded;
        case RegularFile::Failure::Open:
        case RegularFile::Failure::Read:
            loaded.problem = texts::siteBookUnreadable(path, file.errorString);
            return loaded;
    }
    SiteBookFormat::Parsed parsed = SiteBookFormat::parse(file.bytes, path);
    loaded.sites = std::move(parsed.sites);
    loaded.problem = std::move(parsed.problem);
    loaded.header = std::move(parsed.header);
    return loaded;
}

bool SiteBook::save(const QString& path, const QList<Site>& sites, QString* error) {
    const Loaded old = load(path);
    QString problem = old.problem.isEmpty() ? QString() : texts::siteBookNotSaved(old.problem);
    if (problem.isEmpty()) problem = unwritable(sites);
    if (problem.isEmpty()) {
        if (path == defaultUserPath()) QDir().mkpath(QFileInfo(path).absolutePath());
        const SafeFile::Result written =
            SafeFile::write(path, SiteBookFormat::format(sites, old.header));
        if (!written.ok) problem = texts::siteBookWriteFailed(path, written.errorString);
    }
    if (error) *error = problem;
    return problem.isEmpty();
}

const Site* SiteBook::find(const QList<Site>& sites, const QString& name) {
    for (const Site& site : sites)
        if (site.name == name) return &site;
    return nullptr;
}
