#pragma once

#include <sys/resource.h>
#include <time.h>

#include <atomic>
#include <chrono>

#include "acquisition/AcquisitionHost.h"
#include "acquisition/ReceiveControl.h"

// Windows that only count: yes to the start question, no to continuing, and a stop once the
// expected number of forms has come. Notes the worker thread's processor time at both questions.
class BenchHost final : public AcquisitionHost {
public:
    explicit BenchHost(ReceiveControl& rc, long stopAfterForms = 0)
        : m_rc(rc), m_stopAfterForms(stopAfterForms) {}

    void setProgressPos(int) override {}
    void stepProgress() override {}
    void setByteCounterText(const QString&) override {}
    bool setViewText(const QByteArray& text) override {
        delivered += text.size();
        return true;
    }
    void setViewModified() override {}
    void newForm() override {
        if (++forms == m_stopAfterForms) m_rc.requestStop();
    }
    bool askToStart() override { return question(); }
    bool askToContinue(std::int64_t) override { return question(); }
    void reportFailure(ExchangeOutcome, const QString&) override { ++boxes; }
    SettingsStrings settingsStrings() override { return {"COM1", "КСМ-Р", "9600"}; }
    bool writeSettingsFile(const SettingsStrings&) override { return true; }

    // Times the calling thread went to sleep and was woken again.
    static long threadWakeups() {
        rusage u{};
        ::getrusage(RUSAGE_THREAD, &u);
        return u.ru_nvcsw;
    }

    static long long threadCpuNs() {
        timespec t{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1000000000LL + t.tv_nsec;
    }

    std::atomic<long long> delivered{0};
    std::atomic<long> forms{0};
    std::atomic<int> boxes{0};
    std::atomic<int> questions{0};
    std::atomic<long long> cpuAtStartNs{0}, cpuAtReportNs{0};
    std::atomic<long> wakeupsAtStart{0}, wakeupsAtReport{0};
    std::atomic<long long> reportAtNs{0};  // steady clock when the closing report was asked

private:
    bool question() {
        ++boxes;
        const bool first = questions++ == 0;
        (first ? cpuAtStartNs : cpuAtReportNs) = threadCpuNs();
        (first ? wakeupsAtStart : wakeupsAtReport) = threadWakeups();
        if (!first) reportAtNs = std::chrono::steady_clock::now().time_since_epoch().count();
        return first;
    }

    ReceiveControl& m_rc;
    long m_stopAfterForms;
};
