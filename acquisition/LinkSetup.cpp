#include "acquisition/LinkSetup.h"

#include <cerrno>

#include "platform/PortUser.h"
#include "ports/PortTexts.h"
#include "res/Texts.h"

namespace {

bool busy(int error) {
    return error == EBUSY || error == EWOULDBLOCK;
}

}  // namespace

LinkSetup::Result LinkSetup::open(const SerialOpener& opener, const std::string& name, int rate) {
    SerialOpenResult opened = opener(name, rate);
    Result result;
    if (opened.stage == SerialOpenResult::Stage::Ok && opened.port) {
        result.port = std::move(opened.port);
        return result;
    }
    // A port that claims success without a handle is as unusable as one that failed to open.
    const auto stage =
        opened.stage == SerialOpenResult::Stage::Ok ? SerialOpenResult::Stage::Open : opened.stage;
    result.failureText = failureText(stage, opened.error);
    if (stage == SerialOpenResult::Stage::Open) {
        // The operator reads on the second line what stands in the way and how to mend it.
        const PortUser user =
            busy(opened.error) && !opened.path.empty() ? findPortUser(opened.path) : PortUser{};
        *result.failureText +=
            QLatin1Char('\n') + porttext::openFailureCause(name, opened.path, opened.error, user);
    }
    return result;
}

std::optional<QString> LinkSetup::failureText(SerialOpenResult::Stage stage, int error) {
    switch (stage) {
        case SerialOpenResult::Stage::Ok:
            return std::nullopt;
        case SerialOpenResult::Stage::Open:
            return texts::kPortInitFailed;
        case SerialOpenResult::Stage::GetState:
            return texts::getStateFailed(error);
        case SerialOpenResult::Stage::SetState:
            return texts::setStateFailed(error);
        case SerialOpenResult::Stage::SetTimeouts:
            return std::nullopt;
    }
    return texts::kPortInitFailed;
}
