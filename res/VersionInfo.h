#pragma once

// The program's version resource. The About box shows its own fixed "Version 1.8" text, which
// does not follow these numbers.
namespace res {

struct VersionInfo {
    unsigned fileVersion[4];
    unsigned productVersion[4];
    const char* fileVersionText;
    const char* productVersionText;
    const char* companyName;
    const char* fileDescription;
    const char* internalName;
    const char* legalCopyright;
    const char* originalFilename;
    const char* productName;
    const char* comments;
    const char* legalTrademarks;
    const char* privateBuild;
    const char* specialBuild;
};

inline constexpr VersionInfo kVersionInfo{
    {1, 0, 0, 1},
    {1, 0, 0, 1},
    "1, 0, 0, 1",
    "1, 0, 0, 1",
    "Tabulon developers",
    "Tabulon MFC Application",
    "Tabulon",
    "Copyright (C) Tabulon developers",
    "Tabulon.EXE",
    "Tabulon Application",
    "",
    "",
    "",
    "",
};

}  // namespace res
