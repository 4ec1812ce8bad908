#pragma once

#include <QAbstractTableModel>
#include <QList>

#include "sites/MonthRoundRows.h"

// The rows of the month's round as the table shows them: the state told by an icon and a
// colour together, and in words in a column of its own, in the tooltip and to screen readers;
// sites not in the book and the exchanges without a site greyed.
class MonthRoundModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Site, State, Type, Port, LastCollected, Forms, LastOutcome, AttemptTime, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(QList<MonthRoundRow> rows);
    const QList<MonthRoundRow>& rows() const { return m_rows; }
    // The row of `site` ("" for the exchanges without a site), -1 when none.
    int rowOf(const QString& site, MonthRoundRow::Kind kind) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static QString stateText(RoundState state);

private:
    QString text(const MonthRoundRow& row, int column) const;

    QList<MonthRoundRow> m_rows;
};
