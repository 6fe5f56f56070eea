#pragma once
// ffmpeg and ffprobe as child processes, started without a shell. They receive SIGKILL when
// lintra ends, however it ends, so none runs on without it. Their stderr goes to a private
// in-memory file (its messages can be shown after a failure without breaking into the
// progress display) or, when asked, to a pipe read while they run.

#include <sys/types.h>

#include <string>
#include <vector>

namespace lintra::video {

struct ChildProcess {
    pid_t pid = -1;
    int stdinFd = -1;     // our end of the child's stdin pipe, or -1
    int stdoutFd = -1;    // our end of the child's stdout pipe, or -1
    int stderrFd = -1;    // our end of the child's stderr pipe, or -1
    int stderrFile = -1;  // what the child wrote to stderr, when not piped
};

struct ChildPipes {
    bool stdinPipe;   // else /dev/null
    bool stdoutPipe;  // else our stderr
    bool stderrPipe;  // else a memory file
};

// The full path of an executable named `name` in PATH, or "" when there is none.
std::string findInPath(const std::string& name);

// Starts argv[0] (a path) with argv. False with a message when it cannot be started.
bool spawnChild(const std::vector<std::string>& argv, const ChildPipes& pipes, ChildProcess& child,
                std::string& error);

// Waits for the child and releases its files. Returns its exit status, 128 + the signal
// that ended it, or -1 when there is no child.
int waitChild(ChildProcess& child);

// Ends a child that is no longer wanted (SIGKILL) and waits for it.
void stopChild(ChildProcess& child);

// The last `maxLines` lines the child wrote to its stderr file (before waitChild releases it).
std::string childErrorText(const ChildProcess& child, std::size_t maxLines);

// Everything readable from fd until its end.
std::string readAll(int fd);

// The last `maxLines` lines of a text, without trailing line ends.
std::string lastLines(std::string text, std::size_t maxLines);

// A path as ffmpeg must be given it to take it for a file: "file:" in front, so names with
// a colon ("a:b.mkv") or a leading dash are not read as protocols or options.
std::string localFile(const std::string& path);

// Closes fd when open and sets it to -1.
void closeFd(int& fd);

}  // namespace lintra::video
