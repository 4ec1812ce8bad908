#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

#include "acquisition/ReceiveControl.h"

// Owns the worker thread of an exchange and the one-second timer that notices its end.
// The worker is always joined: a new exchange waits for the previous one to let go of the
// port, and the owner never goes away while a worker runs. Waiting keeps the event loop
// turning, because the worker may be blocked in a call that the UI thread has to carry out.
class ExchangeControl : public QObject {
    Q_OBJECT
public:
    using ThreadProc = std::function<unsigned(void*)>;
    static constexpr int kTimerId = 1;

    ExchangeControl(ReceiveControl& rc, ThreadProc proc, QObject* parent = nullptr);
    ~ExchangeControl() override;

    // Joins an ending worker, sets the flags (receiving, stop, abort in this order), shows the
    // strip through exchangeStarted, starts the timer and the worker. False when the timer
    // could not be started: the flags and bars stay as they are then, and no worker runs.
    bool start();
    void stop() { m_rc.requestStop(); }

    bool workerAlive() const { return m_thread.joinable() && !m_finished; }
    bool timerActive() const { return m_timer.isActive(); }

    // Waits until the worker has ended, serving the worker's calls meanwhile.
    void join();
    // Asks a running worker to end without questions, then joins it.
    void abortAndJoin();

    // One tick of the timer; tests call it directly instead of waiting a second, after moving
    // the real ticks out of their way.
    void OnTimer(int id);
    void setTickInterval(int ms) { m_timer.setInterval(ms); }

signals:
    void exchangeStarted();
    void exchangeEnded();
    void workerFinished();

private:
    ReceiveControl& m_rc;
    ThreadProc m_proc;
    QTimer m_timer;
    std::thread m_thread;
    std::atomic<bool> m_finished{true};
};
