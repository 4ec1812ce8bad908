#include "bench/app/BenchOperator.h"

#include <QDialog>
#include <cstdio>
#include <cstdlib>

#include "res/MessageBox.h"

BenchOperator::BenchOperator() {
    m_answers.answer(QStringLiteral("Связь с вычислителем установлена"), msg::IDYES);
    m_answers.setFallback(msg::IDNO);
    m_answers.whenShown(QStringLiteral("IDD_SETTINGS"), [](QDialog* d) { d->accept(); });
}

// A dialog the benchmark does not expect leaves figures of something else: the run ends.
void reportUnansweredDialog(const QString& what) {
    std::fprintf(stderr, "benchmark: %s\n", qUtf8Printable(what));
    std::exit(1);
}
