#include "frames/ConnectFlow.h"

#include <QWidget>

#include "archive/ArchiveSettings.h"
#include "frames/CommandRouter.h"
#include "frames/ExchangeControl.h"
#include "frames/WorkerCalls.h"
#include "ports/PortsDialog.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"
#include "res/Texts.h"
#include "settings/ExchangeChoice.h"
#include "settings/SettingsDlg.h"
#include "sites/Site.h"
#include "sites/SiteBook.h"
#include "sites/SiteComNumber.h"
#include "sites/SiteDialPlan.h"
#include "sites/SitePickerDialog.h"
#include "sites/SitesDialog.h"

ConnectFlow::ConnectFlow(Parts parts, QWidget* frame)
    : QObject(frame),
      m_dlgSettings(parts.settings),
      m_block(parts.block),
      m_exchange(parts.exchange),
      m_calls(parts.calls),
      m_frame(frame) {}

void ConnectFlow::addCommands(CommandRouter& commands) {
    const auto idle = [this] { return OnUpdateConnect(); };
    commands.add(
        id::ID_CONNECT, [this] { OnConnect(); }, idle);
    commands.add(
        id::ID_STOP_RECEIVE, [this] { OnStopReceive(); }, [this] { return OnUpdateStopReceive(); });
    commands.add(id::ID_PORTS, [this] { PortsDialog::showModal(m_frame); });
    commands.add(id::ID_SITES, [this] {
        SitesDialog::showModal(m_frame, SiteBook::userPath(), siteFromSettings());
    });
    commands.add(
        id::ID_SITE_CONNECT, [this] { onSiteConnect(); }, idle);
}

void ConnectFlow::OnConnect() {
    connectTo(QString());
}

void ConnectFlow::OnStopReceive() {
    m_exchange.stop();
}

// The connect command as it stands, the exchange's forms archived under `site` when one is named,
// its calculator called through the modem on the port first when `dial` is given; false when the
// operator cancelled "Настройки".
bool ConnectFlow::connectTo(const QString& site, std::optional<DialPlan> dial) {
    if (m_dlgSettings.DoModal(m_frame) != msg::IDOK) return false;
    m_calls.setSite(site);
    m_block.m_dial = std::move(dial);
    const ChoiceVerdict verdict = applyConnectChoice(
        m_dlgSettings.m_strPort, m_dlgSettings.m_strDevice, m_dlgSettings.m_strRate, m_block);
    if (verdict != ChoiceVerdict::Accepted) {
        tabulonMessageBox(choiceVerdictText(verdict), msg::MB_OK);
        return true;
    }
    // The commands follow the start through the router's watch on the exchange.
    if (!m_exchange.start()) tabulonMessageBox(texts::kTimerStartFailed, msg::MB_OK);
    return true;
}

void ConnectFlow::onSiteConnect() {
    const SiteBook::Loaded book = SiteBook::load(SiteBook::userPath());
    if (!book.problem.isEmpty()) {
        tabulonMessageBox(book.problem, msg::MB_ICONEXCLAMATION);
        return;
    }
    if (book.sites.isEmpty()) {
        tabulonMessageBox(texts::noSites(SiteBook::userPath()), msg::MB_OK);
        return;
    }
    const std::optional<Site> site =
        SitePickerDialog::showModal(m_frame, book.sites, ArchiveSettings::load().folder);
    if (site) connectToSite(*site);
}

void ConnectFlow::connectToNamed(const QString& name) {
    if (!OnUpdateConnect()) return;
    const SiteBook::Loaded book = SiteBook::load(SiteBook::userPath());
    if (const Site* site = SiteBook::find(book.sites, name)) connectToSite(*site);
}

void ConnectFlow::connectToSite(const Site& site) {
    const int com = siteComNumber(site.port);
    if (com == 0) {
        tabulonMessageBox(texts::siteNotOnComNumber(site.name, site.port), msg::MB_OK);
        return;
    }
    // "Настройки" opens with the site's choice; cancelled, it keeps what Tabulon.ini gave.
    const QStringList before{m_dlgSettings.m_strPort, m_dlgSettings.m_strDevice,
                             m_dlgSettings.m_strRate};
    m_dlgSettings.m_strPort = QStringLiteral("COM%1").arg(com);
    m_dlgSettings.m_strDevice = exchangeDeviceName(site.device);
    m_dlgSettings.m_strRate = QString::number(site.speed);
    if (connectTo(site.name, dialPlanOf(site))) return;
    m_dlgSettings.m_strPort = before[0];
    m_dlgSettings.m_strDevice = before[1];
    m_dlgSettings.m_strRate = before[2];
}

// What "Из настроек" of "Объекты" makes a site of: the choice of "Настройки" now.
Site ConnectFlow::siteFromSettings() const {
    Site site;
    site.port = m_dlgSettings.m_strPort;
    site.device = exchangeDeviceType(m_dlgSettings.m_strDevice, Spelling::Numbers)
                      .value_or(kDefaultDeviceType);
    site.speed = exchangeRate(m_dlgSettings.m_strRate, Spelling::Items).value_or(kDefaultSpeed);
    return site;
}

void ConnectFlow::tellSiteBookProblem() {
    const SiteBook::Loaded book = SiteBook::load(SiteBook::userPath());
    if (!book.problem.isEmpty())
        tabulonMessageBox(texts::siteBookAtStart(book.problem), msg::MB_ICONEXCLAMATION);
}
