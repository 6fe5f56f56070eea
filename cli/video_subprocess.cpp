#include "cli/video_subprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

// Wires the child's standard files; the parent's ends are close-on-exec and vanish by
// themselves.
bool childFiles(posix_spawn_file_actions_t& actions, const Pipe& in, const Pipe& out,
                int stderrFile) {
    int rc = 0;
    if (in.read >= 0) {
        rc |= posix_spawn_file_actions_adddup2(&actions, in.read, STDIN_FILENO);
    } else {
        rc |= posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    const int stdoutSource = out.write >= 0 ? out.write : STDERR_FILENO;
    rc |= posix_spawn_file_actions_adddup2(&actions, stdoutSource, STDOUT_FILENO);
    rc |= posix_spawn_file_actions_adddup2(&actions, stderrFile, STDERR_FILENO);
    return rc == 0;
}

std::vector<char*> argPointers(const std::vector<std::string>& argv) {
    std::vector<char*> out;
    out.reserve(argv.size() + 1);
    for (const auto& a : argv) out.push_back(const_cast<char*>(a.c_str()));
    out.push_back(nullptr);
    return out;
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

bool spawnChild(const std::vector<std::string>& argv, bool pipeStdin, bool pipeStdout,
                ChildProcess& child, std::string& error) {
    child = ChildProcess{};
    Pipe in, out;
    const int stderrFile = memfd_create("lintra-child-stderr", MFD_CLOEXEC);
    if (stderrFile < 0 || (pipeStdin && !openPipe(in)) || (pipeStdout && !openPipe(out))) {
        error = std::string("cannot create pipes: ") + std::strerror(errno);
        closePipe(in);
        closePipe(out);
        if (stderrFile >= 0) close(stderrFile);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int rc = childFiles(actions, in, out, stderrFile) ? 0 : ENOMEM;
    if (rc == 0) {
        auto args = argPointers(argv);
        rc = posix_spawn(&child.pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
    }
    posix_spawn_file_actions_destroy(&actions);
    closeFd(in.read);
    closeFd(out.write);
    if (rc != 0) {
        error = "cannot start " + argv[0] + ": " + std::strerror(rc);
        closeFd(in.write);
        closeFd(out.read);
        close(stderrFile);
        child = ChildProcess{};
        return false;
    }
    child.stdinFd = in.write;
    child.stdoutFd = out.read;
    child.stderrFile = stderrFile;
    return true;
}

int waitChild(ChildProcess& child) {
    closeFd(child.stdinFd);
    closeFd(child.stdoutFd);
    closeFd(child.stderrFile);
    if (child.pid <= 0) return -1;
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
    if (child.pid > 0) kill(child.pid, SIGTERM);
    waitChild(child);
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

}  // namespace lintra::video
