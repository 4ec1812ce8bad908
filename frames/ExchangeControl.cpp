#include "frames/ExchangeControl.h"

#include <QEventLoop>

ExchangeControl::ExchangeControl(ReceiveControl& rc, ThreadProc proc, QObject* parent)
    : QObject(parent), m_rc(rc), m_proc(std::move(proc)) {
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(kTimerId); });
}

ExchangeControl::~ExchangeControl() {
    abortAndJoin();
}

bool ExchangeControl::start() {
    join();
    m_rc.m_bReceiving = 1;
    m_rc.m_bStop = 0;
    m_rc.m_bAbort = 0;
    emit exchangeStarted();
    m_timer.start();  // restarting replaces a timer still running from the last exchange
    if (!m_timer.isActive()) return false;

    m_finished = false;
    m_thread = std::thread([this] {
        m_proc(&m_rc);
        m_finished = true;
        emit workerFinished();  // queued to the UI thread: wakes a join() waiting there
    });
    return true;
}

void ExchangeControl::join() {
    if (!m_thread.joinable()) return;
    if (!m_finished) {
        QEventLoop loop;
        connect(this, &ExchangeControl::workerFinished, &loop, &QEventLoop::quit,
                Qt::QueuedConnection);
        // The signal may have been queued before the connection existed; the flag covers that.
        while (!m_finished) loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    m_thread.join();
}

void ExchangeControl::abortAndJoin() {
    if (workerAlive()) {
        m_rc.requestAbort();
    }
    join();
}

void ExchangeControl::OnTimer(int id) {
    if (m_rc.m_bReceiving != 0 || id != kTimerId) return;
    // The ended worker is joined by the next start() or at the end: a tick may arrive while a
    // join() further down this thread's stack waits for the same thread.
    m_timer.stop();
    emit exchangeEnded();
}
