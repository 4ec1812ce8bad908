#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "forms/FormPrinter.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "res/CommandIds.h"
#include "tests/forms/FormsFixture.h"

namespace {

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
    QString text;
};

struct PdfText {
    double width = 0, height = 0;
    int pages = 0;
    std::vector<Word> words;
};

// The words of a PDF with their boxes in points, read by pdftotext -bbox.
PdfText readPdf(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-bbox", pdf, "-"});
    p.waitForFinished(30000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    PdfText result;
    static const QRegularExpression page(R"re(<page width="([\d.]+)" height="([\d.]+)">)re");
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (const QString& line : html.split('\n')) {
        if (auto m = page.match(line); m.hasMatch()) {
            result.width = m.captured(1).toDouble();
            result.height = m.captured(2).toDouble();
            ++result.pages;
        } else if (auto w = word.match(line); w.hasMatch()) {
            result.words.push_back({result.pages, w.captured(1).toDouble(),
                                    w.captured(2).toDouble(), w.captured(3).toDouble(),
                                    w.captured(4).toDouble(), w.captured(5)});
        }
    }
    return result;
}

// The names of the fonts a PDF embeds, as pdffonts lists them.
QStringList pdfFonts(const QString& pdf) {
    QProcess p;
    p.start("pdffonts", {pdf});
    p.waitForFinished(30000);
    QStringList names;
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
    for (const QString& line : lines.mid(2))
        if (!line.trimmed().isEmpty()) names.append(line.section(' ', 0, 0));
    return names;
}

}  // namespace

class Print : public FormsFixture {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        FormsFixture::SetUp();
        QPrinter& printer = tabulonPrinter();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path("out.pdf"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        formTemplate->openNewDocument();
        view = formTemplate->activeView();
    }
    void TearDown() override {
        tabulonPrinter().setOutputFileName({});
        FormsFixture::TearDown();
    }
    CTabulonPlusView* view = nullptr;
};

TEST_F(Print, ShortFormIsOnePageInsideHalfInchMargins) {
    view->setFormText("\xCE\xF2\xF7\xE5\xF2 first line\r\n" + QByteArray(150, 'W') + "\r\nlast");
    ASSERT_TRUE(view->onCommand(id::ID_FILE_PRINT_DIRECT));
    const PdfText pdf = readPdf(path("out.pdf"));
    EXPECT_EQ(pdf.pages, 1);
    ASSERT_GE(pdf.words.size(), 4u);
    EXPECT_EQ(pdf.words.front().text, "Отчет");
    EXPECT_EQ(pdf.words.back().text, "last");
    const double margin = 36.0;  // half an inch in points
    const double slack = 1.0;
    double left = pdf.width, top = pdf.height;
    for (const Word& w : pdf.words) {
        EXPECT_GE(w.xMin, margin - slack) << w.text.toStdString();
        EXPECT_GE(w.yMin, margin - slack) << w.text.toStdString();
        EXPECT_LE(w.xMax, pdf.width - margin + slack) << "the long line wraps inside the margin";
        EXPECT_LE(w.yMax, pdf.height - margin + slack);
        left = std::min(left, w.xMin);
        top = std::min(top, w.yMin);
    }
    EXPECT_NEAR(left, margin, 2.0) << "text starts at the margin, not further in";
    EXPECT_LT(top, margin + 14.0);
    EXPECT_TRUE(boxes.empty());
}

// The paper shows the form in the fixed-pitch 11-point face of the screen: ten narrow letters
// take as much room as ten wide ones or ten Cyrillic ones, 0.6 em of 11 points each.
TEST_F(Print, PrintsInTheFixedPitchElevenPointFace) {
    view->setFormText("iiiiiiiiii\r\nWWWWWWWWWW\r\n\xC6\xC6\xC6\xC6\xC6\xC6\xC6\xC6\xC6\xC6");
    ASSERT_TRUE(view->onCommand(id::ID_FILE_PRINT_DIRECT));
    const PdfText pdf = readPdf(path("out.pdf"));
    ASSERT_EQ(pdf.words.size(), 3u);
    for (const Word& w : pdf.words)
        EXPECT_NEAR(w.xMax - w.xMin, 10 * 0.6 * 11, 0.5) << w.text.toStdString();
    const QStringList fonts = pdfFonts(path("out.pdf"));
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& font : fonts)
        EXPECT_TRUE(font.contains(QRegularExpression("Mono|Courier"))) << font.toStdString();
}

// Every line comes out once, in order, on as many full pages as it takes.
TEST_F(Print, LongFormGivesAsManyPagesAsItNeeds) {
    constexpr int kLines = 250;
    QByteArray text;
    for (int i = 1; i <= kLines; ++i) text += "line" + QByteArray::number(i) + "\r\n";
    view->setFormText(text);
    ASSERT_TRUE(view->onCommand(id::ID_FILE_PRINT_DIRECT));
    // A line clipped out of sight is still in the PDF, where search and copy find it: each line
    // must be drawn on its own page only.
    const PdfText pdf = readPdf(path("out.pdf"));

    ASSERT_EQ(pdf.words.size(), size_t(kLines));
    int perPage = 0;
    for (const Word& w : pdf.words) perPage += w.page == 1;
    ASSERT_GT(perPage, 0);
    // The break after the last line starts one empty line, on a page of its own if need be.
    EXPECT_EQ(pdf.pages, kLines / perPage + 1);
    for (int i = 0; i < kLines; ++i) {
        EXPECT_EQ(pdf.words[i].text, "line" + QString::number(i + 1));
        EXPECT_EQ(pdf.words[i].page, i / perPage + 1);
        EXPECT_LE(pdf.words[i].yMax, pdf.height - 36.0 + 1.0);
    }
}

// Preview lays the form out as printing does: a long form shows several pages.
TEST_F(Print, PreviewShowsThePrintedPages) {
    QByteArray text;
    for (int i = 1; i <= 150; ++i) text += "line" + QByteArray::number(i) + "\r\n";
    view->setFormText(text);
    int pages = -1;
    answerer.whenShown<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
        if (auto* widget = preview->findChild<QPrintPreviewWidget*>()) pages = widget->pageCount();
        preview->reject();
    });
    ASSERT_TRUE(view->onCommand(id::ID_FILE_PRINT_PREVIEW));
    EXPECT_EQ(pages, 3) << "150 lines of 11 points on A4 inside half-inch margins";
}
