#include "sites/SitesDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>

#include "res/MessageBox.h"
#include "res/Texts.h"
#include "settings/ExchangeChoice.h"
#include "sites/SiteBook.h"
#include "sites/SiteCheck.h"
#include "sites/SiteModemFields.h"
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
    m_modemFields = std::make_unique<SiteModemFields>(*m_ui);
    // The operator's text must arrive as typed, as in "Настройки".
    for (QComboBox* list : {m_ui->sitePort, m_ui->siteDevice, m_ui->siteSpeed})
        list->setCompleter(nullptr);
    m_ui->sitePort->addItems(exchangePortItems());
    m_ui->siteDevice->addItems(exchangeDeviceItems());
    m_ui->siteSpeed->addItems(exchangeRateItems());
    for (const Site& site : m_sites) m_ui->siteList->addItem(site.name);

    connectButtons();
    showReadOnly(bookProblem);
    selectRow(m_sites.isEmpty() ? -1 : 0);
}

SitesDialog::~SitesDialog() = default;

void SitesDialog::connectButtons() {
    connect(m_ui->siteList, &QListWidget::currentRowChanged, this, &SitesDialog::onRowChanged);
    connect(m_ui->siteAdd, &QPushButton::clicked, this, [this] {
        Site site;
        site.name = freeSiteName(m_sites, texts::kSiteNewName, false);
        site.port = kDefaultPort;
        insertSite(site);
    });
    connect(m_ui->siteFromSettings, &QPushButton::clicked, this, [this] {
        Site site = m_fromSettings;
        site.name = freeSiteName(m_sites, texts::kSiteNewName, false);
        insertSite(site);
    });
    connect(m_ui->siteDuplicate, &QPushButton::clicked, this, &SitesDialog::duplicateSite);
    connect(m_ui->siteRemove, &QPushButton::clicked, this, &SitesDialog::removeSite);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &SitesDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &SitesDialog::reject);
}

// A book that cannot be read is shown, not edited: what the window wrote would replace it.
void SitesDialog::showReadOnly(const QString& bookProblem) {
    m_ui->siteBookProblem->setVisible(m_readOnly);
    m_ui->siteBookProblem->setText(texts::siteBookReadOnly(bookProblem));
    for (QWidget* w :
         {static_cast<QWidget*>(m_ui->siteAdd), static_cast<QWidget*>(m_ui->siteFromSettings),
          static_cast<QWidget*>(m_ui->buttons->button(QDialogButtonBox::Save))})
        w->setEnabled(!m_readOnly);
}

int SitesDialog::showModal(QWidget* owner, const QString& path, const Site& fromSettings) {
    const SiteBook::Loaded book = SiteBook::load(path);
    SitesDialog dialog(path, book.sites, fromSettings, owner, book.problem);
    return dialog.exec() == QDialog::Accepted ? msg::IDOK : msg::IDCANCEL;
}

void SitesDialog::showSite(int row) {
    const bool any = row >= 0 && row < m_sites.size() && !m_readOnly;
    for (QWidget* w :
         {static_cast<QWidget*>(m_ui->siteName), static_cast<QWidget*>(m_ui->sitePort),
          static_cast<QWidget*>(m_ui->siteDevice), static_cast<QWidget*>(m_ui->siteSpeed),
          static_cast<QWidget*>(m_ui->siteNote), static_cast<QWidget*>(m_ui->siteDuplicate),
          static_cast<QWidget*>(m_ui->siteRemove)})
        w->setEnabled(any);
    const bool shown = row >= 0 && row < m_sites.size();
    const Site site = shown ? m_sites[row] : Site{};
    m_ui->siteName->setText(site.name);
    m_ui->sitePort->setEditText(shown ? site.port : QString());
    m_ui->siteDevice->setEditText(shown ? exchangeDeviceName(site.device) : QString());
    m_ui->siteSpeed->setEditText(shown ? QString::number(site.speed) : QString());
    m_ui->siteNote->setText(site.note);
    m_modemFields->show(site);
    m_modemFields->setEnabled(any);
    m_current = any ? row : -1;
}

// The fields into `site`, top to bottom; the message for the first that is wrong: the connect
// command's for the port, type and speed, the book's for the modem's keys.
QString SitesDialog::readFields(Site& site) const {
    const QString name = m_ui->siteName->text().trimmed();
    if (const QString problem = siteNameProblem(name); !problem.isEmpty()) return problem;
    site.name = name;
    const QString modemProblem = m_modemFields->read(site);
    // A site whose modem calls in may have no port: the service reads it over the connection.
    const QString port = m_ui->sitePort->currentText();
    const bool noPortNeeded = port.isEmpty() && site.callsIn() && !site.isDialUp();
    const CheckedChoice choice =
        checkChoice(noPortNeeded ? kDefaultPort : port, m_ui->siteDevice->currentText(),
                    m_ui->siteSpeed->currentText(), kSitesWindowRules);
    if (choice.verdict != ChoiceVerdict::Accepted) return choiceVerdictText(choice.verdict);
    if (!modemProblem.isEmpty()) return modemProblem;
    site.port = port;
    site.device = *choice.type;
    site.speed = *choice.rate;
    site.note = m_ui->siteNote->text();
    return siteNameClash(m_sites, name, m_current, texts::kSiteNameTaken);
}

bool SitesDialog::commitCurrent() {
    if (m_current < 0) return true;
    Site site = m_sites[m_current];
    const QString problem = readFields(site);
    if (!problem.isEmpty()) {
        tabulonMessageBox(problem, msg::MB_OK);
        return false;
    }
    m_sites[m_current] = site;
    m_ui->siteList->item(m_current)->setText(site.name);
    return true;
}

void SitesDialog::selectRow(int row) {
    const QSignalBlocker block(m_ui->siteList);
    m_ui->siteList->setCurrentRow(row);
    showSite(row);
}

void SitesDialog::onRowChanged(int row) {
    if (row == m_current) return;
    // A wrong site keeps the operator on it until it is put right.
    if (!commitCurrent()) {
        const QSignalBlocker block(m_ui->siteList);
        m_ui->siteList->setCurrentRow(m_current);
        m_ui->siteName->setFocus();
        return;
    }
    showSite(row);
}

void SitesDialog::insertSite(const Site& site) {
    if (!commitCurrent()) return;
    const int row = m_current < 0 ? int(m_sites.size()) : m_current + 1;
    m_sites.insert(row, site);
    m_ui->siteList->insertItem(row, site.name);
    selectRow(row);
    m_ui->siteName->setFocus();
    m_ui->siteName->selectAll();
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
        const QSignalBlocker block(m_ui->siteList);
        delete m_ui->siteList->takeItem(row);
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
