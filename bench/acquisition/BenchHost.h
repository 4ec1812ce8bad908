#pragma once

#include <time.h>

#include <atomic>
#include <chrono>

#include "acquisition/AcquisitionHost.h"
#include "acquisition/ReceiveControl.h"
#include "res/MessageStyle.h"

// Windows that only count: yes to the start question, no to continuing, and a stop once the
// expected number of forms has come. Notes the worker thread's processor time at both questions.
class BenchHost final : public AcquisitionHost {
public:
    explicit BenchHost(ReceiveControl& rc, long stopAfterForms = 0)
        : rc_(rc), stopAfterForms_(stopAfterForms) {}

    void setProgressPos(int) override {}
    void stepProgress() override {}
    void setByteCounterText(const QString&) override {}
    bool setViewText(const QByteArray& text) override {
        delivered += text.size();
        return true;
    }
    void setViewModified() override {}
    void newForm() override {
        if (++forms == stopAfterForms_) rc_.requestStop();
    }
    int messageBox(const QString&, unsigned style) override {
        ++boxes;
        if ((style & msg::MB_TYPEMASK) != msg::MB_YESNO) return msg::IDOK;
        const bool first = questions++ == 0;
        (first ? cpuAtStartNs : cpuAtReportNs) = threadCpuNs();
        return first ? msg::IDYES : msg::IDNO;
    }
    SettingsStrings settingsStrings() override { return {"COM1", "КСМ-Р", "9600"}; }
    bool writeSettingsFile(const SettingsStrings&) override { return true; }

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

private:
    ReceiveControl& rc_;
    long stopAfterForms_;
};
