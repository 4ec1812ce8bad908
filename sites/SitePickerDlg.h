#pragma once

#include <QDialog>
#include <QList>
#include <functional>
#include <memory>
#include <optional>

#include "sites/Site.h"
#include "sites/SiteLastExchange.h"

namespace Ui {
class SitePickerDlg;
}

// The picker of "Связь с объектом": the sites of the book, narrowed as the operator types, each
// with its last successful collection and its last outcome. Enter or a double click picks the
// site that is selected.
class SitePickerDlg : public QDialog {
    Q_OBJECT
public:
    SitePickerDlg(const QList<Site>& sites, const SiteLastExchanges& last,
                  QWidget* parent = nullptr);
    ~SitePickerDlg() override;

    // The site picked once the dialog was accepted; null before.
    const Site* picked() const;

    // Called with the live picker once it is shown, so that tests can drive it.
    using ShownHook = std::function<void(SitePickerDlg* dialog)>;
    static void setShownHook(ShownHook hook);
    // Shows the picker over `owner`; the site picked, or nothing when the operator cancelled.
    static std::optional<Site> pick(QWidget* owner, const QList<Site>& sites,
                                    const SiteLastExchanges& last);

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFilter(const QString& text);

    std::unique_ptr<Ui::SitePickerDlg> m_ui;
    QList<Site> m_sites;
    int m_picked = -1;
};
