// A serial line at a network device server speaking Telnet with the COM-Port-Control option
// (RFC 2217), through libgensio, whose telnet layer does the negotiation and the IAC escaping.
// Raw mode needs none of that and goes over a plain socket (TcpLine_posix.cpp). gensio's callbacks
// run inside its event loop, which only the thread waiting in the line turns, so the line's state
// is touched by that thread alone.
#include <gensio/gensio.h>
#include <gensio/gensio_os_funcs.h>
#include <gensio/sergensio.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <functional>
#include <utility>
#include <vector>

#include "platform/HostLookup.h"
#include "platform/NetworkSerialPort.h"
#include "platform/PosixLine.h"
#include "platform/WakeSignal.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using Deadline = steady_clock::time_point;

// Beyond this much unread input the line stops taking more, and TCP holds the server back.
constexpr std::size_t kInboxLimit = 64 * 1024;

// gensio's telnet layer ends the opening at the server's first word about the COM port option,
// or after this long without one.
constexpr milliseconds kOptionSilence{4000};

int errnoFor(int gensioError) {
    switch (gensioError) {
        case GE_CONNREFUSE:
            return ECONNREFUSED;
        case GE_TIMEDOUT:
            return ETIMEDOUT;
        case GE_HOSTDOWN:
            return EHOSTUNREACH;
        case GE_REMCLOSE:
        case GE_COMMERR:
        case GE_IOERR:
            return ECONNRESET;
        case GE_NOTSUP:
            return EPROTONOSUPPORT;
        case GE_NOMEM:
            return ENOMEM;
        case GE_UNKNOWN_NAME_ERROR:
        case GE_NAME_ERROR:
        case GE_NAME_SERVER_FAILURE:
        case GE_NAME_INVALID:
        case GE_NAME_NET_NOT_UP:
        case GE_NOTFOUND:
            return kErrorUnknownHost;
        case GE_INVAL:
            return EINVAL;
        default:
            return EIO;
    }
}

// `host` is numeric: the name was looked up beforehand, where a cancel can end the wait.
std::string gensioChain(const std::string& host, int port) {
    // nodelay: every echo is a single byte and must leave at once.
    std::string chain = "telnet(rfc2217),tcp(nodelay),";
    if (host.find(':') != std::string::npos) chain += "ipv6,";
    return chain + host + "," + std::to_string(port);
}

void ignoreLog(gensio_os_funcs*, gensio_log_levels, const char*, va_list) {}

// gensio keeps process-wide state that points into the first os funcs it is given, so there
// is one for the whole process, never freed. Without a wake signal it may be waited on by one
// thread at a time, and only one worker ever runs.
gensio_os_funcs* sharedOsFuncs() {
    static gensio_os_funcs* const os = [] {
        gensio_os_funcs* o = nullptr;
        if (gensio_default_os_hnd(0, &o) != 0) return static_cast<gensio_os_funcs*>(nullptr);
        gensio_os_funcs_set_vlog(o, &ignoreLog);
        return o;
    }();
    return os;
}

class GensioLine final : public SerialPort {
public:
    GensioLine() : m_os(sharedOsFuncs()) {}
    ~GensioLine() override;
    GensioLine(const GensioLine&) = delete;
    GensioLine& operator=(const GensioLine&) = delete;

    // Each step returns 0 or the errno-style cause of its failure.
    int connect(const std::string& host, int port, Deadline deadline);
    int configure(int rate, Deadline deadline);
    int settle(Deadline deadline);
    int awaitComPortOption(const std::function<int()>& request, Deadline deadline);

    Result read(std::span<std::uint8_t> buffer, milliseconds timeout) override;
    Result write(std::span<const std::uint8_t> bytes, milliseconds timeout) override;
    void setWake(const WakeSignal* wake) override;

private:
    static int onEvent(gensio* io, void* self, int event, int err, unsigned char* buf,
                       gensiods* buflen, const char* const* auxdata);
    static void onOpened(gensio* io, int err, void* self);
    static void onClosed(gensio* io, void* self);
    static void onSetting(sergensio* sio, int err, unsigned int value, void* setting);

    int takeInput(int err, const unsigned char* buf, gensiods* buflen);
    std::size_t unread() const { return m_inbox.size() - m_head; }
    // Runs the event loop until `done` holds or the deadline passes or the wake signal is
    // raised; false on the deadline or the wake.
    bool serviceUntil(const std::function<bool()>& done, Deadline deadline);
    void shutDown();

