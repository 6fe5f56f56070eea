#include "cli/video_signals.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace lintra::video {
namespace {

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kMaxChildren = 8;

// Everything the handler reads is fixed-size and lock-free: nothing else is safe there.
std::atomic<pid_t> gChildren[kMaxChildren];
char gPendingTemp[4096];
std::atomic<bool> gTempSet{false};
std::atomic<bool> gAfterBar{false};
struct sigaction gPrevious[3];
bool gArmed[3] = {false, false, false};

void say(const char* text) {
    const std::size_t length = std::strlen(text);
    ssize_t ignored = write(STDERR_FILENO, text, length);
    (void)ignored;
}

const char* lineFor(int sig) {
    switch (sig) {
        case SIGINT:
            return "lintra: interrupted (SIGINT): ffmpeg stopped, no output written\n";
        case SIGTERM:
            return "lintra: terminated (SIGTERM): ffmpeg stopped, no output written\n";
        default:
            return "lintra: hung up (SIGHUP): ffmpeg stopped, no output written\n";
    }
}

void onSignal(int sig) {
    pid_t killed[kMaxChildren];
    int count = 0;
    for (auto& child : gChildren) {
        const pid_t pid = child.exchange(0);
        if (pid > 0 && kill(pid, SIGKILL) == 0) killed[count++] = pid;
    }
    if (gTempSet.load()) unlink(gPendingTemp);
    if (gAfterBar.load()) say("\n");
    say(lineFor(sig));
    for (int i = 0; i < count; ++i) {
        while (waitpid(killed[i], nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    // Ends the process as the signal would have, once this handler returns.
    signal(sig, SIG_DFL);
    raise(sig);
}

}  // namespace

void armSignalCleanup() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigfillset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) {
        // A signal ignored from the start (nohup, a background job) stays ignored.
        struct sigaction current {};
        sigaction(kCleanupSignals[i], nullptr, &current);
        gArmed[i] = current.sa_handler != SIG_IGN && !gArmed[i];
        if (gArmed[i]) sigaction(kCleanupSignals[i], &action, &gPrevious[i]);
    }
}

void setPendingOutput(const std::string& tempPath) {
    gTempSet = false;
    if (tempPath.empty() || tempPath.size() >= sizeof gPendingTemp) return;
    std::memcpy(gPendingTemp, tempPath.c_str(), tempPath.size() + 1);
    gTempSet = true;
}

void disarmSignalCleanup() {
    for (int i = 0; i < 3; ++i) {
        if (gArmed[i]) sigaction(kCleanupSignals[i], &gPrevious[i], nullptr);
        gArmed[i] = false;
    }
    gTempSet = false;
}

void signalLineAfterBar(bool afterBar) {
    gAfterBar = afterBar;
}

void trackChild(pid_t pid) {
    for (auto& child : gChildren) {
        pid_t empty = 0;
        if (child.compare_exchange_strong(empty, pid)) return;
    }
}

void untrackChild(pid_t pid) {
    for (auto& child : gChildren) {
        pid_t expected = pid;
        if (child.compare_exchange_strong(expected, 0)) return;
    }
}

}  // namespace lintra::video
