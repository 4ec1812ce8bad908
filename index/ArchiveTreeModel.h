#pragma once

#include <QStandardItemModel>

#include "index/FormQuery.h"
#include "index/IndexDatabase.h"

// The archive as the operator walks it: all forms first, then each site with its months, then
// the months of the forms without a site, newest first, each with its number of forms. Sites
// come in the order of their names with numbers counted as numbers.
class ArchiveTreeModel : public QStandardItemModel {
    Q_OBJECT
public:
    using QStandardItemModel::QStandardItemModel;

    void fill(const std::vector<IndexDatabase::Scope>& scopes, qint64 total);
    FormQuery::Scope scopeOf(const QModelIndex& index) const;
    // The item of a scope, or of the nearest one that exists (the site for a month it lacks).
    QModelIndex find(const FormQuery::Scope& scope) const;

private:
    enum Role { SiteRole = Qt::UserRole, MonthRole, KindRole };
    enum Kind { All, SiteItem, MonthItem };
};
