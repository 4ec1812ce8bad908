#pragma once

#include <QStyledItemDelegate>

// The cells of a form's row, and under them, for a hit of a search, the line where the search
// found it with the place marked, across the whole row.
class HitDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    void setTwoLines(bool two) { m_twoLines = two; }

private:
    // The part of the excerpt within `cell`, the excerpt laid out across `row`.
    void paintExcerpt(QPainter* painter, const QStyleOptionViewItem& option, QRect cell, QRect row,
                      const QModelIndex& index) const;

    bool m_twoLines = false;
};
