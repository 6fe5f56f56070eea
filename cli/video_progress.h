#pragma once
// Progress of lintra video on stderr: a bar redrawn in place on a terminal, otherwise a plain
// line once a second (for logs).

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace lintra::video {

struct ProgressFigures {
    std::int64_t done;
    std::int64_t total;  // 0 when unknown
    double seconds;      // since the start
};

// "[#####-----]  120/450 frames  31.2 fps  0:10 left", fitted to `columns`.
std::string progressBar(const ProgressFigures& figures, int columns);

// "lintra: 120/450 frames, 31.2 fps, 0:10 left".
std::string progressLine(const ProgressFigures& figures);

// "1:02:03" or "2:03".
std::string clockText(double seconds);

struct ProgressDisplay {
    std::FILE* out = stderr;
    bool terminal = false;
    int columns = 80;
    std::int64_t total = 0;
    std::chrono::steady_clock::time_point start{};
    std::chrono::steady_clock::time_point lastShown{};
    bool shownOnce = false;
};

// Looks at stderr (a terminal? how wide?) and starts the clock.
ProgressDisplay startProgress(std::int64_t totalFrames);

// Shows the count when due: on a terminal at most ten times a second, else once a second.
void showProgress(ProgressDisplay& display, std::int64_t done);

// Ends the bar's line on a terminal so later messages start on a fresh line.
void endProgress(ProgressDisplay& display, std::int64_t done);

}  // namespace lintra::video
