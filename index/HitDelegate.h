#pragma once

#include <QStyledItemDelegate>

// The first line of a form, and under it, for a hit of a search, the line where the search
// found it with the place marked.
class HitDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    void setTwoLines(bool two) { m_twoLines = two; }

private:
    void paintExcerpt(QPainter* painter, const QStyleOptionViewItem& option, QRect rect,
                      const QModelIndex& index) const;

    bool m_twoLines = false;
};
