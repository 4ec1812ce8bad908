#include "sites/SiteModemFields.h"

#include "modem/DialPlan.h"
#include "sites/SiteBookFormat.h"
#include "sites/SiteCheck.h"
#include "sites/SiteListenKeys.h"
#include "ui_SitesDialog.h"

using SiteBookFormat::readField;

namespace {

struct TextField {
    const char* key;
    const QLineEdit* edit;
};

// The fields filled in, in their order, until one is wrong; an empty one leaves the default.
QString readFilled(Site& site, std::initializer_list<TextField> fields) {
    for (const TextField& field : fields) {
        if (field.edit->text().isEmpty()) continue;
        const QString problem =
            readField(site, QString::fromLatin1(field.key), field.edit->text());
        if (!problem.isEmpty()) return problem;
    }
    return {};
}

}  // namespace

SiteModemFields::SiteModemFields(Ui::SitesDialog& ui) : m_ui(ui) {
    m_ui.siteDialTimeout->setRange(kMinDialTimeoutS, kMaxDialTimeoutS);
    // An empty field stands for the default, shown in grey so that it is known.
    const QString init = QString::fromLatin1(DialPlan::kDefaultInit);
    m_ui.siteModemInit->setPlaceholderText(init);
    m_ui.siteModemInit->setMinimumWidth(
        m_ui.siteModemInit->fontMetrics().horizontalAdvance(init + QStringLiteral("MM")));
    m_ui.siteReadEvery->setPlaceholderText(SiteListenKeys::secondsText(Site::kDefaultReadEvery));
    QObject::connect(m_ui.sitePhone, &QLineEdit::textChanged, m_ui.sitePhone,
                     [this] { setEnabled(m_ui.sitePhone->isEnabled()); });
}

void SiteModemFields::show(const Site& site) {
    m_ui.sitePhone->setText(site.phone);
    m_ui.siteModemInit->setText(site.modemInit);
    m_ui.siteBearer->setText(site.bearer);
    m_ui.siteDialTimeout->setValue(site.dialTimeout);
    m_ui.siteHello->setText(site.hello.isEmpty() ? QString()
                                                 : SiteListenKeys::bytesLine(site.hello));
    m_ui.siteAddress->setText(site.address);
    m_ui.siteReadEvery->setText(site.readEvery == Site::kDefaultReadEvery
                                    ? QString()
                                    : SiteListenKeys::secondsText(site.readEvery));
}

void SiteModemFields::setEnabled(bool enabled) {
    for (QWidget* w : {static_cast<QWidget*>(m_ui.sitePhone), static_cast<QWidget*>(m_ui.siteHello),
                       static_cast<QWidget*>(m_ui.siteAddress),
                       static_cast<QWidget*>(m_ui.siteReadEvery)})
        w->setEnabled(enabled);
    // Without a phone the book keeps none of the call's keys.
    const bool call = enabled && !m_ui.sitePhone->text().isEmpty();
    for (QWidget* w :
         {static_cast<QWidget*>(m_ui.siteModemInit), static_cast<QWidget*>(m_ui.siteBearer),
          static_cast<QWidget*>(m_ui.siteDialTimeout)})
        w->setEnabled(call);
}

QString SiteModemFields::read(Site& site) const {
    if (const QString problem = readCall(site); !problem.isEmpty()) return problem;
    return readCallIn(site);
}

QString SiteModemFields::readCall(Site& site) const {
    const Site none;
    site.phone = none.phone;
    site.modemInit = none.modemInit;
    site.bearer = none.bearer;
    site.dialTimeout = none.dialTimeout;
    if (m_ui.sitePhone->text().isEmpty()) return {};
    const QString problem = readFilled(site, {{"phone", m_ui.sitePhone},
                                              {"modem_init", m_ui.siteModemInit},
                                              {"bearer", m_ui.siteBearer}});
    if (!problem.isEmpty()) return problem;
    return readField(site, QStringLiteral("dial_timeout"), m_ui.siteDialTimeout->value());
}

QString SiteModemFields::readCallIn(Site& site) const {
    const Site none;
    site.hello = none.hello;
    site.address = none.address;
    site.readEvery = none.readEvery;
    return readFilled(site, {{"hello", m_ui.siteHello},
                             {"address", m_ui.siteAddress},
                             {"read_every", m_ui.siteReadEvery}});
}
