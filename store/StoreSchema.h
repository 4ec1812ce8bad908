#pragma once

#include <QString>

class StoreConnection;

// The common archive's tables, created and brought up to date by the program itself: one
// migration per version, each in a transaction of its own under a lock, so that two machines
// starting at once do not both run it. A role that may only insert and select finds the schema
// made by the database's owner (the manual's page "Общий архив" says how) and changes nothing.
namespace StoreSchema {

inline constexpr int kVersion = 4;

// The channel told when exchange records are stored, in the transaction that stores them, and
// heard by the windows that show them.
inline constexpr const char* kExchangesNotify = "NOTIFY tabulon_exchanges";
inline constexpr const char* kExchangesListen = "LISTEN tabulon_exchanges";

// Brings the store to kVersion and tells its lasting id (which names the sent-ledger of this
// store beside each archive). False with the connection's failure and message set. A migration
// may take minutes over millions of forms and is given as long: the uploaders run it, off any
// window.
bool migrate(StoreConnection& connection, QString* storeId);

// The same for a reader that must not wait: false, with a message, for a store another version
// made, which the next upload brings up to date.
bool isCurrent(StoreConnection& connection, QString* storeId);

}  // namespace StoreSchema
