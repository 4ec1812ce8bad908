#include "index/HitDelegate.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QTreeView>
#include <algorithm>

#include "index/FormListModel.h"

QSize HitDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (m_twoLines) size.setHeight(size.height() + option.fontMetrics.height());
    return size;
}

void HitDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
    if (!m_twoLines) return QStyledItemDelegate::paint(painter, option, index);
    // Every cell of a hit keeps its text on the upper line. The line where the search found the
    // form runs below across the whole row, each cell drawing its part of it, so that no column
    // is too narrow for the place found.
    QStyleOptionViewItem upper = option;
    initStyleOption(&upper, index);
    upper.displayAlignment = (upper.displayAlignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &upper, painter, widget);
    QRect below = option.rect;
    below.setTop(option.rect.top() + option.rect.height() - option.fontMetrics.height() - 2);
    QRect row = below;
    if (const auto* view = qobject_cast<const QTreeView*>(widget)) {
        const QHeaderView* header = view->header();
        const int first = header->logicalIndex(0);
        const int last = header->logicalIndex(header->count() - 1);
        row.setLeft(header->sectionViewportPosition(first));
        row.setRight(header->sectionViewportPosition(last) + header->sectionSize(last) - 1);
    }
    paintExcerpt(painter, option, below, row.adjusted(4, 0, -4, 0),
                 index.siblingAtColumn(FormListModel::FirstLine));
}

void HitDelegate::paintExcerpt(QPainter* painter, const QStyleOptionViewItem& option, QRect cell,
                               QRect row, const QModelIndex& index) const {
    const QString line = index.data(FormListModel::ExcerptRole).toString();
    if (line.isEmpty()) return;
    const int start = int(index.data(FormListModel::ExcerptStartRole).toLongLong());
    const int length = int(index.data(FormListModel::ExcerptLengthRole).toLongLong());
    const QFontMetrics& fm = option.fontMetrics;
    const bool selected = option.state & QStyle::State_Selected;
    const QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    QString parts[] = {line.left(start), line.mid(start, length), line.mid(start + length)};
    // A row narrower than the text before the place gives up that text's start, so that the
    // place and a little after it stay in sight.
    const int room = row.width() - fm.horizontalAdvance(parts[1]) - fm.averageCharWidth() * 8;
    if (fm.horizontalAdvance(parts[0]) > room)
        parts[0] = fm.elidedText(parts[0], Qt::ElideLeft, std::max(room, 0));
    painter->save();
    painter->setClipRect(cell.intersected(row));
    const int y = row.top() + fm.ascent();
    int x = row.left();
    for (int i = 0; i < 3; ++i) {
        const int width = fm.horizontalAdvance(parts[i]);
        if (i == 1) {
            painter->fillRect(QRect(x, row.top(), width, fm.height()), QColor(255, 220, 90));
            painter->setPen(Qt::black);
        } else {
            painter->setPen(text);
        }
        painter->drawText(x, y, parts[i]);
        x += width;
    }
    painter->restore();
}
