#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "archive/ExchangeRecord.h"
#include "platform/Clock.h"
#include "store/ArchiveOutbox.h"
#include "store/StoreAddress.h"
#include "store/StoreConnection.h"

// Sends an archive's forms and exchange records to the common archive, oldest first, in
// batches of one transaction each; the sent-ledger learns of a batch once the store has
// committed it. A store that is down, slow or busy is tried again with a growing pause until the
// time given is up; one that refuses the password or a right is told at once, as no retry will
// mend it. Every insert does nothing on a row the store has, so sending again is harmless.
class StoreUploader {
public:
    struct Report {
        int formsSent = 0, recordsSent = 0;
        int formsLeft = 0, recordsLeft = 0;
        QString failure;  // Russian, the last one met; empty when none
        bool complete() const { return formsLeft == 0 && recordsLeft == 0; }
    };
    using Log = std::function<void(const QString&)>;

    StoreUploader(StoreAddress address, QString archiveRoot, Clock& clock);

    void setLog(Log log) { m_log = std::move(log); }
    // Looked at between batches and pauses; `wake` ends a pause when the stop comes.
    void setStop(const std::atomic<int>* stop, const WakeSignal* wake) {
        m_stop = stop;
        m_wake = wake;
    }
    // The most one wait on the server may take.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    // Sends until nothing is left or `waitMs` has passed.
    Report drain(std::int64_t waitMs);

    static constexpr std::int64_t kFirstPauseMs = 1000;
    static constexpr std::int64_t kMaxPauseMs = 60000;
    static constexpr int kBatchItems = 200;
    static constexpr qint64 kBatchBytes = qint64(4) << 20;

private:
    using Item = ArchiveOutbox::Item;
    struct Sent;

    bool connect();
    bool sendAll();
    bool sendBatch(const std::vector<Item>& items, std::size_t& next);
    bool send(const Item& item, Sent& sent);
    void rollback();
    bool sendForm(const Item& item, const QByteArray& bytes, qint64 modifiedMs);
    bool sendRecord(const QByteArray& bytes);
    const ExchangeRecord* recordOfForm(const Item& item);
    void noteLeft(Report& report) const;
    bool stopped() const { return m_stop && m_stop->load() != 0; }
    void log(const QString& text) const {
        if (m_log) m_log(text);
    }

    QString m_root;
    Clock& m_clock;
    StoreConnection m_connection;
    int m_timeoutMs = 10000;
    QString m_storeId;
    QByteArray m_machine;
    Log m_log;
    const std::atomic<int>* m_stop = nullptr;
    const WakeSignal* m_wake = nullptr;
    int m_formsSent = 0, m_recordsSent = 0;
    // The records of the months whose forms are being sent, each form's by its path.
    QHash<QString, QList<ExchangeRecord>> m_monthRecords;
    QHash<QString, ExchangeRecord> m_formRecords;
};