    gensio_os_funcs* m_os = nullptr;
    gensio* m_io = nullptr;
    bool m_opened = false;
    int m_openError = 0;
    bool m_optionSpoken = false;  // the opening ended on the server's word, not on its silence
    bool m_closed = false;
    int m_endError = 0;  // set once the connection has ended
    bool m_writeReady = false;
    bool m_readPaused = false;
    struct Setting {
        unsigned int wanted = 0;
        bool answered = false;
        int error = 0;
    };
    static constexpr int kSettings = 4;  // speed, data bits, parity, stop bits
    Setting m_settings[kSettings];
    std::vector<std::uint8_t> m_inbox;
    std::size_t m_head = 0;
    static void onWakeReadable(gensio_iod* iod, void* self);
    static void onWakeCleared(gensio_iod* iod, void* self);
    void dropWake();

    const WakeSignal* m_wake = nullptr;
    gensio_iod* m_wakeIod = nullptr;  // the signal's descriptor, watched by gensio's own loop
    bool m_woken = false;
    bool m_wakeCleared = false;
};

GensioLine::~GensioLine() {
    dropWake();
    shutDown();
}

// The wake signal's descriptor joins gensio's loop, so a raise ends a wait at once.
void GensioLine::setWake(const WakeSignal* wake) {
    dropWake();
    m_wake = wake;
    if (!wake || wake->handle() < 0 || !m_os) return;
    if (m_os->add_iod(m_os, GENSIO_IOD_SOCKET, wake->handle(), &m_wakeIod) != 0) {
        m_wakeIod = nullptr;
        return;
    }
    if (m_os->set_fd_handlers(m_wakeIod, this, &GensioLine::onWakeReadable, nullptr, nullptr,
                              &GensioLine::onWakeCleared) != 0) {
        m_os->release_iod(m_wakeIod);
        m_wakeIod = nullptr;
    }
}

void GensioLine::dropWake() {
    m_wake = nullptr;
    gensio_iod* const iod = std::exchange(m_wakeIod, nullptr);
    if (!iod) return;
    m_wakeCleared = false;
    m_os->clear_fd_handlers(iod);
    serviceUntil([this] { return m_wakeCleared; }, steady_clock::now() + milliseconds(1000));
    m_os->release_iod(iod);  // the descriptor stays open: it is the signal's
}

void GensioLine::onWakeReadable(gensio_iod* iod, void* self) {
    static_cast<GensioLine*>(self)->m_woken = true;
    iod->f->set_read_handler(iod, false);  // it stays readable until its owner clears it
}

void GensioLine::onWakeCleared(gensio_iod*, void* self) {
    static_cast<GensioLine*>(self)->m_wakeCleared = true;
}

void GensioLine::shutDown() {
    if (m_io) {
        if (m_opened && m_openError == 0 && gensio_close(m_io, &GensioLine::onClosed, this) == 0)
            serviceUntil([this] { return m_closed; }, steady_clock::now() + milliseconds(1000));
        gensio_free(m_io);
        m_io = nullptr;
    }
}

bool GensioLine::serviceUntil(const std::function<bool()>& done, Deadline deadline) {
    if (m_wake && m_wake->isRaised() && !done()) return false;
    // Without a descriptor to watch (the system gave the signal none), short slices.
    const bool sliced = m_wake && !m_wakeIod;
    m_woken = false;
    if (m_wakeIod) m_os->set_read_handler(m_wakeIod, true);
    bool reached = true;
    while (!done()) {
        auto left = deadline - steady_clock::now();
        if (m_woken || (sliced && m_wake->isRaised()) || left <= steady_clock::duration::zero()) {
            reached = false;
            break;
        }
        if (sliced) left = std::min<steady_clock::duration>(left, milliseconds(10));
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        gensio_time timeout{ns / 1000000000, static_cast<int>(ns % 1000000000)};
        gensio_os_funcs_service(m_os, &timeout);
    }
    if (m_wakeIod) m_os->set_read_handler(m_wakeIod, false);
    return reached;
}

int GensioLine::connect(const std::string& host, int port, Deadline deadline) {
    if (!m_os) return ENOMEM;
    if (int err = str_to_gensio(gensioChain(host, port).c_str(), m_os, &GensioLine::onEvent, this,
                                &m_io)) {
        m_io = nullptr;
        return err == GE_INVAL ? kErrorBadAddress : errnoFor(err);
    }
    const Deadline started = steady_clock::now();
    if (int err = gensio_open(m_io, &GensioLine::onOpened, this)) return errnoFor(err);
    if (!serviceUntil([this] { return m_opened; }, deadline)) return ETIMEDOUT;
    if (m_openError) return errnoFor(m_openError);
    m_optionSpoken = steady_clock::now() - started < kOptionSilence;
    // Read from now on: RFC 2217 answers arrive in the stream, and a calculator may start at once.
    gensio_set_read_callback_enable(m_io, true);
    return 0;
}

