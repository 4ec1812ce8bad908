// Opening, saving and delivering forms, each beside what bare Qt takes for the same text.
//
//     forms_bench [ROUNDS=5]
//
// Prints a Markdown table of medians; the target is at most 1.5 times the bare figure.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "acquisition/ReceiveControl.h"
#include "files/TextFileCodec.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "platform/MemoryRelease.h"

namespace {

// A calculator's kind of text: Cyrillic words, digits, box-drawing bytes, CR LF lines.
QByteArray makeForm(qsizetype size, unsigned seed) {
    std::mt19937 random(seed);
    const QByteArray pieces[] = {"\xCE\xF2\xF7\xE5\xF2",
                                 "\xD2\xE5\xEC\xEF.",
                                 "12345.678",
                                 "  ",
                                 "\xA6",
                                 "+------+",
                                 "\xB9",
                                 "Q=",
                                 "\x0C"};
    QByteArray form;
    form.reserve(size + 100);
    int column = 0;
    while (form.size() < size) {
        const QByteArray& piece = pieces[random() % std::size(pieces)];
        form += piece;
        column += piece.size();
        if (column > 70) {
            form += "\r\n";
            column = 0;
        }
    }
    form.truncate(size);
    return form;
}

// `settle`: the events a change leaves for the event loop are part of the time taken.
double medianMs(int rounds, const std::function<void()>& setup, const std::function<void()>& run,
                bool settle = false) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        setup();
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        run();
        if (settle) QCoreApplication::processEvents();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void row(const char* what, double ours, double bare) {
    std::printf("| %s | %.1f | %.1f | %.2f | %s |\n", what, ours, bare, ours / bare,
                ours <= 1.5 * bare ? "yes" : "NO");
}

// A view configured as the program's own, for the bare side.
void configureLikeAView(QTextEdit& edit) {
    QFont font;
    font.setFamilies({"Courier New", "Liberation Mono", "DejaVu Sans Mono"});
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(11);
    edit.setFont(font);
    edit.setLineWrapMode(QTextEdit::NoWrap);
    edit.resize(800, 600);
    edit.show();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    keepLargeBlocksInTheHeap();  // as the program does at start-up, for both sides alike
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString bigFile = dir.filePath("big");
    const QByteArray big = makeForm(5 * 1024 * 1024, 1);
    {
        QFile f(bigFile);
        if (!f.open(QIODevice::WriteOnly) || f.write(big) != big.size()) return 1;
    }
    const QString bigText = TextFileCodec::decode(big);
    const QByteArray small = makeForm(100 * 1024, 2);
    const QString smallText = TextFileCodec::decode(small);

    ReceiveControl rc;
    QMdiArea area;
    area.resize(1000, 700);
    area.show();
    CFormTemplate forms(&area, &rc);

    std::printf("| measure (median of %d, ms) | Tabulon | bare Qt | ratio | within 1.5x |\n",
                rounds);
    std::printf("|---|---|---|---|---|\n");

    // Open: our whole File → Open of the file, against setPlainText of the decoded text.
    CTabulonPlusDoc* opened = nullptr;
    const double openOurs = medianMs(
        rounds,
        [&] {
            if (opened) forms.destroyDocument(opened);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        },
        [&] { opened = forms.openDocumentFile(bigFile); }, true);
    QTextEdit bareEdit;
    configureLikeAView(bareEdit);
    const double openBare = medianMs(
        rounds, [&] { bareEdit.clear(); }, [&] { bareEdit.setPlainText(bigText); }, true);
    row("open a 5 MB form file", openOurs, openBare);

    // Save: the open form written through the safe save, against writing its bytes with QFile.
    const QString saved = dir.filePath("saved");
    const QByteArray bytes = TextFileCodec::encode(opened->getTextDocument()->toRawText());
    const double saveOurs = medianMs(
        rounds, [] {}, [&] { opened->onSaveDocument(saved); });
    const double saveBare = medianMs(
        rounds, [] {},
        [&] {
            QFile f(dir.filePath("bare"));
            if (f.open(QIODevice::WriteOnly)) f.write(bytes);
        });
    row("save it", saveOurs, saveBare);
    // Not the target's peer: the same bytes through a safe save, as ours writes them.
    const double safeBare = medianMs(
        rounds, [] {},
        [&] {
            QSaveFile f(dir.filePath("safe"));
            if (f.open(QIODevice::WriteOnly)) f.write(bytes);
            f.commit();
        });
    std::printf(
        "| save it, against QSaveFile of the same bytes | %.1f | %.1f | %.2f | (context) |\n",
        saveOurs, safeBare, saveOurs / safeBare);
    if (qEnvironmentVariableIsSet("FORMS_BENCH_DETAIL")) {
        // Where a save's time goes.
        QString raw;
        const double copy = medianMs(
            rounds, [] {}, [&] { raw = opened->getTextDocument()->toRawText(); });
        const double encode = medianMs(
            rounds, [] {}, [&] { TextFileCodec::encode(raw); });
        std::printf("| detail: text out of the document / encoding | %.1f | %.1f | | |\n", copy,
                    encode);
        // The safe peer's own split: handing the bytes over, and the sync and rename of
        // commit(), which a save cannot overlap with encoding that must come first.
        std::vector<double> handOvers;
        const double whole = medianMs(
            rounds, [] {},
            [&] {
                QElapsedTimer timer;
                timer.start();
                QSaveFile f(dir.filePath("split"));
                if (f.open(QIODevice::WriteOnly)) f.write(bytes);
                f.flush();
                handOvers.push_back(timer.nsecsElapsed() / 1e6);
                f.commit();
            });
        std::sort(handOvers.begin(), handOvers.end());
        std::printf("| detail: QSaveFile write / write and commit | %.1f | %.1f | | |\n",
                    handOvers[handOvers.size() / 2], whole);
    }

    // Delivery: a 100 KB form into the registered view, against setPlainText of its text.
    forms.destroyDocument(opened);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The bare editor still lays out its 5 MB in idle time; every settling of events would
    // pay for it on our side.
    bareEdit.clear();
    forms.openNewDocument();
    auto* view = qobject_cast<CTabulonPlusView*>(rc.m_pView);
    const double deliverOurs = medianMs(
        rounds, [&] { view->clear(); }, [&] { view->setFormText(small); }, true);
    const double deliverBare = medianMs(
        rounds, [&] { bareEdit.clear(); }, [&] { bareEdit.setPlainText(smallText); }, true);
    row("deliver a 100 KB form", deliverOurs, deliverBare);
    return 0;
}
