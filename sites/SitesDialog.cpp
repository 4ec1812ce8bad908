#include "sites/SitesDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>

#include "res/MessageBox.h"
#include "res/Texts.h"
#include "settings/ExchangeChoice.h"
#include "sites/SiteBook.h"
#include "sites/SiteCheck.h"
#include "ui_SitesDialog.h"

SitesDialog::SitesDialog(const QString& path, const QList<Site>& sites, const Site& fromSettings,
                         QWidget* parent, const QString& bookProblem)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::SitesDialog>()),
      m_path(path),
      m_fromSettings(fromSettings),
      m_sites(sites),
      m_readOnly(!bookProblem.isEmpty()) {
    m_ui->setupUi(this);
    // The operator's text must arrive as typed, as in "Настройки".
    for (QComboBox* list : {m_ui->IDC_SITE_PORT, m_ui->IDC_SITE_DEVICE, m_ui->IDC_SITE_SPEED})
        list->setCompleter(nullptr);
    m_ui->IDC_SITE_PORT->addItems(exchangePortItems());
    m_ui->IDC_SITE_DEVICE->addItems(exchangeDeviceItems());
    m_ui->IDC_SITE_SPEED->addItems(exchangeRateItems());
    for (const Site& site : m_sites) m_ui->IDC_SITE_LIST->addItem(site.name);

    connect(m_ui->IDC_SITE_LIST, &QListWidget::currentRowChanged, this, &SitesDialog::onRowChanged);
    connect(m_ui->IDC_SITE_ADD, &QPushButton::clicked, this, [this] {
        Site site;
        site.name = freeSiteName(m_sites, texts::kSiteNewName, false);
        site.port = kDefaultPort;
        insertSite(site);
    });
    connect(m_ui->IDC_SITE_FROM_SETTINGS, &QPushButton::clicked, this, [this] {
        Site site = m_fromSettings;
        site.name = freeSiteName(m_sites, texts::kSiteNewName, false);
        insertSite(site);
    });
    connect(m_ui->IDC_SITE_DUPLICATE, &QPushButton::clicked, this, &SitesDialog::duplicateSite);
    connect(m_ui->IDC_SITE_REMOVE, &QPushButton::clicked, this, &SitesDialog::removeSite);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &SitesDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &SitesDialog::reject);
    // A book that cannot be read is shown, not edited: what the window wrote would replace it.
    m_ui->IDC_SITE_BOOK_PROBLEM->setVisible(m_readOnly);
    m_ui->IDC_SITE_BOOK_PROBLEM->setText(texts::siteBookReadOnly(bookProblem));
    for (QWidget* w : {static_cast<QWidget*>(m_ui->IDC_SITE_ADD),
                       static_cast<QWidget*>(m_ui->IDC_SITE_FROM_SETTINGS),
                       static_cast<QWidget*>(m_ui->buttons->button(QDialogButtonBox::Save))})
        w->setEnabled(!m_readOnly);
    selectRow(m_sites.isEmpty() ? -1 : 0);
}

SitesDialog::~SitesDialog() = default;

int SitesDialog::showModal(QWidget* owner, const QString& path, const Site& fromSettings) {
    const SiteBook::Loaded book = SiteBook::load(path);
    SitesDialog dialog(path, book.sites, fromSettings, owner, book.problem);
    return dialog.exec() == QDialog::Accepted ? msg::IDOK : msg::IDCANCEL;
}

void SitesDialog::showSite(int row) {
    const bool any = row >= 0 && row < m_sites.size() && !m_readOnly;
    for (QWidget* w :
         {static_cast<QWidget*>(m_ui->IDC_SITE_NAME), static_cast<QWidget*>(m_ui->IDC_SITE_PORT),
          static_cast<QWidget*>(m_ui->IDC_SITE_DEVICE), static_cast<QWidget*>(m_ui->IDC_SITE_SPEED),
          static_cast<QWidget*>(m_ui->IDC_SITE_NOTE),
          static_cast<QWidget*>(m_ui->IDC_SITE_DUPLICATE),
          static_cast<QWidget*>(m_ui->IDC_SITE_REMOVE)})
        w->setEnabled(any);
    const bool shown = row >= 0 && row < m_sites.size();
    const Site site = shown ? m_sites[row] : Site{};
    m_ui->IDC_SITE_NAME->setText(site.name);
    m_ui->IDC_SITE_PORT->setEditText(shown ? site.port : QString());
    m_ui->IDC_SITE_DEVICE->setEditText(shown ? exchangeDeviceName(site.device) : QString());
    m_ui->IDC_SITE_SPEED->setEditText(shown ? QString::number(site.speed) : QString());
    m_ui->IDC_SITE_NOTE->setText(site.note);
    m_current = any ? row : -1;
}

