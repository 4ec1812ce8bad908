#include "store/StoreListener.h"

#include "store/StoreConnection.h"
#include "store/StoreSchema.h"

StoreListener::StoreListener(StoreAddress address, Heard heard)
    : m_heard(std::move(heard)), m_thread(&StoreListener::run, this, std::move(address)) {}

StoreListener::~StoreListener() {
    m_stop.raise();
    m_thread.join();
}

void StoreListener::run(StoreAddress address) {
    StoreConnection connection(std::move(address), kTimeoutMs);
    while (!m_stop.isRaised()) {
        if (!connection.isOpen()) {
            if (!connection.open() || !connection.run(StoreSchema::kExchangesListen)) {
                connection.close();
                m_stop.waitFor(std::chrono::milliseconds(kReconnectMs));
                continue;
            }
            // What came while no one listened is read with the first rows after it.
            m_heard();
        }
        if (connection.waitNotification(m_stop, -1)) m_heard();
    }
}
