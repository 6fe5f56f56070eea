// The decoding ffmpeg's log: frame lines, errors in ffmpeg's words, and the damage they show.

#include "cli/video_decoder_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "cli/video_damage.h"

namespace {

using lintra::video::DecoderLog;
using lintra::video::LogLine;
using lintra::video::parseLogLine;

TEST(DecoderLogLines, FrameLinesOfShowinfo) {
    const LogLine l = parseLogLine(
        "[Parsed_showinfo_0 @ 0x55723d872680] [info] n:  34 pts:   1360 pts_time:1.36    "
        "pos:    33261 fmt:yuv422p10le sar:1/1 s:176x144 i:P iskey:0 type:B ");
    EXPECT_EQ(l.kind, LogLine::Kind::frame);
    EXPECT_EQ(l.width, 176);
    EXPECT_EQ(l.height, 144);
    EXPECT_EQ(l.pixelFormat, "yuv422p10le");
    EXPECT_TRUE(l.hasTime);
    EXPECT_DOUBLE_EQ(l.time, 1.36);
    const LogLine noTime = parseLogLine(
        "[Parsed_showinfo_0 @ 0x1] [info] n:   0 pts:NOPTS pts_time:NOPTS pos: 1 fmt:gray "
        "sar:0/1 s:8x6 i:T iskey:1 type:I");
    EXPECT_EQ(noTime.kind, LogLine::Kind::frame);
    EXPECT_FALSE(noTime.hasTime);
}

TEST(DecoderLogLines, ErrorsInFfmpegsWords) {
    LogLine l = parseLogLine("[matroska,webm @ 0x55723d4f2940] [error] File ended prematurely");
    EXPECT_EQ(l.kind, LogLine::Kind::problem);
    EXPECT_EQ(l.text, "matroska,webm: File ended prematurely");
    l = parseLogLine("[error] Error while decoding stream #0:0: Operation not permitted");
    EXPECT_EQ(l.kind, LogLine::Kind::problem);
    EXPECT_EQ(l.text, "Error while decoding stream #0:0: Operation not permitted");
    EXPECT_EQ(parseLogLine("[fatal] Conversion failed!").kind, LogLine::Kind::problem);
}

TEST(DecoderLogLines, EverythingElseIsOther) {
    for (const char* line :
         {"[mpegts @ 0x1] [warning] Packet corrupt (stream = 0, dts = 158400).",
          "[info]   Stream #0:0: Video: h264", "[Parsed_showinfo_0 @ 0x1] [info] config in",
          "[Parsed_showinfo_0 @ 0x1] [info] n: 1 s:0x144 fmt:gray",
          "[Parsed_showinfo_0 @ 0x1] [info] n: 1 s:99999999x1 fmt:gray",
          "[Parsed_showinfo_0 @ 0x1] [warning] n: 1 s:8x6", "n: 1 s:8x6", "", "[", "[x @ ] [",
          "[Parsed_showinfo_0 @ 0x1] [info] n: 1 s:8x"}) {
        EXPECT_EQ(parseLogLine(line).kind, LogLine::Kind::other) << line;
    }
}

TEST(DecoderLogReader, FramesInOrderAndASummaryOfTheErrors) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    DecoderLog log;
    log.start(fds[0]);
    const std::string text =
        "[info] Input #0\n"
        "[Parsed_showinfo_0 @ 0x1] [info] n:   0 pts_time:0 fmt:yuv420p s:64x48 i:P\n"
        "[Parsed_showinfo_0 @ 0x1] [info] n:   1 pts_time:0.04 fmt:yuv420p s:64x48 i:P\n"
        "[h264 @ 0x2] [error] no frame!\r"
        "[mpegts @ 0x1] [warning] Packet corrupt\n"
        "[Parsed_showinfo_0 @ 0x3] [info] n:   0 pts_time:0.08 fmt:yuv420p s:32x24 i:P\n"
        "[Parsed_showinfo_0 @ 0x3] [info] User Data=" +
        std::string(10000, 'f') + "\n[error] last one";
    std::thread writer([&] {
        ssize_t ignored = write(fds[1], text.data(), text.size());
        (void)ignored;
        close(fds[1]);
    });
    lintra::video::FrameNote note;
    ASSERT_TRUE(log.frame(0, note));
    EXPECT_EQ(note.width, 64);
    ASSERT_TRUE(log.frame(2, note));
    EXPECT_EQ(note.width, 32);
    EXPECT_DOUBLE_EQ(note.time, 0.08);
    EXPECT_FALSE(log.frame(3, note));
    writer.join();
    log.finish();
    const auto s = log.summary();
    EXPECT_EQ(s.frames, 3);
    EXPECT_EQ(s.problems, 2);
    EXPECT_EQ(s.framesAtProblem, 2);
    EXPECT_EQ(s.firstProblem, "h264: no frame!");
    EXPECT_EQ(s.lastProblem, "last one");
    EXPECT_DOUBLE_EQ(s.lastTime, 0.08);
    EXPECT_EQ(s.recent,
              "[h264 @ 0x2] [error] no frame!\n[mpegts @ 0x1] [warning] Packet corrupt\n"
              "[error] last one");
}