QString SitesDialog::fieldsProblem() const {
    const QString name = m_ui->IDC_SITE_NAME->text().trimmed();
    if (const QString problem = siteNameProblem(name); !problem.isEmpty()) return problem;
    const CheckedChoice choice =
        checkChoice(m_ui->IDC_SITE_PORT->currentText(), m_ui->IDC_SITE_DEVICE->currentText(),
                    m_ui->IDC_SITE_SPEED->currentText(), kSitesWindowRules);
    if (choice.verdict != ChoiceVerdict::Accepted) return choiceVerdictText(choice.verdict);
    return siteNameClash(m_sites, name, m_current, texts::kSiteNameTaken);
}

bool SitesDialog::commitCurrent() {
    if (m_current < 0) return true;
    const QString problem = fieldsProblem();
    if (!problem.isEmpty()) {
        tabulonMessageBox(problem, msg::MB_OK);
        return false;
    }
    Site& site = m_sites[m_current];
    site.name = m_ui->IDC_SITE_NAME->text().trimmed();
    site.port = m_ui->IDC_SITE_PORT->currentText();
    site.device =
        *exchangeDeviceType(m_ui->IDC_SITE_DEVICE->currentText(), kSitesWindowRules.spelling);
    site.speed = *exchangeRate(m_ui->IDC_SITE_SPEED->currentText(), kSitesWindowRules.spelling);
    site.note = m_ui->IDC_SITE_NOTE->text();
    m_ui->IDC_SITE_LIST->item(m_current)->setText(site.name);
    return true;
}

void SitesDialog::selectRow(int row) {
    const QSignalBlocker block(m_ui->IDC_SITE_LIST);
    m_ui->IDC_SITE_LIST->setCurrentRow(row);
    showSite(row);
}

void SitesDialog::onRowChanged(int row) {
    if (row == m_current) return;
    // A wrong site keeps the operator on it until it is put right.
    if (!commitCurrent()) {
        const QSignalBlocker block(m_ui->IDC_SITE_LIST);
        m_ui->IDC_SITE_LIST->setCurrentRow(m_current);
        m_ui->IDC_SITE_NAME->setFocus();
        return;
    }
    showSite(row);
}

void SitesDialog::insertSite(const Site& site) {
    if (!commitCurrent()) return;
    const int row = m_current < 0 ? int(m_sites.size()) : m_current + 1;
    m_sites.insert(row, site);
    m_ui->IDC_SITE_LIST->insertItem(row, site.name);
    selectRow(row);
    m_ui->IDC_SITE_NAME->setFocus();
    m_ui->IDC_SITE_NAME->selectAll();
}

void SitesDialog::duplicateSite() {
    if (m_current < 0 || !commitCurrent()) return;
    Site copy = m_sites[m_current];
    copy.name = freeSiteName(m_sites, copy.name, true);
    insertSite(copy);
}

void SitesDialog::removeSite() {
    if (m_current < 0) return;
    const int row = m_current;
    m_sites.removeAt(row);
    {
        const QSignalBlocker block(m_ui->IDC_SITE_LIST);
        delete m_ui->IDC_SITE_LIST->takeItem(row);
    }
    m_current = -1;
    selectRow(m_sites.isEmpty() ? -1 : qMin(row, int(m_sites.size()) - 1));
}

void SitesDialog::accept() {
    if (m_readOnly || !commitCurrent()) return;
    // Legitimate where one line is switched between calculators by hand, so only told.
    if (const QString shared = sitesSharingPort(m_sites); !shared.isEmpty())
        tabulonMessageBox(shared, msg::MB_ICONINFORMATION);
    QString error;
    if (!SiteBook::save(m_path, m_sites, &error)) {
        tabulonMessageBox(error, msg::MB_ICONEXCLAMATION);
        return;
    }
    QDialog::accept();
}
