#pragma once

#include <QDialog>
#include <QFutureWatcher>
#include <QList>
#include <memory>
#include <optional>

#include "sites/Site.h"
#include "sites/SiteLastExchange.h"

namespace Ui {
class SitePickerDialog;
}

// The picker of "Связь с объектом": the sites of the book, narrowed as the operator types, each
// with its last successful collection and its last outcome. Those come from the archive's
// records as SiteHistory reads them for "Сбор за месяц" too, on a worker: the picker opens at
// once and fills them in when they come, and closing it stops the reading. Enter or a double click
// picks the site that is selected.
class SitePickerDialog : public QDialog {
    Q_OBJECT
public:
    // `archiveRoot` holds the exchange records the past is read from.
    SitePickerDialog(const QList<Site>& sites, const QString& archiveRoot,
                     QWidget* parent = nullptr);
    ~SitePickerDialog() override;

    // The site picked once the dialog was accepted; null before.
    const Site* picked() const;

    // Shows the picker over `owner`; the site picked, or nothing when the operator cancelled.
    static std::optional<Site> showModal(QWidget* owner, const QList<Site>& sites,
                                         const QString& archiveRoot);

    void accept() override;

signals:
    // The last collections and outcomes are now in the list.
    void pastShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFilter(const QString& text);
    void showPast();

    std::unique_ptr<Ui::SitePickerDialog> m_ui;
    QList<Site> m_sites;
    QFutureWatcher<SiteLastExchanges>* m_past = nullptr;
    int m_picked = -1;
};
