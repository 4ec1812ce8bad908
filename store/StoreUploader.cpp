#include "store/StoreUploader.h"

#include <QCryptographicHash>
#include <QDate>
#include <QSysInfo>
#include <algorithm>

#include "archive/FormPath.h"
#include "files/RegularFile.h"
#include "files/TextFileCodec.h"
#include "res/Texts.h"
#include "store/SentLedger.h"
#include "store/StoreSchema.h"

namespace {

// Far past any calculator's report; a file larger than this under a form's name is no form.
constexpr qint64 kMaxFormBytes = qint64(16) << 20;

const char* const kFormAdd =
    "INSERT INTO forms (site, port, device, speed, received, file_name, size, hash, body,"
    " incomplete, machine) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11)"
    " ON CONFLICT (hash, site, received) DO NOTHING";
const char* const kExchangeAdd =
    "INSERT INTO exchanges (site, port, device, speed, started, ended, outcome, form_count,"
    " bytes, tries, hash, record, machine) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11,"
    " $12, $13) ON CONFLICT (hash, site, started) DO NOTHING";

QByteArray utf8(const QString& text) {
    return text.toUtf8();
}

QByteArray timeText(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs).toUtf8();
}

QByteArray hashText(const QByteArray& bytes) {
    return "\\x" + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// When a form was received: as its name tells, else as its exchange's record does. The record's
// start goes with the archive wherever it is copied or restored, where the file's own time
// does not, and a form sent again under another time would be stored twice. The forms of one
// exchange lie a millisecond apart in the record's order, so that two alike stay two. Only a
// form no record names is left with its file's time.
QDateTime receivedOf(const QString& path, const FormPath::Fields& fields,
                     const ExchangeRecord* record) {
    if (!record || FormPath::timeInName(path)) return fields.received;
    for (qsizetype i = 0; i < record->forms.size(); ++i)
        if (record->forms[i].file == path) return record->start.addMSecs(i);
    return fields.received;
}

}  // namespace

// What one batch sent, for the ledger once the store committed it.
struct StoreUploader::Sent {
    QHash<QString, QStringList> byMonth;
    int forms = 0, records = 0;
    qint64 bytes = 0;
};

StoreUploader::StoreUploader(StoreAddress address, QString archiveRoot, Clock& clock)
    : m_root(std::move(archiveRoot)), m_clock(clock), m_connection(std::move(address), 10000) {}

// Connected, the schema current, the statements prepared and this machine known to the store.
bool StoreUploader::connect() {
    StoreConnection& c = m_connection;
    c.setTimeoutMs(m_timeoutMs);
    if (!c.open() || !StoreSchema::migrate(c, &m_storeId)) return false;
    SentLedger::rememberStore(m_root, m_storeId);
    const QByteArray key = QSysInfo::machineUniqueId().isEmpty() ? utf8(QSysInfo::machineHostName())
                                                                 : QSysInfo::machineUniqueId();
    if (!c.prepare("machine_add",
                   "INSERT INTO machines (machine_key, host_name) VALUES ($1, $2)"
                   " ON CONFLICT (machine_key) DO NOTHING",
                   "machines") ||
        !c.prepare("machine_id", "SELECT id FROM machines WHERE machine_key = $1", "machines") ||
        !c.prepare("form_add", kFormAdd, "forms") ||
        !c.prepare("exchange_add", kExchangeAdd, "exchanges") ||
        !c.execute("machine_add", {key, utf8(QSysInfo::machineHostName())}))
        return false;
    const auto id = c.execute("machine_id", {key});
    if (!id || id->count() != 1) return false;
    m_machine = utf8(id->text(0, 0));
    return true;
}

StoreUploader::Report StoreUploader::drain(std::int64_t waitMs) {
    Report report;
    const std::int64_t deadline = m_clock.nowMs() + waitMs;
    std::int64_t pause = kFirstPauseMs;
    for (;;) {
        const bool done = stopped() || ((m_connection.isOpen() || connect()) && sendAll());
        if (done) {
            report.failure.clear();
            break;
        }
        report.failure = m_connection.message();
        log(report.failure);
        const std::int64_t left = deadline - m_clock.nowMs();
        if (!m_connection.transient() || stopped() || left <= 0) break;
        m_clock.pause(std::chrono::milliseconds(std::min(pause, left)), m_wake);
        pause = std::min(pause * 2, kMaxPauseMs);
    }
    report.formsSent = m_formsSent;
    report.recordsSent = m_recordsSent;
    noteLeft(report);
    return report;
}

void StoreUploader::noteLeft(Report& report) const {
    const QString storeId = m_storeId.isEmpty() ? SentLedger::lastStoreId(m_root) : m_storeId;
    const QSet<QString> sent =
        storeId.isEmpty() ? QSet<QString>() : SentLedger(m_root, storeId).sent();
    for (const Item& item : ArchiveOutbox::unsent(m_root, sent))
        ++(item.kind == Item::Kind::Form ? report.formsLeft : report.recordsLeft);
}

