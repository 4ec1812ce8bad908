#pragma once

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <vector>

#include "bench/BenchTable.h"

// The measures of store_bench that have files of their own.

// The first hits of searches of several kinds over a million forms made in a store kept in
// `folder` between runs (made there the first time).
void searchMillion(const bench::Arguments& a, const QString& folder);

// "Сбор за месяц" of `a.amount` sites (500) whose month is read from the common archive: the
// time from opening the window until its rows are shown.
void monthWindow(const bench::Arguments& a);

// Each query warm: the best of five, as the operator types it again and again.
template <typename Run>
double bestMs(Run run) {
    std::vector<double> ms;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return *std::min_element(ms.begin(), ms.end());
}
