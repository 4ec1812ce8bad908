#include "frames/WorkerCalls.h"

#include <QMainWindow>
#include <QStatusBar>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <type_traits>

#include "acquisition/ReceiveControl.h"
#include "archive/ExchangeRecord.h"
#include "archive/FormArchive.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "frames/HandOverOrder.h"
#include "frames/PieceWindows.h"
#include "frames/ProgressStrip.h"
#include "index/IndexFeed.h"
#include "res/MessageBox.h"
#include "res/Texts.h"
#include "settings/ExchangeChoice.h"
#include "settings/IniPath.h"
#include "settings/SettingsDlg.h"
#include "settings/SettingsFile.h"

WorkerCalls::WorkerCalls(ReceiveControl& rc, ProgressStrip& strip, CFormTemplate& forms,
                         CSettingsDlg& settings, QWidget* mainWindow, QObject* parent)
    : QObject(parent),
      m_rc(rc),
      m_strip(strip),
      m_forms(forms),
      m_settings(settings),
      m_mainWindow(mainWindow),
      m_pieceWindows(new PieceWindows(
          rc, forms, [this](const QString& text) { showStatus(text); }, this)) {
    m_writer = [](const SettingsStrings& s, std::function<int(const QString&, unsigned)> report) {
        return WriteSettingsFile(g_strIniPath, s.port, s.device, s.rate, std::move(report));
    };
}

WorkerCalls::~WorkerCalls() = default;

// Runs `f` on the window's thread after what was posted before it, without holding up the
// thread that posts it.
template <typename F>
void WorkerCalls::postToUi(F&& f) {
    handover::posted(this);
    QMetaObject::invokeMethod(
        this,
        [this, f = std::forward<F>(f)]() mutable {
            handover::received(this);
            f();
        },
        Qt::QueuedConnection);
}

void WorkerCalls::beginArchive() {
    m_archive.reset();  // the last exchange's forms are written first
    if (auto* frame = qobject_cast<QMainWindow*>(m_mainWindow.data()))
        frame->statusBar()->clearMessage();
    forgetLastExchange();
    const ArchiveSettings settings = ArchiveSettings::load();
    if (!settings.enabled) return;
    m_line = FormArchive::Line{QString::fromStdString(m_rc.m_strPort),
                               exchangeDeviceName(m_rc.m_nDeviceType), m_rc.m_nRate, m_site};
    m_archive = std::make_unique<FormArchive>(settings, m_line);
    m_archiveRoot = settings.folder;
    m_archive->keepEntries(true);  // for the record
    watchArchive(settings.folder);
    m_archive->recoverLeftovers();
}

void WorkerCalls::forgetLastExchange() {
    m_started = QDateTime::currentDateTimeUtc();
    m_formsDelivered = false;
    m_inPieces = false;
    ++m_archiveGeneration;  // what the archive tells of the last exchange is not this one's
    m_pieceWindows->clear();
}

// What the archive's thread tells reaches the window through posted calls: the worker and the
// archive go on meanwhile.
void WorkerCalls::watchArchive(const QString& folder) {
    const int generation = m_archiveGeneration;
    // Told once per exchange.
    m_archive->setFailureHandler([this, generation](const FormArchive::Failure& failure) {
        tellArchiveFailure(FormArchive::failureText(failure) + u'\n' + texts::kFormStaysInWindow);
        postToUi([this, generation] { pieceArchived(generation, 0, true); });
    });
    // Seen in the status bar once the exchange has ended, until the next one begins.
    m_archive->setLeftoversHandler([this](const std::vector<Leftover>& found) {
        const auto removed = std::count_if(found.begin(), found.end(),
                                           [](const Leftover& l) { return l.path.isEmpty(); });
        const QString text =
            texts::kLeftoversSummary.arg(qsizetype(found.size()) - removed).arg(removed);
        postToUi([this, text] {
            if (auto* frame = qobject_cast<QMainWindow*>(m_mainWindow.data()))
                frame->statusBar()->showMessage(text);
        });
    });
    // Written forms go into the archive window's index at once, on the archive's thread; the
    // windows of pieces learn which may close.
    m_archive->setWrittenHandler([this, feed = std::make_shared<IndexFeed>(folder),
                                  archive = m_archive.get(),
                                  generation](const FormArchive::Entry& entry) {
        feed->add(entry.path);
        // A failure is reported before any form handed in after the one that failed.
        const bool failed = archive->firstFailure().has_value();
        postToUi([this, generation, number = entry.number, failed] {
            pieceArchived(generation, number, failed);
        });
    });
}

void WorkerCalls::tellArchiveFailure(const QString& text) {
    postToUi([text] { tabulonMessageBox(text, msg::MB_ICONEXCLAMATION); });
}

void WorkerCalls::finishArchive() {
    if (m_archive) m_archive->finish();
}

void WorkerCalls::formDelivered(int number, const QByteArray& cp1251, bool complete) {
    m_formsDelivered = true;
    if (m_archive) m_archive->add(number, cp1251, complete);
    // A form with its end, the usual case, costs the line no call more.
    if (complete && !m_inPieces) return;
    m_inPieces = !complete;
    onUiThread([&] { m_pieceWindows->notePiece(number, complete, m_archive != nullptr); });
}

