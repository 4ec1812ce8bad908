#include <libpq-fe.h>

#include <memory>

#include "store/Conninfo.h"

namespace Conninfo {

bool available() {
    return true;
}

Options parse(const QString& conninfo, QString* error) {
    char* message = nullptr;
    const std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> parsed(
        PQconninfoParse(conninfo.toUtf8().constData(), &message), &PQconninfoFree);
    Options options;
    if (!parsed) {
        *error = message ? QString::fromUtf8(message).trimmed() : QStringLiteral("?");
        PQfreemem(message);
        return options;
    }
    for (const PQconninfoOption* o = parsed.get(); o->keyword; ++o)
        if (o->val && *o->val) options[o->keyword] = o->val;
    return options;
}

}  // namespace Conninfo
