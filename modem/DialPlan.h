#pragma once

#include <chrono>
#include <string>

// What a dial-up site asks of its modem, and the times the Hayes command set gives.
struct DialPlan {
    static constexpr int kDefaultDialTimeoutS = 90;
    // Back to the factory profile, no echo, results in words, a DTR drop hangs up (&D2), the
    // carrier shown on DCD, no answering of calls: what the dialer relies on, whatever the last
    // program left set.
    static constexpr const char* kDefaultInit = "AT&FE0V1&D2&C1S0=0";

    std::string phone;
    std::string init = kDefaultInit;
    // A bearer command such as "AT+CBST=7,0,1" for a GSM data call; empty: the modem's own.
    std::string bearer;
    std::chrono::seconds dialTimeout{kDefaultDialTimeoutS};
    // The silence on either side of "+++": a little over S12's default second.
    std::chrono::milliseconds guardTime{1100};
    // How long the modem may take to answer AT, the init, the bearer and ATH.
    std::chrono::milliseconds commandTimeout{3000};
    // How long DTR stays low for the modem to see it.
    std::chrono::milliseconds dtrLow{500};
};