int GensioLine::configure(int rate, Deadline deadline) {
    sergensio* sio = gensio_to_sergensio(m_io);
    if (!sio) return EPROTONOSUPPORT;
    using Setter = int (*)(sergensio*, unsigned int, sergensio_done, void*);
    const Setter setters[kSettings] = {&sergensio_baud, &sergensio_datasize, &sergensio_parity,
                                       &sergensio_stopbits};
    const unsigned int values[kSettings] = {static_cast<unsigned int>(rate), 8,
                                            SERGENSIO_PARITY_NONE, 1};
    for (int i = 0; i < kSettings; ++i) {
        m_settings[i] = {values[i], false, 0};
        // Refused at once while the server has not granted the COM port option.
        const auto request = [&] {
            return setters[i](sio, values[i], &GensioLine::onSetting, &m_settings[i]);
        };
        int err = request();
        if (i == 0 && err == GE_NOTSUP) err = awaitComPortOption(request, deadline);
        if (err) return errnoFor(err);
    }
    // Servers often leave the modem lines unanswered (ser2net does on a line without them),
    // so they are raised without waiting for a reply.
    sergensio_dtr(sio, SERGENSIO_DTR_ON, nullptr, nullptr);
    sergensio_rts(sio, SERGENSIO_RTS_ON, nullptr, nullptr);
    const auto allAnswered = [this] {
        return std::all_of(std::begin(m_settings), std::end(m_settings),
                           [](const Setting& s) { return s.answered; });
    };
    if (!serviceUntil([&] { return allAnswered() || m_endError != 0; }, deadline)) return ETIMEDOUT;
    if (m_endError) return ECONNRESET;
    for (const Setting& s : m_settings)
        if (s.error) return errnoFor(s.error);
    return 0;
}

// A server that offers the COM port option itself (pyserial's does) says WILL before it has read
// our WILL, and that word ends gensio's opening; the DO that grants ours comes a round trip
// later, and until then every setting is refused as not supported. So the first setting is
// asked again each time the loop has taken in more from the server, until it goes out or the
// server has had as long as gensio gives it to speak at all. A server that said nothing in that
// time speaks no Telnet and is not waited for again.
int GensioLine::awaitComPortOption(const std::function<int()>& request, Deadline deadline) {
    if (!m_optionSpoken) return GE_NOTSUP;
    int err = GE_NOTSUP;
    serviceUntil([&] { return (err = request()) != GE_NOTSUP || m_endError != 0; },
                 std::min(deadline, steady_clock::now() + kOptionSilence));
    return m_endError ? GE_REMCLOSE : err;
}

int GensioLine::settle(Deadline deadline) {
    serviceUntil([this] { return m_endError != 0; }, deadline);
    return m_endError ? ECONNRESET : 0;
}

void GensioLine::onOpened(gensio*, int err, void* self) {
    auto* line = static_cast<GensioLine*>(self);
    line->m_opened = true;
    line->m_openError = err;
}

void GensioLine::onClosed(gensio*, void* self) {
    static_cast<GensioLine*>(self)->m_closed = true;
}

void GensioLine::onSetting(sergensio*, int err, unsigned int value, void* setting) {
    auto* s = static_cast<Setting*>(setting);
    s->answered = true;
    // The server answers with what it set; another speed than asked is a refusal.
    s->error = err ? err : (value == s->wanted ? 0 : GE_INVAL);
}

int GensioLine::onEvent(gensio*, void* self, int event, int err, unsigned char* buf,
                        gensiods* buflen, const char* const*) {
    auto* line = static_cast<GensioLine*>(self);
    switch (event) {
        case GENSIO_EVENT_READ:
            return line->takeInput(err, buf, buflen);
        case GENSIO_EVENT_WRITE_READY:
            line->m_writeReady = true;
            gensio_set_write_callback_enable(line->m_io, false);
            return 0;
        default:
            return GE_NOTSUP;  // modem and line state reports are of no interest
    }
}

