#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "modem/DialPlan.h"

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
    // The round over several lines at once: exchanges at the same time (0: one per line, at
    // most kDefaultJobs), and how long a line another program holds is waited for.
    int jobs = 0;
    static constexpr int kDefaultJobs = 8;
    static constexpr int kMaxJobs = 64;
    int lineWaitSeconds = 60;
    // A service that waits for the modems of the book's sites to connect ("[ADDRESS:]PORT"),
    // and how long a connection may stay silent before it is closed.
    std::optional<QString> listen;
    int idleSeconds = 600;
    // A dial-up site of the book: the port is its modem's, which calls the calculator first.
    std::optional<DialPlan> dial;
    // The common archive: --upload sends the archive's backlog and collects nothing; a collection
    // sends what is in its archive before it exits, waiting at most this long for the store.
    bool upload = false;
    int uploadWaitSeconds = 30;
    bool json = false;
    bool help = false;
    QString error;  // Russian; set when the line makes no sense
};

CollectOptions parseCollectOptions(const QStringList& args);

// The address and port of --listen: "4001", "192.0.2.1:4001", "[::1]:4001" (host empty: every
// address of the machine). False when the text is none of these.
bool splitListenAddress(const QString& text, QString* host, int* port);

// The text of --help, with every exit status.
QString collectUsage();