void WorkerCalls::showStatus(const QString& text) {
    if (auto* frame = qobject_cast<QMainWindow*>(m_mainWindow.data()))
        frame->statusBar()->showMessage(text);
}

void WorkerCalls::pieceArchived(int generation, int number, bool archiveFailed) {
    if (generation == m_archiveGeneration) m_pieceWindows->archived(number, archiveFailed);
}

// With the archive off there is no place for the record, and nothing collected to tell of.
void WorkerCalls::exchangeEnded(ExchangeOutcome outcome, std::uint64_t bytesRead) {
    if (!m_archive) return;
    m_archive->finish();
    ExchangeRecord record;
    record.site = m_line.site;
    record.port = m_line.port;
    record.device = m_line.device;
    record.speed = m_line.rate;
    record.start = m_started;
    record.end = QDateTime::currentDateTimeUtc();
    record.outcome =
        recordOutcomeOf({outcome, false, m_archive->firstFailure().has_value(), m_formsDelivered});
    record.forms = ExchangeRecords::formsOf(m_archiveRoot, m_archive->entries());
    record.bytes = qint64(bytesRead);
    QString error;
    if (!ExchangeRecords::write(m_archiveRoot, record, &error))
        tellArchiveFailure(texts::kRecordNotWritten.arg(error));
}

template <typename F>
auto WorkerCalls::onUiThread(F&& f) -> decltype(f()) {
    using R = decltype(f());
    if (QThread::currentThread() == thread()) return f();
    // The worker waits for the call, so what the call did is ordered before its return too.
    if constexpr (std::is_void_v<R>) {
        handover::posted(this);
        QMetaObject::invokeMethod(
            this,
            [&] {
                handover::received(this);
                f();
                handover::posted(this);
            },
            Qt::BlockingQueuedConnection);
        handover::received(this);
    } else {
        R result{};
        handover::posted(this);
        QMetaObject::invokeMethod(
            this,
            [&] {
                handover::received(this);
                result = f();
                handover::posted(this);
            },
            Qt::BlockingQueuedConnection);
        handover::received(this);
        return result;
    }
}

void WorkerCalls::setProgressPos(int pos) {
    onUiThread([&] { m_strip.setPos(pos); });
}

void WorkerCalls::stepProgress() {
    onUiThread([&] { m_strip.stepIt(); });
}

void WorkerCalls::setByteCounterText(const QString& text) {
    onUiThread([&] { m_strip.setByteCounterText(text); });
}

void WorkerCalls::showCallState(const QString& text) {
    onUiThread([&] { m_strip.setCallText(text); });
}

bool WorkerCalls::setViewText(const QByteArray& cp1251) {
    return onUiThread([&] {
        auto* view = qobject_cast<CTabulonPlusView*>(m_rc.m_pView);
        if (!view) return false;
        view->setFormText(cp1251);
        return true;
    });
}

void WorkerCalls::setViewModified() {
    onUiThread([&] {
        auto* view = qobject_cast<CTabulonPlusView*>(m_rc.m_pView);
        if (view && view->getDocument()) view->getDocument()->SetModifiedFlag(true);
    });
}

void WorkerCalls::newForm() {
    onUiThread([&] { m_forms.openNewDocument(CFormTemplate::Origin::Exchange); });
}

bool WorkerCalls::askToStart() {
    return messageBox(texts::kStartQuestion, msg::MB_YESNO | msg::MB_ICONQUESTION) == msg::IDYES;
}

bool WorkerCalls::askToContinue(std::int64_t count) {
    return messageBox(texts::closingReportText(count), msg::MB_YESNO | msg::MB_ICONQUESTION) ==
           msg::IDYES;
}

void WorkerCalls::reportFailure(ExchangeOutcome kind, const QString& detail) {
    messageBox(failureText(kind, detail), msg::MB_OK);
}

int WorkerCalls::messageBox(const QString& text, unsigned style) {
    return onUiThread([&] {
        // Once the operator has closed the receiving window or left the program, the worker
        // asks nothing more, even a question it sent before it could see that.
        if (m_rc.m_bAbort) return msg::IDCANCEL;
        // The operator answers the worker before anything else: the main window stays
        // disabled while the box is up, as the owner of a modal box is.
        ++m_questionDepth;
        if (m_mainWindow) m_mainWindow->setEnabled(false);
        const int answer = tabulonMessageBox(text, style);
        if (--m_questionDepth == 0 && m_mainWindow) m_mainWindow->setEnabled(true);
        return answer;
    });
}

AcquisitionHost::SettingsStrings WorkerCalls::settingsStrings() {
    return onUiThread([&] {
        return SettingsStrings{m_settings.m_strPort, m_settings.m_strDevice, m_settings.m_strRate};
    });
}

bool WorkerCalls::writeSettingsFile(const SettingsStrings& strings) {
    // The file is written here, on the worker thread; only its message goes to the UI thread.
    return m_writer(
        strings, [this](const QString& text, unsigned style) { return messageBox(text, style); });
}
