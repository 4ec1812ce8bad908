#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <vector>

#include "acquisition/AcquisitionThreadProc.h"
#include "acquisition/DeviceType.h"
#include "acquisition/LineWaiter.h"
#include "acquisition/ReceiveControl.h"
#include "res/MessageStyle.h"
#include "res/Texts.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeSerialPort.h"
#include "tests/fakes/RecordingHost.h"

// One worker with a scripted line and recording windows, run on the test's own thread.
struct WorkerRig {
    FakeClock clock;
    FakeSerialPort line{clock};
    RecordingHost host;
    ReceiveControl rc;
    std::vector<std::int64_t> boxTimes;  // fake time of every message box

    explicit WorkerRig(DeviceType type) {
        rc.m_nDeviceType = type;
        rc.m_pMainFrame = &host;
        rc.m_bReceiving = 1;
        host.on(RecordingHost::Kind::MessageBox,
                [this](const RecordingHost::Call&) { boxTimes.push_back(clock.nowMs()); });
    }

    // The calculator answers the handshake as its type should, and, for the types with
    // echo, sends each byte only after the previous one came back.
    WorkerRig& linkUp() {
        const DeviceTypeInfo& type = deviceTypeInfo(rc.m_nDeviceType);
        if (type.handshake)
            line.answerHandshake(type.replyLength == 1 ? QByteArray("\x55", 1)
                                                       : QByteArray("\x00\x55", 2));
        if (type.echo) line.pacedByEcho();
        return *this;
    }

    unsigned run() { return AcquisitionThreadProc(rc, line.opener(), clock); }
    ExchangeOutcome exchange() { return runExchange(rc, line.opener(), clock); }

    // What holds after every exchange, whatever its script: no wait longer than a slice, no
    // spinning, no read ahead of an echo, every echo right.
    void expectWellBehaved() const {
        EXPECT_LE(line.longestTimeoutMs(), LineWaiter::kSlice.count());
        EXPECT_LE(line.longestIdleRun(), 1);
        EXPECT_FALSE(line.ranAway());
        EXPECT_EQ(line.readsWhileEchoOwed(), 0);
        EXPECT_TRUE(line.echoErrors().empty());
        EXPECT_EQ(rc.m_bReceiving.load(), 0);
        if (line.opened()) {
            EXPECT_TRUE(line.closed());
        }
    }
};

inline QString report(int n) {
    return texts::closingReportText(n);
}
inline QString counter(int n) {
    return texts::byteCounterText(n);
}
