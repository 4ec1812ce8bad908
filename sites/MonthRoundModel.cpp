#include "sites/MonthRoundModel.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QStyle>

#include "res/Texts.h"

namespace {

QString timeText(const QDateTime& utc) {
    return utc.isValid() ? utc.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"))
                         : texts::kRoundNever;
}

QIcon stateIcon(RoundState state) {
    QStyle* style = QApplication::style();
    switch (state) {
        case RoundState::Collected:
            return style->standardIcon(QStyle::SP_DialogApplyButton);
        case RoundState::Failed:
            return style->standardIcon(QStyle::SP_MessageBoxCritical);
        case RoundState::NotTried:
            break;
    }
    return style->standardIcon(QStyle::SP_MessageBoxQuestion);
}

// Pale, so that dark text stays readable on them.
QColor stateColour(RoundState state) {
    switch (state) {
        case RoundState::Collected:
            return QColor(0xd5, 0xf0, 0xd5);
        case RoundState::Failed:
            return QColor(0xf8, 0xd0, 0xd0);
        case RoundState::NotTried:
            break;
    }
    return QColor(0xfb, 0xee, 0xc8);
}

}  // namespace

void MonthRoundModel::setRows(QList<MonthRoundRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int MonthRoundModel::rowOf(const QString& site, MonthRoundRow::Kind kind) const {
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].site == site && (m_rows[i].kind == MonthRoundRow::Kind::NoSite) ==
                                          (kind == MonthRoundRow::Kind::NoSite))
            return i;
    return -1;
}

int MonthRoundModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int MonthRoundModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString MonthRoundModel::stateText(RoundState state) {
    switch (state) {
        case RoundState::Collected:
            return texts::kRoundCollected;
        case RoundState::Failed:
            return texts::kRoundFailed;
        case RoundState::NotTried:
            break;
    }
    return texts::kRoundNotTried;
}

QString MonthRoundModel::text(const MonthRoundRow& row, int column) const {
    switch (column) {
        case Site:
            if (row.kind == MonthRoundRow::Kind::NoSite) return texts::kRoundNoSite;
            if (row.kind == MonthRoundRow::Kind::RecordsOnly)
                return QStringLiteral("%1 (%2)").arg(row.site, texts::kRoundNotInBook);
            return row.site;
        case State:
            return stateText(row.state);
        case Type:
            return row.type;
        case Port:
            return row.port;
        case LastCollected:
            return timeText(row.lastCollected);
        case Forms:
            return QString::number(row.forms);
        case LastOutcome:
            return row.lastOutcome ? recordOutcomeText(*row.lastOutcome) : texts::kRoundNever;
        case AttemptTime:
            return row.lastOutcome ? timeText(row.lastAttempt) : texts::kRoundNever;
    }
    return {};
}

QVariant MonthRoundModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) return {};
    const MonthRoundRow& row = m_rows[index.row()];
    switch (role) {
        case Qt::DisplayRole:
            return text(row, index.column());
        case Qt::DecorationRole:
            return index.column() == Site ? QVariant(stateIcon(row.state)) : QVariant();
        case Qt::BackgroundRole:
            return QBrush(stateColour(row.state));
        case Qt::ForegroundRole:
            return QBrush(row.kind == MonthRoundRow::Kind::Book
                              ? QColor(Qt::black)
                              : QApplication::palette().color(QPalette::Disabled, QPalette::Text));
        case Qt::TextAlignmentRole:
            return index.column() == Forms ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                           : QVariant();
        case Qt::AccessibleTextRole:
            // The state belongs to the site's cell, which a screen reader names first.
            if (index.column() != Site) return text(row, index.column());
            [[fallthrough]];
        case Qt::ToolTipRole:
            return QStringLiteral("%1: %2").arg(text(row, Site), stateText(row.state));
    }
    return {};
}

QVariant MonthRoundModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const QString* const headers[ColumnCount] = {
        &texts::kColumnSite,           &texts::kMonthRoundState,      &texts::kColumnType,
        &texts::kColumnPort,           &texts::kMonthRoundLastCollected,
        &texts::kMonthRoundFormCount,  &texts::kMonthRoundLastAttempt,
        &texts::kMonthRoundAttemptTime};
    return section >= 0 && section < ColumnCount ? QVariant(*headers[section]) : QVariant();
}
