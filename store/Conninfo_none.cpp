#include "res/Texts.h"
#include "store/Conninfo.h"

namespace Conninfo {

bool available() {
    return false;
}

Options parse(const QString&, QString* error) {
    *error = texts::kStoreNoClient;
    return {};
}

}  // namespace Conninfo
