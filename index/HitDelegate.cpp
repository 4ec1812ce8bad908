#include "index/HitDelegate.h"

#include <QApplication>
#include <QPainter>

#include "index/FormListModel.h"

QSize HitDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (m_twoLines) size.setHeight(size.height() + option.fontMetrics.height());
    return size;
}

void HitDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
    if (!m_twoLines) return QStyledItemDelegate::paint(painter, option, index);
    // Every cell of a hit keeps its text on the upper line; the first line's cell adds the
    // excerpt below.
    QStyleOptionViewItem upper = option;
    initStyleOption(&upper, index);
    upper.displayAlignment = (upper.displayAlignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &upper, painter, widget);
    if (index.column() != FormListModel::FirstLine) return;
    QRect below = option.rect;
    below.setTop(option.rect.top() + option.rect.height() - option.fontMetrics.height() - 2);
    paintExcerpt(painter, option, below.adjusted(4, 0, -4, 0), index);
}

void HitDelegate::paintExcerpt(QPainter* painter, const QStyleOptionViewItem& option, QRect rect,
                               const QModelIndex& index) const {
    const QString line = index.data(FormListModel::ExcerptRole).toString();
    if (line.isEmpty()) return;
    const int start = int(index.data(FormListModel::ExcerptStartRole).toLongLong());
    const int length = int(index.data(FormListModel::ExcerptLengthRole).toLongLong());
    const QFontMetrics& fm = option.fontMetrics;
    const bool selected = option.state & QStyle::State_Selected;
    const QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    painter->save();
    painter->setClipRect(rect);
    const int y = rect.top() + fm.ascent();
    int x = rect.left();
    const QString parts[] = {line.left(start), line.mid(start, length), line.mid(start + length)};
    for (int i = 0; i < 3; ++i) {
        const int width = fm.horizontalAdvance(parts[i]);
        if (i == 1) {
            painter->fillRect(QRect(x, rect.top(), width, fm.height()), QColor(255, 220, 90));
            painter->setPen(Qt::black);
        } else {
            painter->setPen(text);
        }
        painter->drawText(x, y, parts[i]);
        x += width;
    }
    painter->restore();
}
