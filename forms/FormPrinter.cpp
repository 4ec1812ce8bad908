#include "forms/FormPrinter.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QTextFrame>
#include <memory>

QPrinter& tabulonPrinter() {
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

int printFormDocument(const QTextDocument& doc, QPrinter& printer, const QMarginsF& margins) {
    printer.setFullPage(false);
    printer.setPageMargins(margins, QPageLayout::Point);

    // Lay a copy out in the printer's own units, so the screen layout of the views is untouched.
    std::unique_ptr<QTextDocument> copy(doc.clone());
    copy->documentLayout()->setPaintDevice(&printer);
    copy->setDocumentMargin(0);
    // Paper is narrower than a line may be: lines break at a blank, or anywhere if they have none.
    QTextOption option = copy->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy->setDefaultTextOption(option);
    const QRectF body = printer.pageRect(QPrinter::DevicePixel);
    copy->setPageSize(body.size());

    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    const int pages = copy->pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0) printer.newPage();
        painter.save();
        const QRectF clip(0, page * body.height(), body.width(), body.height());
        painter.translate(0, -clip.top());
        painter.setClipRect(clip);
        // The layout draws every line that touches the clip, edges included, and the line that
        // starts the next page touches this page's foot: a PDF would keep it, clipped from sight
        // but found by search and copy. Lines never straddle a page, so a clip a device pixel
        // short at either edge holds exactly the lines of this page.
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip.adjusted(0, 1, 0, -1);
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    painter.end();
    return pages;
}
