#include "cli/video_decoder_log.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "cli/video_subprocess.h"

namespace lintra::video {
namespace {

constexpr std::size_t kMaxLine = 4096;  // longer lines (hex dumps of side data) are cut
constexpr std::size_t kRecentLines = 6;
constexpr std::int32_t kMaxDimension = 1 << 16;

// "[name @ 0x55d0c0] " in front: the name. Advances `at` past it.
std::string context(const std::string& line, std::size_t& at) {
    if (line.compare(at, 1, "[") != 0) return "";
    const auto close = line.find("] ", at);
    if (close == std::string::npos) return "";
    const std::string inside = line.substr(at + 1, close - at - 1);
    const auto sign = inside.find(" @ ");
    if (sign == std::string::npos) return "";
    at = close + 2;
    return inside.substr(0, sign);
}

// "[error] " and the like. Advances `at` past it.
std::string level(const std::string& line, std::size_t& at) {
    for (const char* l :
         {"quiet", "panic", "fatal", "error", "warning", "info", "verbose", "debug", "trace"}) {
        const std::string tag = std::string("[") + l + "] ";
        if (line.compare(at, tag.size(), tag) == 0) {
            at += tag.size();
            return l;
        }
    }
    return "";
}

// The text after " key:" up to the next space ("" when absent).
std::string field(const std::string& message, const char* key) {
    const std::string marker = std::string(" ") + key + ":";
    const auto at = message.find(marker);
    if (at == std::string::npos) return "";
    std::size_t begin = at + marker.size();
    while (begin < message.size() && message[begin] == ' ') ++begin;
    const auto end = message.find(' ', begin);
    return message.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

bool dimension(const std::string& s, std::int32_t& out) {
    if (s.empty() || s.size() > 6) return false;
    std::int32_t v = 0;
    for (const char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < 1 || v > kMaxDimension) return false;
    out = v;
    return true;
}

bool frameLine(const std::string& message, LogLine& out) {
    if (message.rfind("n:", 0) != 0) return false;
    const std::string size = field(message, "s");
    const auto x = size.find('x');
    if (x == std::string::npos || !dimension(size.substr(0, x), out.width) ||
        !dimension(size.substr(x + 1), out.height)) {
        return false;
    }
    out.pixelFormat = field(message, "fmt");
    const std::string time = field(message, "pts_time");
    char* end = nullptr;
    const double t = std::strtod(time.c_str(), &end);
    out.hasTime = !time.empty() && *end == '\0' && std::isfinite(t);
    out.time = out.hasTime ? t : 0;
    out.kind = LogLine::Kind::frame;
    return true;
}

}  // namespace

LogLine parseLogLine(const std::string& line) {
    LogLine out;
    std::size_t at = 0;
    const std::string name = context(line, at);
    const std::string lvl = level(line, at);
    const std::string message = line.substr(at);
    if (lvl == "info" && name.rfind("Parsed_showinfo", 0) == 0 && frameLine(message, out)) {
        return out;
    }
    out = LogLine{};
    if (lvl == "error" || lvl == "fatal" || lvl == "panic") {
        out.kind = LogLine::Kind::problem;
        out.text = name.empty() ? message : name + ": " + message;
    }
    return out;
}

void DecoderLog::start(int fd) {
    thread_ = std::thread(&DecoderLog::readLines, this, fd);
}

void DecoderLog::finish() {
    if (thread_.joinable()) thread_.join();
}

void DecoderLog::readLines(int fd) {
    std::string line;
    bool cut = false;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c == '\n' || c == '\r') {
                if (!line.empty()) take(line);
                line.clear();
                cut = false;
            } else if (line.size() < kMaxLine && !cut) {
                line += c;
            } else {
                cut = true;
            }
        }
    }
    if (!line.empty()) take(line);
    close(fd);
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
}

void DecoderLog::take(const std::string& line) {
    const LogLine parsed = parseLogLine(line);
    std::lock_guard lock(mutex_);
    switch (parsed.kind) {
        case LogLine::Kind::frame:
            notes_.push_back(
                {parsed.width, parsed.height, parsed.pixelFormat, parsed.hasTime, parsed.time});
            ++summary_.frames;
            summary_.hasLastTime = parsed.hasTime;
            summary_.lastTime = parsed.time;
            changed_.notify_all();
            return;
        case LogLine::Kind::problem:
            if (summary_.problems++ == 0) {
                summary_.firstProblem = parsed.text;
                summary_.framesAtProblem = summary_.frames;
            }
            summary_.lastProblem = parsed.text;
            break;
        case LogLine::Kind::other:
            if (line.find("] [info] ") != std::string::npos || line.rfind("[info] ", 0) == 0) {
                return;
            }
            break;
    }
    recent_.push_back(line);
    if (recent_.size() > kRecentLines) recent_.pop_front();
}

bool DecoderLog::frame(std::int64_t index, FrameNote& note) {
    std::unique_lock lock(mutex_);
    while (firstNote_ < index && !notes_.empty()) {
        notes_.pop_front();
        ++firstNote_;
    }
    changed_.wait(lock, [&] {
        return ended_ || firstNote_ + static_cast<std::int64_t>(notes_.size()) > index;
    });
    if (index < firstNote_ || index >= firstNote_ + static_cast<std::int64_t>(notes_.size())) {
        return false;
    }
    note = notes_[static_cast<std::size_t>(index - firstNote_)];
    return true;
}

LogSummary DecoderLog::summary() {
    std::lock_guard lock(mutex_);
    LogSummary s = summary_;
    for (const auto& line : recent_) s.recent += (s.recent.empty() ? "" : "\n") + line;
    return s;
}

}  // namespace lintra::video
