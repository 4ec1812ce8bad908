#pragma once

#include <QDialog>
#include <QList>
#include <memory>

#include "sites/Site.h"

class SiteModemFields;

namespace Ui {
class SitesDialog;
}

// The window "Объекты": the sites of the book to add, edit, copy and remove, or to make from
// the current settings. A site is checked as the connect command checks a choice, with its
// texts, and its modem's keys as the book reads them (SiteModemFields), before the operator
// leaves it; the book is written when the window is saved.
class SitesDialog : public QDialog {
    Q_OBJECT
public:
    // `fromSettings` is what "Из настроек" makes a site of. With a `bookProblem` (the book at
    // `path` cannot be read) the window only shows the sites and says why.
    SitesDialog(const QString& path, const QList<Site>& sites, const Site& fromSettings,
                QWidget* parent = nullptr, const QString& bookProblem = {});
    ~SitesDialog() override;

    // Reads the book at `path` and shows the window over `owner`, only to look at when the
    // book cannot be read; msg::IDOK once the book has been written.
    static int showModal(QWidget* owner, const QString& path, const Site& fromSettings);

    const QList<Site>& sites() const { return m_sites; }
    // Writes the book; the window stays open when it cannot.
    void accept() override;

private:
    void showSite(int row);
    // The fields into the current site; false, the operator told what is wrong, when they
    // would not make a site the connect command and the book accept.
    bool commitCurrent();
    QString readFields(Site& site) const;
    void selectRow(int row);
    void onRowChanged(int row);
    void insertSite(const Site& site);
    void duplicateSite();
    void connectButtons();
    void showReadOnly(const QString& bookProblem);
    void removeSite();

    std::unique_ptr<Ui::SitesDialog> m_ui;
    std::unique_ptr<SiteModemFields> m_modemFields;
    QString m_path;
    Site m_fromSettings;
    QList<Site> m_sites;
    int m_current = -1;
    bool m_readOnly = false;
};
