// Measures, by hand (see bench/README.md): how often the idle program is woken. Tabulon as it
// starts (one empty form), Tabulon with a form of text open, and a bare Qt main window run side
// by side, each on a private X server of its own (Xvfb -displayfd), in a temporary home with
// its own configuration file. The context switches of all threads of each process are counted
// from SECONDS after a five-second start, over SECONDS (30 unless given).
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchTable.h"

namespace {

constexpr auto kSettle = std::chrono::milliseconds(5000);
// The bare window makes almost no switches: the ratio adds one switch a second to either side,
// so that two near-zero counts compare as equal instead of dividing by zero.
constexpr double kSlackPerSecond = 1.0;

// Everything started, so that a benchmark that gives up leaves no server or program behind.
std::vector<pid_t> g_started;

void stopAll() {
    for (pid_t pid : g_started) kill(pid, SIGTERM);
    for (pid_t pid : g_started) waitpid(pid, nullptr, 0);
    g_started.clear();
}

// In a child before exec: the programs' warnings go to a file instead of the table.
void redirectStderr(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) dup2(fd, STDERR_FILENO);
}

struct Child {
    pid_t pid = -1;
};

// A private X server; its display number comes back through a pipe (-displayfd).
struct XServer : Child {
    std::string display;

    void start(const std::string& log) {
        int fds[2];
        if (pipe(fds) != 0) bench::die("pipe");
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            redirectStderr(log);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
                   "1280x1024x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        g_started.push_back(pid);
        close(fds[1]);
        // The server writes the number and the newline apart, and dies if no one reads both.
        std::string number;
        for (char c; read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
        close(fds[0]);
        if (number.empty()) bench::die("Xvfb did not start");
        display = ":" + number;
    }
};

Child launch(const std::string& exe, const std::vector<std::string>& args, const XServer& x,
             const QString& home) {
    Child c;
    c.pid = fork();
    if (c.pid == 0) {
        setenv("DISPLAY", x.display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        const std::string h = home.toStdString();
        setenv("HOME", h.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (h + "/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (h + "/.local/share").c_str(), 1);
        setenv("XDG_CACHE_HOME", (h + "/.cache").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (h + "/run").c_str(), 1);
        setenv("XDG_DOCUMENTS_DIR", (h + "/Documents").c_str(), 1);
        setenv("TABULON_INI", (h + "/Tabulon.ini").c_str(), 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        redirectStderr(h + "/stderr.log");
        std::vector<char*> argv{const_cast<char*>(exe.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    g_started.push_back(c.pid);
    return c;
}

// Voluntary and involuntary switches of every thread the process has now, by thread name.
std::map<std::string, long> switches(pid_t pid) {
    std::map<std::string, long> byThread;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) bench::die("process " + std::to_string(pid) + " ended");
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        const std::string base = tasks + "/" + e->d_name;
        std::string name;
        std::getline(std::ifstream(base + "/comm"), name);
        std::ifstream status(base + "/status");
        long sum = 0;
        for (std::string line; std::getline(status, line);)
            if (line.find("ctxt_switches:") != std::string::npos)
                sum += std::stol(line.substr(line.find(':') + 1));
        byThread[name + " " + e->d_name] += sum;
    }
    closedir(dir);
    return byThread;
}

// No window manager runs: the focus is set directly, which makes Qt take the window as active.
void focus(const XServer& x, const char* titlePattern) {
    const std::string command = "DISPLAY=" + x.display + " xdotool search --onlyvisible --name '" +
                                titlePattern + "' windowfocus >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) bench::die(std::string("cannot focus ") + titlePattern);
}

// The measure means nothing if the program waits in a message box instead of its main window.
bool waitForWindow(const XServer& x, const char* titlePattern) {
    const std::string command = "DISPLAY=" + x.display + " xdotool search --onlyvisible --name '" +
                                titlePattern + "' >/dev/null 2>&1";
    for (int i = 0; i < 300; ++i) {
        if (std::system(command.c_str()) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

struct Run {
    Run(const char* w, const char* t, bool f) : what(w), title(t), focused(f) {}

    const char* what;
    const char* title;
    bool focused;  // given the keyboard focus, as the desktop gives it to the window in front
    Child child;
    XServer x;
    QString home;
    std::map<std::string, long> before, after;

    QString logs() const {
        QString text;
        for (const char* name : {"/xvfb.log", "/stderr.log"}) {
            QFile f(home + name);
            if (f.open(QIODevice::ReadOnly)) text += name + QString::fromLocal8Bit(f.readAll());
        }
        return text;
    }

    long total() const {
        long sum = 0;
        for (const auto& [thread, n] : after) {
            const auto b = before.find(thread);
            sum += n - (b == before.end() ? 0 : b->second);
        }
        return sum;
    }
    // Which threads woke, for the reader who wants to know why.
    std::string threads() const {
        std::string text;
        for (const auto& [thread, n] : after) {
            const auto b = before.find(thread);
            text += thread + "=" + std::to_string(n - (b == before.end() ? 0 : b->second)) + " ";
        }
        return text;
    }
};

QString prepareHome(const QTemporaryDir& dir, const char* name) {
    const QString home = dir.filePath(QString::fromLatin1(name));
    for (const char* sub : {".config", ".local/share", ".cache", "run", "Documents"})
        QDir().mkpath(home + "/" + sub);
    QFile::setPermissions(home + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile ini(home + "/Tabulon.ini");
    if (!ini.open(QIODevice::WriteOnly)) bench::die("cannot write " + ini.fileName().toStdString());
    ini.write(QStringEncoder("windows-1251")(
        QStringLiteral("PORT = COM1\r\nDEVICE = КСМ-Р\r\nRATE = 9600")));
    return home;
}

// A received form as the operator saves it: the sample report in Windows Cyrillic.
QString prepareForm(const QTemporaryDir& dir) {
    QFile sample(QStringLiteral(SAMPLE_FORM));
    if (!sample.open(QIODevice::ReadOnly)) bench::die("cannot read " SAMPLE_FORM);
    const QString path = dir.filePath("form.txt");
    QFile form(path);
    if (!form.open(QIODevice::WriteOnly)) bench::die("cannot write " + path.toStdString());
    form.write(QStringEncoder("windows-1251")(QString::fromUtf8(sample.readAll())));
    return path;
}

void report(const Run& ours, const Run& bare, int seconds) {
    const long t = ours.total(), b = bare.total();
    const double slack = kSlackPerSecond * seconds;
    const double ratio = (t + slack) / (b + slack);
    bench::row(
        std::string("Context switches in ") + std::to_string(seconds) + " s idle, " + ours.what,
        std::to_string(t), std::to_string(b), ratio, "(Tabulon + 1/s) at most 1.2 × (bare + 1/s)",
        ratio <= 1.2);
    std::printf("<!-- %s: %s| bare: %s-->\n", ours.what, ours.threads().c_str(),
                bare.threads().c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "header") {
        bench::header("Tabulon", "bare peer");
        return 0;
    }
    const int seconds = what.empty() ? 30 : std::atoi(what.c_str());
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: %s header | [SECONDS=30]\n", argv[0]);
        return 2;
    }
    QTemporaryDir dir;
    if (!dir.isValid()) bench::die("no temporary folder");
    std::atexit(stopAll);
    const std::string form = prepareForm(dir).toStdString();

    Run runs[] = {{"as started (one empty form)", "^Tabulon - ", false},
                  {"a form of text open", "^Tabulon - form", false},
                  {"bare", "^bare$", false},
                  {"window in front, caret in the empty form", "^Tabulon - ", true},
                  {"bare with a text field in front", "^bare$", true}};
    static_assert(std::size(runs) == 5);
    const std::vector<std::string> args[] = {{}, {form}, {}, {}, {"--text"}};
    for (int i = 0; i < 5; ++i) {
        const QString home = prepareHome(dir, ("home" + std::to_string(i)).c_str());
        runs[i].x.start((home + "/xvfb.log").toStdString());
        const bool tabulon = i == 0 || i == 1 || i == 3;
        runs[i].child = launch(tabulon ? TABULON_EXE : IDLE_BARE_EXE, args[i], runs[i].x, home);
        runs[i].home = home;
    }
    for (Run& r : runs) {
        if (!waitForWindow(r.x, r.title)) {
            std::fprintf(stderr, "%s\n", qPrintable(r.logs()));
            bench::die(std::string("no window ") + r.title + " (" + r.what + ")");
        }
    }
    // Focused at once, a window would lose the focus again while it is still being set up.
    std::this_thread::sleep_for(kSettle / 2);
    for (Run& r : runs) {
        if (r.focused) focus(r.x, r.title);
    }
    std::this_thread::sleep_for(kSettle / 2);
    for (Run& r : runs) r.before = switches(r.child.pid);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    for (Run& r : runs) r.after = switches(r.child.pid);
    stopAll();
    report(runs[0], runs[2], seconds);
    report(runs[1], runs[2], seconds);
    report(runs[3], runs[4], seconds);
    return 0;
}
