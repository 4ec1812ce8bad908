// The connection where the program was built without PostgreSQL's client (Windows): no address
// is ever configured there (StoreAddress refuses each, saying why), and a connection asked for
// all the same fails at once with the same words.
#include "res/Texts.h"
#include "store/StoreConnection.h"

int StoreConnection::Rows::count() const {
    return 0;
}

QString StoreConnection::Rows::text(int, int) const {
    return {};
}

bool StoreConnection::Rows::isNull(int, int) const {
    return true;
}

StoreConnection::StoreConnection(StoreAddress address, int timeoutMs)
    : m_address(std::move(address)), m_timeoutMs(timeoutMs) {}

StoreConnection::~StoreConnection() = default;

bool StoreConnection::isOpen() const {
    return false;
}

void StoreConnection::close() {}

QString StoreConnection::role() const {
    return m_address.role();
}

bool StoreConnection::transient() const {
    return false;
}

bool StoreConnection::ready() {
    fail(Failure::Other, texts::kStoreNotInThisBuild.arg(m_address.origin));
    return false;
}

void StoreConnection::fail(Failure failure, const QString& message) {
    m_failure = failure;
    m_message = message;
}

bool StoreConnection::open() {
    return ready();
}

std::optional<StoreConnection::Rows> StoreConnection::run(const char*, const Values&, const char*) {
    ready();
    return std::nullopt;
}

bool StoreConnection::prepare(const char*, const char*, const char*) {
    return ready();
}

std::optional<StoreConnection::Rows> StoreConnection::execute(const char*, const Values&) {
    ready();
    return std::nullopt;
}

bool StoreConnection::waitNotification(const WakeSignal&, int) {
    return ready();
}
