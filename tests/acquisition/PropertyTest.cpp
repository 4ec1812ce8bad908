#include <gtest/gtest.h>

#include <QRegularExpression>
#include <random>

#include "acquisition/LetterConversion.h"
#include "tests/acquisition/WorkerRig.h"

namespace {

// What the calculator's bytes must become, written apart from the worker: each byte as the
// conversion gives it (tested against the system's code pages on its own), zeros vanish, form
// ends cut.
std::vector<QByteArray> expectedForms(const QByteArray& stream) {
    std::vector<QByteArray> forms(1);
    for (char c : stream) {
        auto b = static_cast<std::uint8_t>(c);
        if (b == 0x1A) {
            forms.emplace_back();
            continue;
        }
        if (b == 0) continue;
        forms.back().append(static_cast<char>(convert866To1251(b)));
    }
    return forms;
}

struct Script {
    DeviceType type;
    QByteArray stream;
    std::int64_t lastArrival = 0;
};

Script writeScript(std::mt19937& rng, WorkerRig& rig) {
    Script s{rig.rc.m_nDeviceType, {}, 0};
    const int limitMs = deviceTypeInfo(s.type).inactivityLimitS * 1000;
    const int length = static_cast<int>(rng() % 700);
    std::int64_t t = 0;
    for (int i = 0; i < length;) {
        const int chunk = 1 + static_cast<int>(rng() % 60);
        QByteArray bytes;
        for (int k = 0; k < chunk && i < length; ++k, ++i) {
            const unsigned roll = rng() % 100;
            bytes.append(roll < 5 ? '\x1A' : roll < 10 ? '\0' : static_cast<char>(rng() % 256));
        }
        rig.line.arrive(t, bytes);
        s.stream += bytes;
        s.lastArrival = t;
        // Mostly a steady flow, now and then a silence long enough to end the pass.
        t += rng() % 8 == 0 ? limitMs + static_cast<int>(rng() % limitMs) : rng() % 300;
    }
    return s;
}

class RandomExchange : public ::testing::TestWithParam<int> {};

TEST_P(RandomExchange, FormsJoinToTheConvertedStreamAndNoTextStandsInTwo) {
    std::mt19937 rng(static_cast<unsigned>(GetParam()));
    const DeviceType types[] = {0, 2, 4, 5};
    WorkerRig rig(types[rng() % 4]);
    const Script script = writeScript(rng, rig);
    rig.linkUp();
    const DeviceTypeInfo& type = deviceTypeInfo(script.type);

    const int stops = static_cast<int>(rng() % 4);
    for (int i = 0; i < stops; ++i)
        rig.line.at(static_cast<std::int64_t>(rng() % (script.lastArrival + 3000)),
                    [&] { rig.rc.requestStop(); });
    // A pass that stores nothing waits for ever; the operator ends it in the end.
    rig.line.at(script.lastArrival + 100000, [&] { rig.rc.requestStop(); });
    if (type.echo)
        for (int i = 0; i < 3; ++i)
            rig.line.delayNthWrite(1 + rng() % (script.stream.size() + 1),
                                   rng() % (type.echoLimitS * 1000));

    const std::vector<QByteArray> expected = expectedForms(script.stream);
    auto joined = [](const std::vector<QByteArray>& forms) {
        QByteArray all;
        for (const auto& f : forms) all += f;
        return all;
    };
    const QByteArray expectedJoined = joined(expected);
    bool endedComplete = false;
    std::mt19937 answers(static_cast<unsigned>(GetParam()) * 7919u);
    rig.host.setAnswerer([&](const QString&, unsigned) {
        const bool complete = rig.line.allRead() && joined(rig.host.forms()) == expectedJoined &&
                              rig.host.forms().size() == expected.size();
        if (complete) endedComplete = true;
        if (complete || answers() % 10 == 0) return msg::IDNO;
        return msg::IDYES;
    });

    EXPECT_EQ(rig.run(), 0u);

    const std::vector<QByteArray> forms = rig.host.forms();
    ASSERT_LE(forms.size(), expected.size());
    for (std::size_t i = 0; i + 1 < forms.size(); ++i) EXPECT_EQ(forms[i], expected[i]) << i;
    EXPECT_TRUE(expected[forms.size() - 1].startsWith(forms.back()));
    int reported = 0;
    const QRegularExpression number(QStringLiteral("объеме (\\d+) байт"));
    for (const QString& text : rig.host.messages()) {
        EXPECT_NE(text, texts::kLinkBroken);
        const auto match = number.match(text);
        if (match.hasMatch()) reported += match.captured(1).toInt();
    }
    EXPECT_EQ(reported, joined(forms).size());
    if (endedComplete) {
        EXPECT_EQ(joined(forms), expectedJoined);
    }
    rig.expectWellBehaved();
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomExchange, ::testing::Range(0, 200));

}  // namespace
