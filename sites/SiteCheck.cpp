#include "sites/SiteCheck.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>

#include "archive/ArchiveName.h"
#include "res/Texts.h"
#include "settings/ExchangeChoice.h"

QString siteNameProblem(const QString& name) {
    if (name.trimmed().isEmpty()) return texts::kSiteNoName;
    // A NUL would cut the names of the site's files short; a line break or tab has no place in
    // a folder's name nor in a line of the log.
    for (QChar c : name)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            return texts::kSiteNameControl;
    return {};
}

bool isPhoneNumber(const QString& phone) {
    static const QRegularExpression kPhone(QStringLiteral("^[0-9+*#,WwPpTt() -]*[0-9][0-9+*#,WwPpTt() -]*$"));
    return kPhone.match(phone).hasMatch();
}

bool isModemCommand(const QString& command) {
    if (!command.startsWith(QLatin1String("AT"), Qt::CaseInsensitive)) return false;
    return std::none_of(command.cbegin(), command.cend(),
                        [](QChar c) { return c.unicode() < 0x20 || c.unicode() > 0x7e; });
}

QString siteProblem(const Site& site) {
    if (const QString problem = siteNameProblem(site.name); !problem.isEmpty()) return problem;
    // A site whose modem calls in may name no port; its type and speed still count.
    const QString port = site.port.isEmpty() && site.callsIn() ? kDefaultPort : site.port;
    return choiceVerdictText(checkChoice(port, exchangeDeviceName(site.device),
                                         QString::number(site.speed), kSiteBookRules)
                                 .verdict);
}

namespace {

// The name becomes a folder of the archive, where names differing only in letter case or
// blanks would be hard to tell apart, and names that clean to one folder would mix their forms.
bool sameName(const QString& a, const QString& b) {
    return a.normalized(QString::NormalizationForm_C)
               .simplified()
               .compare(b.normalized(QString::NormalizationForm_C).simplified(),
                        Qt::CaseInsensitive) == 0;
}

QString folderKey(const QString& name) {
    return ArchiveName::siteFolder(name).toCaseFolded();
}

int clashingSite(const QList<Site>& sites, const QString& name, int index, bool* same) {
    const QString folder = folderKey(name);
    for (int i = 0; i < sites.size(); ++i) {
        if (i == index) continue;
        *same = sameName(sites[i].name, name);
        if (*same || folderKey(sites[i].name) == folder) return i;
    }
    return -1;
}

}  // namespace

bool siteNameTaken(const QList<Site>& sites, const QString& name, int index) {
    bool same = false;
    return clashingSite(sites, name, index, &same) >= 0;
}

QString siteNameClash(const QList<Site>& sites, const QString& name, int index,
                      const QString& sameName) {
    bool same = false;
    const int other = clashingSite(sites, name, index, &same);
    if (other < 0) return {};
    if (same) return sameName;
    return texts::siteSameFolder(name, sites[other].name, ArchiveName::siteFolder(name));
}

QString sitesSharingPort(const QList<Site>& sites) {
    QStringList ports;  // in the order of their first site
    QHash<QString, QStringList> names;
    for (const Site& site : sites) {
        // One modem calls many sites, one call at a time: sharing it is what it is for.
        if (site.isDialUp()) continue;
        const QString port = site.port.trimmed();
        if (!names.contains(port)) ports << port;
        names[port] << site.name;
    }
    QStringList told;
    for (const QString& port : std::as_const(ports))
        if (names[port].size() > 1) told << texts::sitesOnOnePort(port, names[port]);
    return told.join(u'\n');
}

QString freeSiteName(const QList<Site>& sites, const QString& name, bool copy) {
    // A copy of a copy is one more copy of the same site.
    QString base = name;
    if (copy)
        base.remove(
            QRegularExpression(QStringLiteral("\\s*\\(%1(?: \\d+)?\\)$").arg(texts::kSiteCopy)));
    for (int n = 1;; ++n) {
        QString candidate = base;
        if (copy)
            candidate += n == 1 ? QStringLiteral(" (%1)").arg(texts::kSiteCopy)
                                : QStringLiteral(" (%1 %2)").arg(texts::kSiteCopy).arg(n);
        else if (n > 1)
            candidate += QStringLiteral(" %1").arg(n);
        if (!siteNameTaken(sites, candidate, -1)) return candidate;
    }
}
