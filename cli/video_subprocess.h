#pragma once
// ffmpeg and ffprobe as child processes, started without a shell. Their stderr goes to a
// private in-memory file, so their messages can be shown after a failure without breaking
// into the progress display.

#include <sys/types.h>

#include <string>
#include <vector>

namespace lintra::video {

struct ChildProcess {
    pid_t pid = -1;
    int stdinFd = -1;     // our end of the child's stdin pipe, or -1
    int stdoutFd = -1;    // our end of the child's stdout pipe, or -1
    int stderrFile = -1;  // what the child wrote to stderr
};

// The full path of an executable named `name` in PATH, or "" when there is none.
std::string findInPath(const std::string& name);

// Starts argv[0] (a path) with argv. Pipes its stdin and/or stdout to us when asked; an
// unpiped stdin reads /dev/null, an unpiped stdout goes to our stderr. False with a message
// when it cannot be started.
bool spawnChild(const std::vector<std::string>& argv, bool pipeStdin, bool pipeStdout,
                ChildProcess& child, std::string& error);

// Waits for the child and releases its files. Returns its exit status, 128 + the signal
// that ended it, or -1 when there is no child.
int waitChild(ChildProcess& child);

// Ends a child that is no longer wanted (SIGTERM) and waits for it.
void stopChild(ChildProcess& child);

// The last `maxLines` lines the child wrote to stderr (before waitChild releases them).
std::string childErrorText(const ChildProcess& child, std::size_t maxLines);

// A path as ffmpeg must be given it to take it for a file: "file:" in front, so names with
// a colon ("a:b.mkv") or a leading dash are not read as protocols or options.
std::string localFile(const std::string& path);

// Closes fd when open and sets it to -1.
void closeFd(int& fd);

}  // namespace lintra::video
