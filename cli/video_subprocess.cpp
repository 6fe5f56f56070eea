#include "cli/video_subprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/video_signals.h"

extern char** environ;

namespace lintra::video {
namespace {

struct Pipe {
    int read = -1;
    int write = -1;
};

bool openPipe(Pipe& p) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    p.read = fds[0];
    p.write = fds[1];
    return true;
}

void closePipe(Pipe& p) {
    closeFd(p.read);
    closeFd(p.write);
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::vector<char*> argPointers(const std::vector<std::string>& argv) {
    std::vector<char*> out;
    out.reserve(argv.size() + 1);
    for (const auto& a : argv) out.push_back(const_cast<char*>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

// fd as `target` in the new program (an fd already there loses its close-on-exec flag).
bool placeFd(int fd, int target) {
    if (fd == target) return fcntl(target, F_SETFD, 0) == 0;
    return dup2(fd, target) == target;
}

struct ChildFiles {
    int stdinFd;   // -1: /dev/null
    int stdoutFd;  // -1: our stderr
    int stderrFd;
    int statusFd;  // where a failed exec leaves its errno
};

// Between fork and exec: async-signal-safe calls only.
[[noreturn]] void becomeChild(const ChildFiles& files, char** args, pid_t parent,
                              const sigset_t& mask) {
    // Our handlers must not run here; ignored signals stay ignored, except SIGPIPE, which
    // lintra ignores for itself.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        sigaction(sig, nullptr, &current);
        if (current.sa_handler != SIG_IGN) sigaction(sig, &byDefault, nullptr);
    }
    sigaction(SIGPIPE, &byDefault, nullptr);
    // Dies with lintra, even when lintra is killed with SIGKILL.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(127);
    int stdinFd = files.stdinFd;
    if (stdinFd < 0) stdinFd = open("/dev/null", O_RDONLY);
    bool ok = stdinFd >= 0 && placeFd(stdinFd, STDIN_FILENO);
    ok = ok && placeFd(files.stdoutFd >= 0 ? files.stdoutFd : STDERR_FILENO, STDOUT_FILENO);
    ok = ok && placeFd(files.stderrFd, STDERR_FILENO);
    sigprocmask(SIG_SETMASK, &mask, nullptr);
    if (ok) execve(args[0], args, environ);
    const int error = errno;
    ssize_t ignored = write(files.statusFd, &error, sizeof error);
    (void)ignored;
    _exit(127);
}

// 0 when the child's exec succeeded (the status pipe closed empty), else its errno.
int execResult(int statusFd) {
    int error = 0;
    for (;;) {
        const ssize_t n = read(statusFd, &error, sizeof error);
        if (n < 0 && errno == EINTR) continue;
        return n == static_cast<ssize_t>(sizeof error) ? error : 0;
    }
}

}  // namespace

void closeFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

std::string localFile(const std::string& path) {
    return "file:" + path;
}

std::string findInPath(const std::string& name) {
    if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : "";
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= dirs.size()) {
        std::size_t end = dirs.find(':', at);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end > at ? dirs.substr(at, end - at) : ".";
        const std::string candidate = dir + "/" + name;
        if (isExecutableFile(candidate)) return candidate;
        at = end + 1;
    }
    return "";
}

bool spawnChild(const std::vector<std::string>& argv, const ChildPipes& pipes, ChildProcess& child,
                std::string& error) {
    child = ChildProcess{};
    Pipe in, out, err, status;
    int stderrFile = -1;
    bool ready = openPipe(status);
    ready = ready && (!pipes.stdinPipe || openPipe(in)) && (!pipes.stdoutPipe || openPipe(out));
    if (ready && pipes.stderrPipe) {
        ready = openPipe(err);
    } else if (ready) {
        stderrFile = memfd_create("lintra-child-stderr", MFD_CLOEXEC);
        ready = stderrFile >= 0;
    }
    if (!ready) {
        error = std::string("cannot create pipes: ") + std::strerror(errno);
        for (Pipe* p : {&in, &out, &err, &status}) closePipe(*p);
        if (stderrFile >= 0) close(stderrFile);
        return false;
    }
    auto args = argPointers(argv);
    const ChildFiles files{in.read, out.write, pipes.stderrPipe ? err.write : stderrFile,
                           status.write};
    // Signals wait until the child is tracked, and the child starts with them blocked, so
    // that no handler of ours runs in it.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    const int forkError = pid < 0 ? errno : 0;
    if (pid == 0) becomeChild(files, args.data(), parent, previous);
    if (pid > 0) trackChild(pid);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    closeFd(in.read);
    closeFd(out.write);
    closeFd(err.write);
    closeFd(status.write);
    const int execError = pid > 0 ? execResult(status.read) : forkError;
    closeFd(status.read);
    child.pid = pid;
    child.stdinFd = in.write;
    child.stdoutFd = out.read;
    child.stderrFd = err.read;
    child.stderrFile = stderrFile;
    if (pid < 0 || execError != 0) {
        error = "cannot start " + argv[0] + ": " + std::strerror(execError);
        waitChild(child);
        return false;
    }
    return true;
}

int waitChild(ChildProcess& child) {
    closeFd(child.stdinFd);
    closeFd(child.stdoutFd);
    closeFd(child.stderrFd);
    closeFd(child.stderrFile);
    if (child.pid <= 0) return -1;
    // Untracked first: a pid once waited for may be another process's.
    untrackChild(child.pid);
    int status = 0;
    pid_t r;
    do {
        r = waitpid(child.pid, &status, 0);
    } while (r < 0 && errno == EINTR);
    child.pid = -1;
    if (r < 0) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

void stopChild(ChildProcess& child) {
    if (child.pid > 0) kill(child.pid, SIGKILL);
    waitChild(child);
}

std::string lastLines(std::string text, std::size_t maxLines) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::size_t start = text.size();
    for (std::size_t lines = 0; start > 0 && lines < maxLines;) {
        --start;
        if (text[start] == '\n' && ++lines == maxLines) {
            ++start;
            break;
        }
    }
    return text.substr(start);
}

std::string childErrorText(const ChildProcess& child, std::size_t maxLines) {
    if (child.stderrFile < 0) return "";
    std::string text;
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t n = pread(child.stderrFile, buffer, sizeof buffer, at);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
    return lastLines(std::move(text), maxLines);
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

}  // namespace lintra::video