int GensioLine::takeInput(int err, const unsigned char* buf, gensiods* buflen) {
    if (err) {
        m_endError = err;
        gensio_set_read_callback_enable(m_io, false);
        return 0;
    }
    if (m_head == m_inbox.size()) {
        m_inbox.clear();
        m_head = 0;
    }
    m_inbox.insert(m_inbox.end(), buf, buf + *buflen);
    if (unread() >= kInboxLimit) {
        m_readPaused = true;
        gensio_set_read_callback_enable(m_io, false);
    }
    return 0;
}

SerialPort::Result GensioLine::read(std::span<std::uint8_t> buffer, milliseconds timeout) {
    if (buffer.empty()) return {Status::Ok, 0, 0};
    // Bytes that came before a hang-up are read first.
    if (unread() == 0 && m_endError == 0)
        serviceUntil([this] { return unread() > 0 || m_endError != 0; },
                     steady_clock::now() + timeout);
    if (unread() == 0)
        return m_endError ? Result{Status::Hangup, 0, errnoFor(m_endError)} : Result{};
    const std::size_t n = std::min(buffer.size(), unread());
    std::copy_n(m_inbox.begin() + static_cast<std::ptrdiff_t>(m_head), n, buffer.begin());
    m_head += n;
    if (m_readPaused && unread() < kInboxLimit / 2 && m_endError == 0) {
        m_readPaused = false;
        gensio_set_read_callback_enable(m_io, true);
    }
    return {Status::Ok, n, 0};
}

SerialPort::Result GensioLine::write(std::span<const std::uint8_t> bytes, milliseconds timeout) {
    if (bytes.empty()) return {Status::Ok, 0, 0};
    const Deadline deadline = steady_clock::now() + timeout;
    for (;;) {
        if (m_endError) return {Status::Hangup, 0, errnoFor(m_endError)};
        gensiods count = 0;
        if (int err = gensio_write(m_io, &count, bytes.data(), bytes.size(), nullptr)) {
            m_endError = err;
            continue;
        }
        if (count > 0) return {Status::Ok, static_cast<std::size_t>(count), 0};
        m_writeReady = false;
        gensio_set_write_callback_enable(m_io, true);
        if (!serviceUntil([this] { return m_writeReady || m_endError != 0; }, deadline))
            return {Status::Timeout, 0, 0};
    }
}

SerialOpenResult failure(SerialOpenResult::Stage stage, int error) {
    SerialOpenResult result;
    result.stage = stage;
    result.error = error;
    return result;
}

}  // namespace

SerialOpenResult openNetworkSerialPort(const NetworkAddress& address, int rate,
                                       const NetworkLinkLimits& limits, const OpenCancel& cancel) {
    using Stage = SerialOpenResult::Stage;
    const HostAddresses hosts =
        lookUpHost(address.host, steady_clock::now() + limits.connect, cancel, limits.resolve);
    if (hosts.error) return failure(Stage::Open, hosts.error);
    if (address.protocol == NetworkAddress::Protocol::Raw)
        return openTcpLine(hosts, address, limits, cancel);
    // The cancel's signal ends the opening's waits as a stop ends the line's; a wait it ended
    // is a cancelled opening, whatever the step would have reported.
    const auto failed = [&](Stage stage, int error) {
        return cancel.requested() ? failure(Stage::Open, ECANCELED) : failure(stage, error);
    };
    // The host's addresses in turn, as a raw connection tries them, until one takes the call.
    std::unique_ptr<GensioLine> line;
    const Deadline connectBy = steady_clock::now() + limits.connect;
    int error = ECONNREFUSED;
    for (const std::string& host : hosts.numeric) {
        line = std::make_unique<GensioLine>();
        line->setWake(cancel.wake);
        error = line->connect(host, address.port, connectBy);
        if (error == 0 || error == ETIMEDOUT || cancel.requested()) break;
    }
    if (error) return failed(Stage::Open, error);
    if (address.protocol == NetworkAddress::Protocol::Rfc2217) {
        // A server without the COM port option, or one that hangs up, is no line at all; a
        // setting it refuses is the line's settings failing.
        if (int error = line->configure(rate, steady_clock::now() + limits.connect)) {
            const bool noLine = error == ECONNRESET || error == EPROTONOSUPPORT;
            return failed(noLine ? Stage::Open : Stage::SetState, error);
        }
    }
    if (int error = line->settle(steady_clock::now() + limits.settle))
        return failed(Stage::Open, error);
    if (cancel.requested()) return failure(Stage::Open, ECANCELED);
    line->setWake(nullptr);
    SerialOpenResult result;
    result.port = std::move(line);
    return result;
}
