#include "tools/SimulatorArguments.h"

#include <charconv>
#include <functional>
#include <map>

const char* const kSimulatorUsage =
    "Usage: tabulon-sim [options] [FORM.txt ...]\n"
    "Plays a heat-meter calculator on a new pseudo-terminal (its path is printed first) or on\n"
    "a serial device. Each form file (UTF-8) is sent in cp866 and ended with 0x1A.\n"
    "  --type N           calculator type 0..5 (default 0)\n"
    "  --device PATH      use this serial device instead of a pseudo-terminal\n"
    "  --rate N           speed of the device and of --line-rate (default 9600)\n"
    "  --samples          send the built-in sample forms (after any form files)\n"
    "  --tail TEXT        text sent after the forms, without a form end\n"
    "  --raw HEX          bytes sent last, e.g. 1A00FF\n"
    "  --reply HEX        answer the handshake with these bytes instead\n"
    "  --no-reply         take the handshake byte and fall silent\n"
    "  --bps N            send N bytes a second\n"
    "  --line-rate        send at the pace of the line speed\n"
    "  --start-delay MS   pause before the forms\n"
    "  --echo-timeout MS  longest wait for each echo, 0 without limit (default 10000)\n"
    "  --vanish-after N   close the line after N bytes of the forms\n"
    "  --exchanges N      exchanges to serve, 0 until interrupted (default 1)\n"
    "  --lf               keep line ends as LF (default: CR LF)\n";

namespace {

bool toLong(const std::string& text, long long& value) {
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    return r.ec == std::errc() && r.ptr == end && !text.empty();
}

bool toHexBytes(const std::string& text, std::vector<std::uint8_t>& bytes) {
    if (text.size() % 2 != 0) return false;
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        const auto r = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
        if (r.ec != std::errc() || r.ptr != text.data() + i + 2) return false;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return true;
}

using Setter = std::function<bool(const std::string&)>;

// A whole number within [min, max] into `target`.
template <class T>
Setter number(T& target, long long min, long long max) {
    return [&target, min, max](const std::string& v) {
        long long n = 0;
        if (!toLong(v, n) || n < min || n > max) return false;
        target = static_cast<T>(n);
        return true;
    };
}

// The times and counts that are optional in the options, -1 while not given.
struct Later {
    long long startDelay = -1;
    long long echoTimeout = -1;
    long long vanishAfter = -1;
};

std::map<std::string, Setter> optionsWithValue(CalculatorSimulatorOptions& o, Later& later) {
    return {
        {"--type", number(o.deviceType, 0, 5)},
        {"--device", [&](const std::string& v) { return o.device = v, !v.empty(); }},
        {"--rate", number(o.rate, 1, 4000000)},
        {"--tail", [&](const std::string& v) { return o.stream.tailText = v, true; }},
        {"--raw", [&](const std::string& v) { return toHexBytes(v, o.stream.rawBytes); }},
        {"--reply",
         [&](const std::string& v) {
             o.reply = CalculatorSimulatorOptions::Reply::Custom;
             return toHexBytes(v, o.customReply) && !o.customReply.empty();
         }},
        {"--bps", number(o.bytesPerSecond, 1, 1000000000)},
        {"--start-delay", number(later.startDelay, 0, 86400000)},
        {"--echo-timeout", number(later.echoTimeout, 0, 86400000)},
        {"--vanish-after", number(later.vanishAfter, 0, 1LL << 40)},
        {"--exchanges", number(o.exchanges, 0, 1000000)},
    };
}

// An option without a value: false when `arg` is none of them.
bool takeFlag(const std::string& arg, SimulatorArguments& a) {
    if (arg == "--help" || arg == "-h")
        a.help = true;
    else if (arg == "--samples")
        a.samples = true;
    else if (arg == "--no-reply")
        a.options.reply = CalculatorSimulatorOptions::Reply::None;
    else if (arg == "--line-rate")
        a.options.paceAtLineRate = true;
    else if (arg == "--lf")
        a.options.stream.crlf = false;
    else
        return false;
    return true;
}

}  // namespace

SimulatorArguments parseSimulatorArguments(const std::vector<std::string>& args) {
    SimulatorArguments a;
    Later later;
    const std::map<std::string, Setter> withValue = optionsWithValue(a.options, later);
    for (std::size_t i = 0; i < args.size() && a.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (takeFlag(arg, a)) continue;
        if (const auto it = withValue.find(arg); it != withValue.end()) {
            if (i + 1 >= args.size())
                a.error = arg + " needs a value";
            else if (!it->second(args[++i]))
                a.error = "bad value for " + arg + ": " + args[i];
        } else if (arg.starts_with("-")) {
            a.error = "unknown option " + arg;
        } else {
            a.formFiles.push_back(arg);
        }
    }
    CalculatorSimulatorOptions& o = a.options;
    if (later.startDelay >= 0) o.startDelay = std::chrono::milliseconds(later.startDelay);
    if (later.echoTimeout >= 0) o.echoTimeout = std::chrono::milliseconds(later.echoTimeout);
    if (later.vanishAfter >= 0) o.vanishAfter = static_cast<std::size_t>(later.vanishAfter);
    return a;
}
