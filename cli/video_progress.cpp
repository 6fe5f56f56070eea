#include "cli/video_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace lintra::video {
namespace {

constexpr int kMinBarWidth = 10;
constexpr int kMaxBarWidth = 40;
constexpr double kTerminalInterval = 0.1;
constexpr double kLogInterval = 1.0;

double framesPerSecond(const ProgressFigures& f) {
    return f.seconds > 0 ? static_cast<double>(f.done) / f.seconds : 0.0;
}

// "120/450 frames", or "120 frames" when the total is unknown; an estimate that turned out
// short is not shown.
std::string countText(const ProgressFigures& f) {
    std::string text = std::to_string(f.done);
    if (f.total > 0 && f.done <= f.total) {
        text += '/';
        text += std::to_string(f.total);
    }
    text += " frames";
    return text;
}

std::string rateText(const ProgressFigures& f) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f fps", framesPerSecond(f));
    return buffer;
}

// Time left, or "" when it cannot be told yet.
std::string leftText(const ProgressFigures& f) {
    const double fps = framesPerSecond(f);
    if (f.total <= 0 || f.done > f.total || fps <= 0) return "";
    return clockText(static_cast<double>(f.total - f.done) / fps) + " left";
}

double secondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

int terminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

ProgressFigures figuresOf(const ProgressDisplay& d, std::int64_t done) {
    return {done, d.total, secondsSince(d.start)};
}

}  // namespace

std::string clockText(double seconds) {
    const auto total = static_cast<long long>(std::max(0.0, std::round(seconds)));
    char buffer[32];
    if (total >= 3600) {
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                      total % 60);
    } else {
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld", total / 60, total % 60);
    }
    return buffer;
}

std::string progressBar(const ProgressFigures& f, int columns) {
    std::string text = "  " + countText(f) + "  " + rateText(f);
    const std::string left = leftText(f);
    if (!left.empty()) text += "  " + left;
    const int room = columns - 1 - static_cast<int>(text.size()) - 2;
    if (f.total <= 0 || room < kMinBarWidth)
        return text.substr(0, static_cast<std::size_t>(std::max(columns - 1, 0)));
    const int width = std::min(room, kMaxBarWidth);
    const double fraction =
        std::min(1.0, static_cast<double>(f.done) / static_cast<double>(f.total));
    const int filled = static_cast<int>(fraction * width);
    std::string bar(1, '[');
    bar.append(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(width - filled), '-');
    bar += ']';
    bar += text;
    return bar;
}

std::string progressLine(const ProgressFigures& f) {
    std::string text = "lintra: ";
    text += countText(f);
    text += ", ";
    text += rateText(f);
    const std::string left = leftText(f);
    if (!left.empty()) text += ", " + left;
    return text;
}

ProgressDisplay startProgress(std::int64_t totalFrames) {
    ProgressDisplay d;
    d.terminal = isatty(STDERR_FILENO) != 0;
    if (d.terminal) d.columns = terminalColumns();
    d.total = totalFrames;
    d.start = std::chrono::steady_clock::now();
    d.lastShown = d.start;
    return d;
}

void showProgress(ProgressDisplay& d, std::int64_t done) {
    const double interval = d.terminal ? kTerminalInterval : kLogInterval;
    if (secondsSince(d.lastShown) < interval) return;
    d.lastShown = std::chrono::steady_clock::now();
    d.shownOnce = true;
    if (d.terminal) {
        std::fprintf(d.out, "\r%s\033[K", progressBar(figuresOf(d, done), d.columns).c_str());
    } else {
        std::fprintf(d.out, "%s\n", progressLine(figuresOf(d, done)).c_str());
    }
    std::fflush(d.out);
}

void endProgress(ProgressDisplay& d, std::int64_t done) {
    if (!d.terminal) return;
    std::fprintf(d.out, "\r%s\033[K\n", progressBar(figuresOf(d, done), d.columns).c_str());
    std::fflush(d.out);
}

}  // namespace lintra::video
