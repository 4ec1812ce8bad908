#include "store/StoreListener.h"

#include "store/StoreConnection.h"

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
            m_listening = false;
            if (!connection.open() || !connection.run("LISTEN tabulon_exchanges")) {
                connection.close();
                m_stop.waitFor(std::chrono::milliseconds(kReconnectMs));
                continue;
            }
            m_listening = true;
            // What came while no one listened is read with the first rows after it.
            m_heard();
        }
        if (connection.waitNotification(m_stop, -1)) m_heard();
    }
}
