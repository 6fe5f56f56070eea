#pragma once
// SIGINT, SIGTERM and SIGHUP during lintra video: one line on stderr, the ffmpeg processes
// killed, the temporary output removed, and the process ended by the signal (status 128 + its
// number). The ffmpeg processes also die with lintra when it is killed outright: they are
// started to receive SIGKILL when it goes (see video_subprocess).

#include <sys/types.h>

#include <string>

namespace lintra::video {

// From here on the signals are handled as above (those ignored from the start, as under
// nohup, stay ignored).
void armSignalCleanup();
// The temporary file the cleanup removes ("" for none).
void setPendingOutput(const std::string& tempPath);
// Back to what the signals did before.
void disarmSignalCleanup();

// Whether the line must start on a fresh line (a progress bar is on the terminal).
void signalLineAfterBar(bool afterBar);

// Child processes the cleanup kills. A child is tracked from its start until just before it
// is waited for.
void trackChild(pid_t pid);
void untrackChild(pid_t pid);

}  // namespace lintra::video
