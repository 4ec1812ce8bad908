#include "index/ArchiveTreeModel.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <algorithm>

#include "res/Texts.h"

namespace {

// As the operator counts them: "Котельная 2" before "Котельная 10", letter case aside. Made
// once, as the tree is filled again at every step of an indexing.
const QCollator& siteOrder() {
    static const QCollator order = [] {
        QCollator c(QLocale(QLocale::Russian, QLocale::Russia));
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return order;
}

QString counted(const QString& name, qint64 forms) {
    return QStringLiteral("%1 (%2)").arg(name).arg(forms);
}

}  // namespace

void ArchiveTreeModel::fill(const std::vector<IndexDatabase::Scope>& scopes, qint64 total) {
    clear();
    auto* all = new QStandardItem(counted(texts::kArchiveAllForms, total));
    all->setData(All, KindRole);
    appendRow(all);
    QHash<QString, QStandardItem*> sites;
    QHash<QString, qint64> counts;
    QStringList siteNames;
    QList<QStandardItem*> bare;
    for (const IndexDatabase::Scope& s : scopes) {
        auto* month = new QStandardItem(counted(s.month, s.forms));
        month->setData(MonthItem, KindRole);
        month->setData(s.site, SiteRole);
        month->setData(s.month, MonthRole);
        if (s.site.isEmpty()) {
            bare.append(month);
            continue;
        }
        QStandardItem*& site = sites[s.site];
        if (!site) {
            site = new QStandardItem;
            site->setData(SiteItem, KindRole);
            site->setData(s.site, SiteRole);
            siteNames.append(s.site);
        }
        site->appendRow(month);
        site->setText(counted(s.site, counts[s.site] += s.forms));
    }
    std::sort(siteNames.begin(), siteNames.end(), siteOrder());
    for (const QString& name : std::as_const(siteNames)) appendRow(sites.value(name));
    for (QStandardItem* month : std::as_const(bare)) appendRow(month);
}

FormQuery::Scope ArchiveTreeModel::scopeOf(const QModelIndex& index) const {
    FormQuery::Scope scope;
    switch (index.data(KindRole).toInt()) {
        case SiteItem:
            scope.site = index.data(SiteRole).toString();
            break;
        case MonthItem:
            scope.site = index.data(SiteRole).toString();
            scope.month = index.data(MonthRole).toString();
            break;
        default:
            break;
    }
    return scope;
}

QModelIndex ArchiveTreeModel::find(const FormQuery::Scope& scope) const {
    if (!scope.site && !scope.month) return index(0, 0);
    QModelIndex best = index(0, 0);
    for (int row = 1; row < rowCount(); ++row) {
        const QModelIndex top = index(row, 0);
        const FormQuery::Scope here = scopeOf(top);
        if (here.site == scope.site.value_or(QString()) && here.month == scope.month) return top;
        if (here.site != scope.site || here.month) continue;
        best = top;  // the site itself
        for (int m = 0; m < rowCount(top); ++m)
            if (scopeOf(index(m, 0, top)).month == scope.month) return index(m, 0, top);
    }
    return best;
}