bool StoreUploader::sendAll() {
    const SentLedger ledger(m_root, m_storeId);
    const std::vector<Item> items =
        ArchiveOutbox::ordered(m_root, ArchiveOutbox::unsent(m_root, ledger.sent()));
    std::size_t next = 0;
    while (next < items.size()) {
        if (stopped()) return true;
        if (!sendBatch(items, next)) return false;
    }
    return true;
}

// One transaction, then the ledger. A file that cannot be read is told and left for the next
// time; the rest of the batch goes on.
bool StoreUploader::sendBatch(const std::vector<Item>& items, std::size_t& next) {
    if (!m_connection.run("BEGIN")) return false;
    Sent sent;
    std::size_t i = next;
    for (; i < items.size() && i - next < std::size_t(kBatchItems) && sent.bytes < kBatchBytes;
         ++i) {
        if (!send(items[i], sent)) {
            rollback();
            return false;
        }
    }
    // Told in the same transaction, so that a window listening reads the records once they
    // are there, and never for a batch rolled back.
    if (sent.records > 0 && !m_connection.run(StoreSchema::kExchangesNotify)) {
        rollback();
        return false;
    }
    if (!m_connection.run("COMMIT")) return false;
    next = i;
    m_formsSent += sent.forms;
    m_recordsSent += sent.records;
    for (auto month = sent.byMonth.cbegin(); month != sent.byMonth.cend(); ++month) {
        QString where;
        if (!SentLedger(m_root, m_storeId).add(month.key(), month.value(), &where))
            log(texts::kStoreLedgerNotWritten.arg(where));
    }
    return true;
}

// The failure that made the batch end is the one to tell, whatever the rollback meets.
void StoreUploader::rollback() {
    const StoreConnection::Failure failure = m_connection.failure();
    const QString message = m_connection.message();
    if (m_connection.isOpen()) m_connection.run("ROLLBACK");
    m_connection.fail(failure, message);
}

bool StoreUploader::send(const Item& item, Sent& sent) {
    const RegularFile::Result file = RegularFile::read(
        m_root + u'/' + item.path,
        item.kind == Item::Kind::Form ? kMaxFormBytes : ExchangeRecords::kMaxRecordBytes);
    const bool form = item.kind == Item::Kind::Form;
    const bool readable = file.ok() && (form || ExchangeRecord::fromJson(file.bytes).has_value());
    if (!readable) {
        log(texts::kStoreFileUnreadable.arg(item.path));
        return true;
    }
    if (!(form ? sendForm(item, file.bytes, file.modifiedMs) : sendRecord(file.bytes)))
        return false;
    sent.byMonth[item.month].append(item.path);
    sent.bytes += file.bytes.size();
    ++(form ? sent.forms : sent.records);
    return true;
}

const ExchangeRecord* StoreUploader::recordOfForm(const Item& item) {
    if (!m_monthRecords.contains(item.month)) {
        const QDate month = QDate::fromString(item.month + QStringLiteral("-01"), Qt::ISODate);
        QList<ExchangeRecord>& records = m_monthRecords[item.month];
        if (month.isValid()) records = ExchangeRecords::readMonth(m_root, month);
        for (const ExchangeRecord& record : records)
            for (const ExchangeRecord::Form& f : record.forms) m_formRecords.insert(f.file, record);
    }
    const auto found = m_formRecords.constFind(item.path);
    return found == m_formRecords.cend() ? nullptr : &found.value();
}

// Site, port, type and speed from the exchange's record where it names the form; the file's
// place and name tell the rest.
bool StoreUploader::sendForm(const Item& item, const QByteArray& bytes, qint64 modifiedMs) {
    const FormPath::Fields fields = FormPath::fields(item.path, modifiedMs);
    const ExchangeRecord* record = recordOfForm(item);
    const std::optional<QByteArray> speed =
        record ? std::optional(QByteArray::number(record->speed)) : std::nullopt;
    return m_connection
        .execute(
            "form_add",
            {utf8(record ? record->site : fields.site), utf8(record ? record->port : fields.port),
             utf8(record ? record->device : fields.type), speed,
             timeText(receivedOf(item.path, fields, record)), utf8(item.path),
             QByteArray::number(bytes.size()), hashText(bytes), utf8(TextFileCodec::decode(bytes)),
             item.path.contains(texts::kIncompleteSuffix) ? "true" : "false", m_machine})
        .has_value();
}

bool StoreUploader::sendRecord(const QByteArray& bytes) {
    const ExchangeRecord r = *ExchangeRecord::fromJson(bytes);
    return m_connection
        .execute("exchange_add",
                 {utf8(r.site), utf8(r.port), utf8(r.device), QByteArray::number(r.speed),
                  timeText(r.start), timeText(r.end), utf8(recordOutcomeKey(r.outcome)),
                  QByteArray::number(r.forms.size()), QByteArray::number(r.bytes),
                  QByteArray::number(r.tries), hashText(bytes), bytes, m_machine})
        .has_value();
}
