#include "acquisition/LinkSetup.h"

#include "acquisition/AcquisitionTexts.h"

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
    return result;
}

std::optional<QString> LinkSetup::failureText(SerialOpenResult::Stage stage, int error) {
    switch (stage) {
        case SerialOpenResult::Stage::Ok:
            return std::nullopt;
        case SerialOpenResult::Stage::Open:
            if (const auto cause = acqtext::OpenFailureCause(error))
                return acqtext::kPortInitFailed + QLatin1Char('\n') + *cause;
            return acqtext::kPortInitFailed;
        case SerialOpenResult::Stage::GetState:
            return acqtext::GetStateFailed(error);
        case SerialOpenResult::Stage::SetState:
            return acqtext::SetStateFailed(error);
        case SerialOpenResult::Stage::SetTimeouts:
            return std::nullopt;
    }
    return acqtext::kPortInitFailed;
}
