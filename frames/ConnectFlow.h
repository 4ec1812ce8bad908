#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "acquisition/ReceiveControl.h"
#include "modem/DialPlan.h"

class CSettingsDlg;
class CommandRouter;
class ExchangeControl;
class QWidget;
class WorkerCalls;
struct Site;

// The exchange as the operator starts and stops it: "Установить связь" ("Настройки", the checks
// of port, type and speed, the start), "Связь с объектом" (the same, "Настройки" preset from a
// site of the book picked beside each site's last collection), "Прервать приём", and the
// windows of the book and of the lines, whose choices feed it.
class ConnectFlow : public QObject {
    Q_OBJECT
public:
    struct Parts {
        CSettingsDlg& settings;  // kept for the whole run: it holds the choice of the moment
        ReceiveControl& block;
        ExchangeControl& exchange;
        WorkerCalls& calls;
    };

    ConnectFlow(Parts parts, QWidget* frame);

    // Connect, stop, "Связь с объектом", "Объекты" and "Порты".
    void addCommands(CommandRouter& commands);

    void OnConnect();
    // "Связь с объектом": the connect command with "Настройки" preset from a site of the book.
    void onSiteConnect();
    // The site of the book called `name` as "Связь с объектом" would run it, and only while
    // that command could.
    void connectToNamed(const QString& name);
    void OnStopReceive();
    bool OnUpdateConnect() const { return m_block.m_bReceiving == 0; }
    bool OnUpdateStopReceive() const { return m_block.m_bReceiving != 0; }

    // A book that cannot be read is told once, at start; every use of the book reads it again.
    static void tellSiteBookProblem();

private:
    bool connectTo(const QString& site, std::optional<DialPlan> dial = std::nullopt);
    void connectToSite(const Site& site);
    Site siteFromSettings() const;

    CSettingsDlg& m_dlgSettings;
    ReceiveControl& m_block;
    ExchangeControl& m_exchange;
    WorkerCalls& m_calls;
    QWidget* m_frame;
};
