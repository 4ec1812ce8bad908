// Network addresses, and how a server that cannot serve a line fails the opening, on 127.0.0.1.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "platform/NetworkSerialPort.h"
#include "platform/WakeSignal.h"

namespace {

using Protocol = NetworkAddress::Protocol;
using Stage = SerialOpenResult::Stage;
using namespace std::chrono_literals;

struct AddressCase {
    const char* text;
    bool network;                          // isNetworkAddress
    std::optional<NetworkAddress> parsed;  // parseNetworkAddress
};

class AddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(AddressTest, ParsesAsTheOperatorWritesIt) {
    const AddressCase& c = GetParam();
    EXPECT_EQ(isNetworkAddress(c.text), c.network) << c.text;
    EXPECT_EQ(parseNetworkAddress(c.text), c.parsed) << c.text;
    const std::string text = c.text;
    const bool canonical = text.find_first_of("TCPRF") == std::string::npos && text.back() != '/';
    if (c.parsed && canonical) {
        EXPECT_EQ(toString(*c.parsed), text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AddressTest,
    testing::Values(
        AddressCase{"tcp://127.0.0.1:4001", true, NetworkAddress{Protocol::Raw, "127.0.0.1", 4001}},
        AddressCase{"rfc2217://heat-7.example.org:2217", true,
                    NetworkAddress{Protocol::Rfc2217, "heat-7.example.org", 2217}},
        AddressCase{"tcp://[::1]:65535", true, NetworkAddress{Protocol::Raw, "::1", 65535}},
        AddressCase{"TCP://host:1/", true, NetworkAddress{Protocol::Raw, "host", 1}},
        AddressCase{"RFC2217://host:23", true, NetworkAddress{Protocol::Rfc2217, "host", 23}},
        // Malformed, but still no device path to open.
        AddressCase{"tcp://host", true, std::nullopt},
        AddressCase{"tcp://host:0", true, std::nullopt},
        AddressCase{"tcp://host:65536", true, std::nullopt},
        AddressCase{"tcp://:4001", true, std::nullopt},
        AddressCase{"tcp://a,b:4001", true, std::nullopt},
        AddressCase{"tcp://host:40x1", true, std::nullopt},
        AddressCase{"rfc2217://[::1:4001", true, std::nullopt},
        AddressCase{"rfc2217://[zz]:4001", true, std::nullopt},
        // Devices.
        AddressCase{"/dev/ttyUSB0", false, std::nullopt},
        AddressCase{"udp://host:1", false, std::nullopt},
        AddressCase{"tcp:/host:1", false, std::nullopt}));

// A listening socket on a port the system gives; it goes with the object.
class Listener {
public:
    explicit Listener(int backlog = 8) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::listen(m_fd, backlog) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            m_port = ntohs(a.sin_port);
    }
    ~Listener() {
        for (int fd : m_clients) ::close(fd);
        ::close(m_fd);
    }
    int fd() const { return m_fd; }
    int port() const { return m_port; }

    // Connects until the accept queue is full: the system then drops further connection
    // requests unanswered, as a server behind a dead link does.
    void fillAcceptQueue() {
        for (int i = 0; i < 8; ++i) {
            const int c = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            a.sin_port = htons(static_cast<std::uint16_t>(m_port));
            ::connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
            m_clients.push_back(c);
        }
        std::this_thread::sleep_for(50ms);  // let the handshakes of the queued ones finish
    }

private:
    int m_fd = -1;
    int m_port = 0;
    std::vector<int> m_clients;
};

// Accepts one connection and resets it at once, as a server whose own port is missing does.
void acceptAndReset(int listener) {
    const int c = ::accept(listener, nullptr, nullptr);
    if (c < 0) return;
    const linger hard{1, 0};
    ::setsockopt(c, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(c);
}

NetworkAddress loopback(Protocol protocol, int port) {
    return {protocol, "127.0.0.1", port};
}

class OpeningFailureTest : public testing::TestWithParam<Protocol> {};

TEST_P(OpeningFailureTest, ServerThatResetsAtOnceIsNoLine) {
    Listener server;
    std::thread serve(acceptAndReset, server.fd());
    // The settling time is long so that a slow test machine cannot pass the reset by; the
    // opening ends as soon as the reset arrives.
    const SerialOpenResult r =
        openNetworkSerialPort(loopback(GetParam(), server.port()), 9600, {10s, 10s});
    serve.join();
    EXPECT_EQ(r.stage, Stage::Open);
    EXPECT_EQ(r.error, ECONNRESET);
    EXPECT_FALSE(r.port);
}

TEST_P(OpeningFailureTest, ServerThatNeverAnswersTimesOut) {
    Listener server(0);
    server.fillAcceptQueue();
    const SerialOpenResult r =
        openNetworkSerialPort(loopback(GetParam(), server.port()), 9600, {300ms, 300ms});
    EXPECT_EQ(r.stage, Stage::Open);
    EXPECT_EQ(r.error, ETIMEDOUT);
}

// A stop from another thread once the opening is waiting, as a stop signal comes.
class StopSoon {
public:
    StopSoon()
        : m_thread([this] {
              std::this_thread::sleep_for(100ms);
              m_flag = 1;
              m_wake.raise();
          }) {}
    ~StopSoon() { m_thread.join(); }
    OpenCancel cancel() const { return {&m_wake, &m_flag}; }

private:
    WakeSignal m_wake;
    std::atomic<int> m_flag{0};
    std::thread m_thread;
};

// A host behind a dead link: the connection request goes unanswered, and only a stop ends it.
TEST_P(OpeningFailureTest, StopEndsAConnectThatHangs) {
    Listener server(0);
    server.fillAcceptQueue();
    StopSoon stop;
    const SerialOpenResult r = openNetworkSerialPort(loopback(GetParam(), server.port()), 9600,
                                                     {60s, 300ms}, stop.cancel());
    EXPECT_EQ(r.stage, Stage::Open);
    EXPECT_EQ(r.error, ECANCELED);
}

// Name servers that never answer: the lookup is left to itself and the opening ends at the stop.
TEST_P(OpeningFailureTest, StopEndsANameLookupThatHangs) {
    const auto release = std::make_shared<std::promise<void>>();
    const std::shared_future<void> released = release->get_future().share();
    const NetworkLinkLimits limits{60s, 300ms, [released](const std::string&) {
                                       released.wait();
                                       return HostAddresses{{}, kErrorUnknownHost};
                                   }};
    SerialOpenResult r;
    {
        StopSoon stop;
        r = openNetworkSerialPort({GetParam(), "calculator.test", 4001}, 9600, limits,
                                  stop.cancel());
    }
    release->set_value();
    EXPECT_EQ(r.stage, Stage::Open);
    EXPECT_EQ(r.error, ECANCELED);
}

// Both kinds of server take the addresses the lookup gives, and tell an unknown host alike.
TEST_P(OpeningFailureTest, HostLookedUpAlike) {
    Listener server;
    const struct {
        HostAddresses found;
        int error;
    } cases[] = {{{{}, kErrorUnknownHost}, kErrorUnknownHost},
                 {{{"127.0.0.1"}, 0}, ECONNRESET}};  // reached the server, which hung up
    for (const auto& c : cases) {
        std::thread serve;
        if (c.found.error == 0) serve = std::thread(acceptAndReset, server.fd());
        const NetworkLinkLimits limits{10s, 10s, [&](const std::string& host) {
                                           EXPECT_EQ(host, "calculator.test");
                                           return c.found;
                                       }};
        const SerialOpenResult r = openNetworkSerialPort(
            {GetParam(), "calculator.test", server.port()}, 9600, limits);
        if (serve.joinable()) serve.join();
        EXPECT_EQ(r.stage, Stage::Open);
        EXPECT_EQ(r.error, c.error);
    }
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, OpeningFailureTest,
                         testing::Values(Protocol::Raw, Protocol::Rfc2217), [](const auto& info) {
                             return info.param == Protocol::Raw ? "Raw" : "Rfc2217";
                         });

// A raw server takes the Telnet negotiation for data and answers nothing.
TEST(OpeningFailure, Rfc2217AddressOfARawServerIsRefused) {
    Listener server;
    int accepted = -1;
    std::thread serve([&] { accepted = ::accept(server.fd(), nullptr, nullptr); });
    const SerialOpenResult r =
        openNetworkSerialPort(loopback(Protocol::Rfc2217, server.port()), 9600, {20s, 300ms});
    serve.join();
    if (accepted >= 0) ::close(accepted);
    EXPECT_EQ(r.stage, Stage::Open);
    EXPECT_EQ(r.error, EPROTONOSUPPORT);
}

// A Telnet server that offers the COM port option itself at once, as pyserial's does, and
// answers the client's offer only `answerAfter` later: with DO, after which every setting is
// answered as set and recorded; or with DONT.
struct OfferingServer {
    std::chrono::milliseconds answerAfter;
    bool grants;
    std::vector<std::vector<std::uint8_t>> requests;  // COM port subnegotiations received

    static constexpr std::uint8_t kIac = 255, kSb = 250, kSe = 240, kComPort = 44;

    void serve(int listener) {
        const int c = ::accept(listener, nullptr, nullptr);
        if (c < 0) return;
        send(c, {kIac, 251 /* WILL */, kComPort});
        std::this_thread::sleep_for(answerAfter);
        send(c,
             {kIac, static_cast<std::uint8_t>(grants ? 253 /* DO */ : 254 /* DONT */), kComPort});
        std::vector<std::uint8_t> in;
        std::uint8_t buf[256];
        for (ssize_t n; (n = ::read(c, buf, sizeof buf)) > 0;) {
            in.insert(in.end(), buf, buf + n);
            answerRequests(c, in);
        }
        ::close(c);
    }

private:
    static void send(int c, std::vector<std::uint8_t> bytes) {
        (void)!::write(c, bytes.data(), bytes.size());
    }
    // The settings carry no byte 255 here, so no doubled escape needs undoing.
    void answerRequests(int c, std::vector<std::uint8_t>& in) {
        const std::uint8_t start[] = {kIac, kSb, kComPort};
        const std::uint8_t end[] = {kIac, kSe};
        for (;;) {
            const auto b = std::search(in.begin(), in.end(), std::begin(start), std::end(start));
            const auto e = std::search(b, in.end(), std::begin(end), std::end(end));
            if (b == in.end() || e == in.end()) return;
            std::vector<std::uint8_t> request(b + 3, e);
            if (!request.empty() && grants) {
                std::vector<std::uint8_t> answer(std::begin(start), std::end(start));
                answer.push_back(static_cast<std::uint8_t>(request[0] + 100));
                answer.insert(answer.end(), request.begin() + 1, request.end());
                answer.insert(answer.end(), std::begin(end), std::end(end));
                send(c, answer);
                requests.push_back(std::move(request));
            }
            in.erase(in.begin(), e + 2);
        }
    }
};

struct OfferCase {
    const char* name;
    std::chrono::milliseconds answerAfter;
    bool grants;
};

void PrintTo(const OfferCase& c, std::ostream* os) {
    *os << c.name;
}

class ServerOfferingTheOptionTest : public testing::TestWithParam<OfferCase> {};

// The server's own offer ends gensio's opening before its answer to ours has come: a grant
// that comes later still carries the settings, and a refusal is a server without the option.
TEST_P(ServerOfferingTheOptionTest, SettingsWaitForTheAnswerToTheClientsOffer) {
    const OfferCase& c = GetParam();
    Listener listener;
    OfferingServer server{c.answerAfter, c.grants, {}};
    std::thread serve([&] { server.serve(listener.fd()); });
    SerialOpenResult r =
        openNetworkSerialPort(loopback(Protocol::Rfc2217, listener.port()), 19200, {20s, 300ms});
    const bool opened = r.port != nullptr;
    r.port.reset();  // the server reads until the line is closed
    serve.join();
    if (!c.grants) {
        EXPECT_FALSE(opened);
        EXPECT_EQ(r.stage, Stage::Open);
        EXPECT_EQ(r.error, EPROTONOSUPPORT);
        return;
    }
    ASSERT_TRUE(opened) << "stage " << int(r.stage) << ", error " << r.error;
    // Speed 19200, 8 data bits, no parity, 1 stop bit, DTR on, RTS on.
    const std::vector<std::vector<std::uint8_t>> wanted = {
        {1, 0, 0, 0x4B, 0x00}, {2, 8}, {3, 1}, {4, 1}, {5, 8}, {5, 11}};
    EXPECT_EQ(server.requests, wanted);
}

INSTANTIATE_TEST_SUITE_P(Table, ServerOfferingTheOptionTest,
                         testing::Values(OfferCase{"GrantsAtOnce", 0ms, true},
                                         OfferCase{"GrantsLate", 500ms, true},
                                         OfferCase{"Refuses", 0ms, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A request to end the process ends the Telnet negotiation that the server leaves unanswered.
TEST(OpeningFailure, CancelEndsTheNegotiationAtOnce) {
    Listener server;
    WakeSignal wake;
    std::atomic<int> cancel{0};
    int accepted = -1;
    std::thread serve([&] {
        accepted = ::accept(server.fd(), nullptr, nullptr);
        cancel = 1;
        wake.raise();
    });
    const auto start = std::chrono::steady_clock::now();
    const SerialOpenResult r = openNetworkSerialPort(loopback(Protocol::Rfc2217, server.port()),
                                                     9600, {20s, 300ms}, {&wake, &cancel});
    const auto took = std::chrono::steady_clock::now() - start;
    serve.join();
    if (accepted >= 0) ::close(accepted);
    EXPECT_EQ(r.stage, Stage::Open);
    EXPECT_EQ(r.error, ECANCELED);
    EXPECT_LT(took, 2s) << "the server would have held it for seconds";
}

TEST(OpeningFailure, MalformedAddressIsNeverOpenedAsADevice) {
    ::setenv("TABULON_COM3", "tcp://127.0.0.1", 1);
    const SerialOpenResult r = openSerialPort("COM3", 9600);
    ::unsetenv("TABULON_COM3");
    EXPECT_EQ(r.stage, Stage::Open);
    EXPECT_EQ(r.error, kErrorBadAddress);
}

}  // namespace
