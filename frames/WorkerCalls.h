#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "acquisition/AcquisitionHost.h"
#include "archive/FormArchive.h"

struct ReceiveControl;
class ProgressStrip;
class CFormTemplate;
class CSettingsDlg;
class CTabulonPlusDoc;
class PieceWindows;
class QWidget;

// The windows as the worker reaches them. Each call is carried out on the UI thread while
// the worker waits (a blocking queued call), so the worker never touches a widget and finds
// the result in place when the call returns. Called on the UI thread itself, a call runs
// directly.
class WorkerCalls : public QObject, public AcquisitionHost {
    Q_OBJECT
public:
    // Writes the configuration file; runs on the worker thread. `report` shows a failure.
    using SettingsWriter = std::function<bool(const SettingsStrings&,
                                              std::function<int(const QString&, unsigned)> report)>;

    WorkerCalls(ReceiveControl& rc, ProgressStrip& strip, CFormTemplate& forms,
                CSettingsDlg& settings, QWidget* mainWindow, QObject* parent = nullptr);
    ~WorkerCalls() override;

    // A new exchange is about to start on the line in the block: its forms go to a new
    // archive when the operator keeps one. Call on the UI thread before the worker starts.
    void beginArchive();
    // Waits until the forms of the last exchange are on disk (or have failed).
    void finishArchive();

    void setSettingsWriter(SettingsWriter writer) { m_writer = std::move(writer); }
    // The site of the book the next exchange reads, whose folder its forms go to; empty for an
    // exchange without one.
    void setSite(const QString& site) { m_site = site; }

    // The pieces a text without form end is cut into, each shown in a window of its own: a
    // window holds about ten times its text (a text layout per line), so the windows' pieces
    // are kept well below the collector's.
    static constexpr qsizetype kWindowPieceBytes = qsizetype{4} << 20;
    qsizetype formLimit() const override { return kWindowPieceBytes; }

    void setProgressPos(int pos) override;
    void stepProgress() override;
    void setByteCounterText(const QString& text) override;
    void showCallState(const QString& text) override;
    bool setViewText(const QByteArray& cp1251) override;
    void setViewModified() override;
    void newForm() override;
    bool askToStart() override;
    bool askToContinue(std::int64_t count) override;
    void reportFailure(ExchangeOutcome kind, const QString& detail) override;
    SettingsStrings settingsStrings() override;
    bool writeSettingsFile(const SettingsStrings& strings) override;
    void formDelivered(int number, const QByteArray& cp1251, bool complete) override;
    // Writes the exchange's record once its forms are in the archive.
    void exchangeEnded(ExchangeOutcome outcome, std::uint64_t bytesRead) override;

    // A modal message box owned by the main window, for the worker: returns msg::IDOK,
    // IDYES, ...; msg::IDCANCEL without showing it once the operator is leaving.
    int messageBox(const QString& text, unsigned style);

    // True while one of the worker's message boxes is up.
    bool questionShowing() const { return m_questionDepth > 0; }

private:
    template <typename F>
    auto onUiThread(F&& f) -> decltype(f());
    template <typename F>
    void postToUi(F&& f);
    void forgetLastExchange();  // what the windows kept of the exchange before
    void watchArchive(const QString& folder);
    // Shows an archive failure once the worker's own box is gone, without holding it up.
    void tellArchiveFailure(const QString& text);
    void showStatus(const QString& text);
    // Passes what the archive wrote on to the windows of pieces, if it is this exchange's.
    void pieceArchived(int generation, int number, bool archiveFailed);

    ReceiveControl& m_rc;
    ProgressStrip& m_strip;
    CFormTemplate& m_forms;
    CSettingsDlg& m_settings;
    QPointer<QWidget> m_mainWindow;
    SettingsWriter m_writer;
    QString m_site;
    int m_questionDepth = 0;
    // Replaced only between exchanges, while no worker runs.
    std::unique_ptr<FormArchive> m_archive;
    // Of the exchange running, for its record; written on the UI thread before the worker
    // starts, read by the worker as it ends.
    QString m_archiveRoot;
    FormArchive::Line m_line;
    QDateTime m_started;
    bool m_formsDelivered = false;  // worker thread only

    bool m_inPieces = false;      // worker thread only: the last delivery was cut short
    int m_archiveGeneration = 0;  // tells the written forms of an earlier exchange apart
    PieceWindows* m_pieceWindows;
};
