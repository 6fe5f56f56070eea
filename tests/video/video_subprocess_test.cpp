// Child processes as lintra video runs ffmpeg: found in PATH, exit status, stderr kept aside.

#include "cli/video_subprocess.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace {

using lintra::video::ChildProcess;

std::string shell() {
    return lintra::video::findInPath("sh");
}

TEST(Subprocess, FindsExecutablesOnlyWhereTheyAre) {
    ASSERT_FALSE(shell().empty());
    EXPECT_EQ(shell().front(), '/');
    EXPECT_EQ(lintra::video::findInPath("no-such-tool-for-lintra"), "");
    EXPECT_EQ(lintra::video::findInPath(shell()), shell());
    EXPECT_EQ(lintra::video::findInPath("/nonexistent/sh"), "");
}

TEST(Subprocess, ReportsStatusAndTheLastLinesOfStderr) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(lintra::video::spawnChild(
        {shell(), "-c", "printf 'one\\ntwo\\nthree\\n' >&2; printf out; exit 3"}, false, true,
        child, error))
        << error;
    // Its stdout ends when it exits, after everything went to stderr.
    std::string out;
    char c;
    while (read(child.stdoutFd, &c, 1) == 1) out += c;
    EXPECT_EQ(out, "out");
    EXPECT_EQ(lintra::video::childErrorText(child, 2), "two\nthree");
    EXPECT_EQ(lintra::video::childErrorText(child, 9), "one\ntwo\nthree");
    EXPECT_EQ(lintra::video::waitChild(child), 3);
    EXPECT_EQ(child.pid, -1);
    EXPECT_EQ(lintra::video::waitChild(child), -1);
}

TEST(Subprocess, StoppedChildAndMissingProgram) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(
        lintra::video::spawnChild({shell(), "-c", "exec sleep 30"}, true, false, child, error));
    lintra::video::stopChild(child);
    EXPECT_EQ(child.pid, -1);
    EXPECT_FALSE(lintra::video::spawnChild({"/nonexistent/ffmpeg"}, false, true, child, error));
    EXPECT_NE(error.find("cannot start /nonexistent/ffmpeg"), std::string::npos) << error;
}

}  // namespace
