#include "archive/ExchangeRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {

constexpr int kVersion = 1;

QString utcText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

// With its offset, so that a reader elsewhere or after the clocks change reads the same instant
// and still sees the hour the operator saw.
QString localText(const QDateTime& time) {
    const QDateTime local = time.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

std::optional<QDateTime> utcFrom(const QJsonValue& value) {
    const QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    if (!time.isValid()) return std::nullopt;
    return time.toUTC();
}

}  // namespace

QByteArray ExchangeRecord::toJson() const {
    QJsonArray files;
    for (const Form& form : forms)
        files.append(QJsonObject{{"file", form.file}, {"size", form.size}});
    const QJsonObject o{{"version", kVersion},
                        {"site", site},
                        {"port", port},
                        {"device", device},
                        {"speed", speed},
                        {"startUtc", utcText(start)},
                        {"startLocal", localText(start)},
                        {"endUtc", utcText(end)},
                        {"endLocal", localText(end)},
                        {"outcome", recordOutcomeKey(outcome)},
                        {"forms", files},
                        {"bytes", bytes},
                        {"tries", tries}};
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

std::optional<ExchangeRecord> ExchangeRecord::fromJson(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    const QJsonObject o = document.object();
    const std::optional<QDateTime> start = utcFrom(o.value("startUtc"));
    const std::optional<QDateTime> end = utcFrom(o.value("endUtc"));
    const std::optional<RecordOutcome> outcome =
        recordOutcomeFromKey(o.value("outcome").toString());
    if (o.value("version").toInt() != kVersion || !start || !end || !outcome) return std::nullopt;
    ExchangeRecord r;
    r.site = o.value("site").toString();
    r.port = o.value("port").toString();
    r.device = o.value("device").toString();
    r.speed = o.value("speed").toInt();
    r.start = *start;
    r.end = *end;
    r.outcome = *outcome;
    for (const QJsonValue& value : o.value("forms").toArray()) {
        const QJsonObject form = value.toObject();
        r.forms.append({form.value("file").toString(), form.value("size").toInteger()});
    }
    r.bytes = o.value("bytes").toInteger();
    r.tries = std::max(1, o.value("tries").toInt(1));
    return r;
}
