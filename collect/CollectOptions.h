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
    // A line from the site book: its port, type and speed stand where the options say nothing,
    // and its forms go to the site's own folder of the archive.
    std::optional<QString> site;
    std::optional<QString> sitesFile;  // the book; the per-user one when not given
    bool all = false;                  // every site of the book in turn
    // Further tries after a failure of the line (the port, the handshake, a broken line), at
    // most kMaxRetries; each pause twice the one before (see CollectRound::retryPauseSeconds).
    int retries = 0;
    int retryDelaySeconds = 30;
    // A device that stays away must not turn a timer's run into a day of tries.
    static constexpr int kMaxRetries = 100;
    // The common archive: --upload sends the archive's backlog and collects nothing; a collection
    // sends what is in its archive before it exits, waiting at most this long for the store.
    bool upload = false;
    int uploadWaitSeconds = 30;
    bool json = false;
    bool help = false;
    QString error;  // Russian; set when the line makes no sense
};

CollectOptions parseCollectOptions(const QStringList& args);

// The text of --help, with every exit status.
QString collectUsage();
