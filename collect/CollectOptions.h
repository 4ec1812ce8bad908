#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The command line of tabulon-collect. Port, device and speed left out come from the
// configuration file; folder and name template from the per-user profile.
struct CollectOptions {
    std::optional<QString> port;    // "COM3", "/dev/ttyUSB0", ...
    std::optional<int> deviceType;  // 0..5
    std::optional<int> rate;
    std::optional<QString> folder;
    std::optional<QString> nameTemplate;
    int passes = 0;        // 0: until a pass brings nothing new
    int waitSeconds = 60;  // how long a pass waits for the line to speak at all
    bool json = false;
    bool help = false;
    QString error;  // Russian; set when the line makes no sense
};

CollectOptions parseCollectOptions(const QStringList& args);

// The text of --help, with every exit status.
QString collectUsage();
