// Child processes as lintra video runs ffmpeg: found in PATH, exit status, stderr kept aside.

#include "cli/video_subprocess.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
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
        {shell(), "-c", "printf 'one\\ntwo\\nthree\\n' >&2; printf out; exit 3"},
        {false, true, false}, child, error))
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
    ASSERT_TRUE(lintra::video::spawnChild({shell(), "-c", "exec sleep 30"}, {true, false, false},
                                          child, error));
    lintra::video::stopChild(child);
    EXPECT_EQ(child.pid, -1);
    EXPECT_FALSE(
        lintra::video::spawnChild({"/nonexistent/ffmpeg"}, {false, true, false}, child, error));
    EXPECT_NE(error.find("cannot start /nonexistent/ffmpeg"), std::string::npos) << error;
}

TEST(Subprocess, StderrThroughAPipeWhileTheChildRuns) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(lintra::video::spawnChild({shell(), "-c", "echo said >&2; echo done"},
                                          {false, true, true}, child, error))
        << error;
    EXPECT_EQ(lintra::video::readAll(child.stderrFd), "said\n");
    EXPECT_EQ(lintra::video::readAll(child.stdoutFd), "done\n");
    EXPECT_EQ(lintra::video::childErrorText(child, 3), "");
    EXPECT_EQ(lintra::video::waitChild(child), 0);
}

TEST(Subprocess, TheChildDiesWithItsParentEvenKilledOutright) {
    // This process adopts the orphan, so that it can see how it ended.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t parent = fork();
    ASSERT_GE(parent, 0);
    if (parent == 0) {
        ChildProcess child;
        std::string error;
        if (!lintra::video::spawnChild({shell(), "-c", "exec sleep 30"}, {false, false, false},
                                       child, error)) {
            _exit(2);
        }
        ssize_t ignored = write(fds[1], &child.pid, sizeof child.pid);
        (void)ignored;
        raise(SIGKILL);
    }
    close(fds[1]);
    pid_t grandchild = -1;
    ASSERT_EQ(read(fds[0], &grandchild, sizeof grandchild), ssize_t(sizeof grandchild));
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(parent, &status, 0), parent);
    ASSERT_EQ(waitpid(grandchild, &status, 0), grandchild);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    prctl(PR_SET_CHILD_SUBREAPER, 0);
}

TEST(Subprocess, LastLinesOfAText) {
    EXPECT_EQ(lintra::video::lastLines("a\nb\nc\n\n", 2), "b\nc");
    EXPECT_EQ(lintra::video::lastLines("a\nb", 5), "a\nb");
    EXPECT_EQ(lintra::video::lastLines("", 1), "");
}

}  // namespace