lintra::video::VideoInfo video(double duration, std::int64_t announced) {
    lintra::video::VideoInfo info;
    info.rate = "25/1";
    info.videoDuration = duration;
    info.announcedFrames = announced;
    return info;
}

lintra::video::LogSummary frames(std::int64_t count) {
    lintra::video::LogSummary s;
    s.frames = count;
    s.hasLastTime = count > 0;
    s.lastTime = static_cast<double>(count - 1) / 25;
    return s;
}

TEST(Damage, WholeVideosAreNotDamaged) {
    EXPECT_FALSE(assessDamage(video(4.0, 100), frames(100), 100, false).damaged);
    // An edit list shows fewer frames than the file holds, but they reach its stated end.
    EXPECT_FALSE(assessDamage(video(2.68, 75), frames(67), 67, false).damaged);
    // A frame and a half short is within what timestamps wobble by.
    EXPECT_FALSE(assessDamage(video(4.0, 0), frames(99), 99, false).damaged);
    EXPECT_FALSE(assessDamage(video(0, 0), frames(10), 10, false).damaged);
}

TEST(Damage, FramesMissingBeforeTheStatedEnd) {
    auto r = assessDamage(video(3.04, 0), frames(36), 36, false);
    EXPECT_TRUE(r.damaged);
    EXPECT_EQ(r.missingFrames, 40);
    EXPECT_EQ(r.text, "about 40 frames are missing (the video ends at 1.44 s of 3.04 s)");
    r = assessDamage(video(3.0, 75), frames(37), 37, false);
    EXPECT_EQ(r.missingFrames, 38);
    EXPECT_EQ(r.text.rfind("38 of the 75 frames the file announces are missing", 0), 0u) << r.text;
    // No stated length: the count is all there is.
    r = assessDamage(video(0, 75), frames(37), 37, false);
    EXPECT_EQ(r.missingFrames, 38);
}

TEST(Damage, DecoderErrorsAndFailures) {
    auto log = frames(37);
    log.problems = 2;
    log.framesAtProblem = 36;
    log.firstProblem = "dvvideo: could not find dv frame profile";
    auto r = assessDamage(video(1.48, 75), log, 37, false);
    EXPECT_TRUE(r.damaged);
    EXPECT_EQ(r.text,
              "38 of the 75 frames the file announces are missing; the decoder reported 2 "
              "errors, the first after frame 36: dvvideo: could not find dv frame profile");
    r = assessDamage(video(0, 0), frames(5), 5, true);
    EXPECT_EQ(r.text, "ffmpeg stopped decoding with an error");
}

}  // namespace
