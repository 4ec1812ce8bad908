#pragma once

#include <QString>
#include <map>
#include <string>

// A PostgreSQL connection string as the client library reads it. The Windows build has no client
// library (Debian builds none for MinGW), so there the common archive is not available and every
// address is refused, saying so.
namespace Conninfo {

using Options = std::map<std::string, std::string>;

// False where the program was built without the client library.
bool available();
// The address's options; `error` set (the library's words) when it cannot be read.
Options parse(const QString& conninfo, QString* error);

}  // namespace Conninfo
