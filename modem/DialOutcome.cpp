#include "modem/DialOutcome.h"

#include "res/ModemTexts.h"

bool worthAnotherTry(DialOutcome outcome) {
    switch (outcome) {
        case DialOutcome::Busy:
        case DialOutcome::NoAnswer:
        case DialOutcome::NoCarrier:
        case DialOutcome::DialTimeout:
            return true;
        default:
            return false;
    }
}

QString dialOutcomeText(DialOutcome outcome, int dialTimeoutS) {
    switch (outcome) {
        case DialOutcome::Busy:
            return modemTexts::kBusy;
        case DialOutcome::NoAnswer:
            return modemTexts::kNoAnswer;
        case DialOutcome::NoCarrier:
            return modemTexts::kNoCarrier;
        case DialOutcome::NoDialtone:
            return modemTexts::kNoDialtone;
        case DialOutcome::Error:
            return modemTexts::kError;
        case DialOutcome::BearerRefused:
            return modemTexts::kBearerRefused;
        case DialOutcome::ModemSilent:
            return modemTexts::kModemSilent;
        case DialOutcome::DialTimeout:
            return modemTexts::dialTimedOut(dialTimeoutS);
        case DialOutcome::Connected:
        case DialOutcome::Stopped:
            break;
    }
    return {};
}
