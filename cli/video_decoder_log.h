#pragma once
// The decoding ffmpeg's log, read while it runs: a line per decoded frame (its showinfo filter,
// with the frame's size, pixel format and time) and the decoder's errors, in ffmpeg's words.
// It runs with "-loglevel level+info", which tags each line with its level.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace lintra::video {

struct LogLine {
    enum class Kind { other, frame, problem };
    Kind kind = Kind::other;
    // A frame's line.
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string pixelFormat;
    bool hasTime = false;
    double time = 0;  // seconds
    // A problem (an error or worse): "matroska,webm: File ended prematurely".
    std::string text;
};

// One line, without its line end.
LogLine parseLogLine(const std::string& line);

// The decoder's own part of the ffmpeg arguments that make those lines.
inline constexpr const char* kFrameInfoFilter = "showinfo=checksum=0";

struct FrameNote {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string pixelFormat;
    bool hasTime = false;
    double time = 0;
};

struct LogSummary {
    std::int64_t frames = 0;           // frame lines seen
    std::int64_t problems = 0;         // error lines seen
    std::int64_t framesAtProblem = 0;  // frame lines before the first error
    std::string firstProblem;
    std::string lastProblem;
    bool hasLastTime = false;
    double lastTime = 0;  // of the last frame
    std::string recent;   // the last lines that were neither frames nor plain information
};

class DecoderLog {
  public:
    DecoderLog() = default;
    DecoderLog(const DecoderLog&) = delete;
    DecoderLog& operator=(const DecoderLog&) = delete;
    ~DecoderLog() { finish(); }

    // Reads lines from fd (which it closes at the end) on a thread of its own.
    void start(int fd);
    // Waits for the log to end (the decoder has ended, or was stopped).
    void finish();

    // Waits until frame `index` (from 0, asked in increasing order) has its line or the log
    // has ended. False when the log ended without it.
    bool frame(std::int64_t index, FrameNote& note);
    LogSummary summary();

  private:
    void readLines(int fd);
    void take(const std::string& line);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<FrameNote> notes_;
    std::int64_t firstNote_ = 0;  // index of notes_.front()
    LogSummary summary_;
    std::deque<std::string> recent_;
    bool ended_ = false;
    std::thread thread_;
};

}  // namespace lintra::video
