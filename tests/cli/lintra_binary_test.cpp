// Runs the built `lintra` as a user would and checks exit codes, messages and files.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "frontend/config_text.h"
#include "cli/png_io.h"
#include "engine/cpu_level.h"
#include "lintra_version.h"
#include "persistence/config_line.h"
#include "tests/cli/cli_test_support.h"

namespace lintra {
namespace {

using test::arg;
using test::readBytes;
using test::runLintra;
using test::ScratchDir;
using test::writeBytes;

constexpr std::int32_t kW = 37;
constexpr std::int32_t kH = 23;

int lineCount(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

TEST(LintraBinary, PrintsTheDefaultConfigLine) {
    ScratchDir dir;
    const auto r = runLintra(dir, "--print-config");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Config(655363, 327700, 327700, 16777216)\n");
    EXPECT_EQ(r.err, "");
}

TEST(LintraBinary, PrintsTheLineOfChangedSettings) {
    ScratchDir dir;
    auto r = runLintra(dir, "--config '4294967295, -1, 0, 0' --print-config");
    EXPECT_EQ(r.out, "Config(-1, -1, 0, 0)\n");
    r = runLintra(dir,
                  "--luma-length 5000 --chroma-length 0 --luma-threshold 600 --rgb "
                  "--progressive --test-mode --print-config");
    EXPECT_EQ(r.out, "Config(67043329, 33488916, 33488916, 65792)\n");
}

TEST(LintraBinary, HelpDocumentsTheOptionsWithAnExample) {
    ScratchDir dir;
    const auto r = runLintra(dir, "--help");
    EXPECT_EQ(r.exitCode, 0);
    for (const char* part : {"--size", "--config", "--rgb", "--interlaced", "--progressive",
                             "--test-mode", "--luma-length", "--chroma-length", "--luma-threshold",
                             "--chroma-threshold", "--print-config", "ffmpeg", "Config("}) {
        EXPECT_NE(r.out.find(part), std::string::npos) << part;
    }
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TEST(LintraBinary, HelpStartsWithTheVersion) {
    ScratchDir dir;
    const auto r = runLintra(dir, "--help");
    EXPECT_EQ(linesOf(r.out).at(0), "lintra " LINTRA_VERSION_STRING ", the line-comb filter");
    EXPECT_NE(r.out.find("--version"), std::string::npos);
}

// LINTRA_CPU for the process, put back afterwards.
class ScopedCpuEnvironment {
  public:
    explicit ScopedCpuEnvironment(const char* value) {
        if (const char* old = std::getenv("LINTRA_CPU")) saved_ = old;
        if (value != nullptr) {
            setenv("LINTRA_CPU", value, 1);
        } else {
            unsetenv("LINTRA_CPU");
        }
    }
    ~ScopedCpuEnvironment() {
        if (saved_.empty()) {
            unsetenv("LINTRA_CPU");
        } else {
            setenv("LINTRA_CPU", saved_.c_str(), 1);
        }
    }
    ScopedCpuEnvironment(const ScopedCpuEnvironment&) = delete;
    ScopedCpuEnvironment& operator=(const ScopedCpuEnvironment&) = delete;

  private:
    std::string saved_;
};

struct VersionCase {
    const char* environment;  // LINTRA_CPU, or null
    const char* args;
    CpuLevel cap;
    const char* capSource;  // what the output must name as the cap, or null
};

class LintraVersion : public ::testing::TestWithParam<VersionCase> {};

// The level line must be the one a filter run takes: the processor's best, lowered by the
// cap from --cpu, else from LINTRA_CPU. The levels built in are all four on x86.
TEST_P(LintraVersion, NamesTheVersionAndTheCpuLevels) {
    const VersionCase& c = GetParam();
    const ScopedCpuEnvironment environment(c.environment);
    ScratchDir dir;
    const auto r = runLintra(dir, c.args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[0], "lintra " LINTRA_VERSION_STRING);
    const CpuLevel best = detectCpuLevel();
    std::string level = std::string("CPU level: ") + cpuLevelName(lowerLevel(c.cap, best));
    if (c.capSource != nullptr && c.cap < best) {
        level += std::string(" (this processor: ") + cpuLevelName(best) + "; capped by " +
                 c.capSource + "=" + cpuLevelName(c.cap) + ")";
    } else {
        level += " (the best this processor has)";
    }
    EXPECT_EQ(lines[1], level);
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_EQ(lines[2], "CPU levels built in: scalar, sse2, avx2, avx512");
#endif
    EXPECT_EQ(lines[3], "Copyright (c) 2026 Lintra developers. MIT licence.");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LintraVersion,
    ::testing::Values(VersionCase{nullptr, "--version", CpuLevel::avx512, nullptr},
                      VersionCase{"", "--version", CpuLevel::avx512, nullptr},
                      VersionCase{"scalar", "--version", CpuLevel::scalar, "LINTRA_CPU"},
                      VersionCase{"avx512", "--version", CpuLevel::avx512, "LINTRA_CPU"},
                      VersionCase{"scalar", "--version --cpu=sse2", CpuLevel::sse2, "--cpu"},
                      VersionCase{nullptr, "--cpu=scalar --version", CpuLevel::scalar, "--cpu"},
                      VersionCase{nullptr, "--version in.png out.png", CpuLevel::avx512, nullptr},
                      VersionCase{"sse2", "video --version", CpuLevel::sse2, "LINTRA_CPU"},
                      VersionCase{nullptr, "video in.mkv --cpu=scalar --version out.mkv",
                                  CpuLevel::scalar, "--cpu"}));

TEST(LintraBinary, VersionWithABadCpuLevelIsAUsageError) {
    ScratchDir dir;
    {
        const ScopedCpuEnvironment environment("fast");
        EXPECT_EQ(runLintra(dir, "--version").exitCode, 2);
    }
    EXPECT_EQ(runLintra(dir, "--version --cpu=fast").exitCode, 2);
}

struct UsageCase {
    const char* args;
    const char* messagePart;
};

class LintraUsageErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(LintraUsageErrors, ExitTwoWithOneLine) {
    ScratchDir dir;
    const auto r = runLintra(dir, GetParam().args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(lineCount(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("lintra: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(GetParam().messagePart), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LintraUsageErrors,
    ::testing::Values(UsageCase{"", "missing INPUT"}, UsageCase{"--nope a b", "--nope"},
                      UsageCase{"--config 'Config(1, 2, 3, 99999999999)' a b", "out of range"},
                      UsageCase{"--luma-threshold lots a b", "'lots'"},
                      UsageCase{"--size 10 a b", "--size"},
                      UsageCase{"video in.avi", "missing OUTPUT"},
                      UsageCase{"video --threads 0 in.avi out.mkv", "--threads"},
                      UsageCase{"video --nope in.avi out.mkv", "lintra video --help"}));

TEST(LintraBinary, InputErrorsExitOneAndNameTheFile) {
    ScratchDir dir;
    auto r = runLintra(dir, arg(dir.file("absent.png")) + arg(dir.file("out.png")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("absent.png: cannot open"), std::string::npos) << r.err;
    writeBytes(dir.file("junk.png"), std::vector<std::uint8_t>(100, 7));
    r = runLintra(dir, arg(dir.file("junk.png")) + arg(dir.file("out.png")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("junk.png: not a PNG file"), std::string::npos) << r.err;
    r = runLintra(dir, "--size 4x4" + arg(dir.file("absent.raw")) + arg(dir.file("o.raw")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("absent.raw: cannot open"), std::string::npos) << r.err;
    // Nothing was created under the output names, and no temporary file was left.
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"junk.png"});
}

TEST(LintraBinary, OutputErrorsExitOneAndNameTheFile) {
    ScratchDir dir;
    writeBytes(dir.file("in.raw"), test::patternedFrames(kW, kH, 1, 5u));
    const auto r =
        runLintra(dir, "--size 37x23" + arg(dir.file("in.raw")) + arg(dir.file("no/such/dir.raw")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no/such/dir.raw"), std::string::npos) << r.err;
}

struct RawCase {
    const char* options;
    const char* configLine;  // the same settings as a saved line
};

class LintraRawStream : public ::testing::TestWithParam<RawCase> {};

TEST_P(LintraRawStream, EveryFrameEqualsTheReferenceFilter) {
    ScratchDir dir;
    const auto frames = test::patternedFrames(kW, kH, 5, 11u);
    writeBytes(dir.file("in.raw"), frames);
    FilterSettings settings{};
    std::string error;
    ASSERT_TRUE(parseConfigText(GetParam().configLine, settings, error)) << error;
    const auto r = runLintra(dir, std::string("--size 37x23 ") + GetParam().options +
                                      arg(dir.file("in.raw")) + arg(dir.file("out.raw")));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto out = readBytes(dir.file("out.raw"));
    ASSERT_EQ(out.size(), frames.size());
    EXPECT_EQ(out, test::referenceOutput(settings, frames, kW, kH));
    EXPECT_NE(out, frames);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LintraRawStream,
    ::testing::Values(RawCase{"", "Config(655363, 327700, 327700, 16777216)"},
                      RawCase{"--progressive", "Config(655363, 327700, 327700, 0)"},
                      RawCase{"--rgb --luma-threshold 9",
                              "Config(655363, 589844, 589844, 16777472)"},
                      RawCase{"--test-mode --rgb", "Config(655363, 327700, 327700, 16843008)"},
                      RawCase{"--test-mode", "Config(655363, 327700, 327700, 16842752)"},
                      RawCase{"--config 'Config(1, 4294967295, 65535, 4278190080)'",
                              "Config(1, -1, 65535, -16777216)"},
                      // Every instruction-set level gives the same frames.
                      RawCase{"--cpu=scalar", "Config(655363, 327700, 327700, 16777216)"},
                      RawCase{"--cpu=sse2 --rgb", "Config(655363, 327700, 327700, 16777472)"},
                      RawCase{"--cpu avx2 --progressive", "Config(655363, 327700, 327700, 0)"}));

// LINTRA_CPU caps the level like --cpu; a value that names no level is a usage error.
TEST(LintraBinary, CpuLevelFromTheEnvironment) {
    ScratchDir dir;
    const auto frames = test::patternedFrames(kW, kH, 2, 31u);
    writeBytes(dir.file("in.raw"), frames);
    const std::string run = arg(LINTRA_BINARY) + " --size 37x23" + arg(dir.file("in.raw")) +
                            arg(dir.file("out.raw")) + " 2>" + arg(dir.file("err.txt"));
    ASSERT_EQ(std::system(("LINTRA_CPU=sse2" + run).c_str()), 0);
    FilterSettings defaults{};
    setDefaults(defaults);
    EXPECT_EQ(readBytes(dir.file("out.raw")), test::referenceOutput(defaults, frames, kW, kH));
    const int status = std::system(("LINTRA_CPU=fast" + run).c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
    const auto err = readBytes(dir.file("err.txt"));
    EXPECT_NE(std::string(err.begin(), err.end()).find("LINTRA_CPU needs scalar"),
              std::string::npos);
}

TEST(LintraBinary, RawStreamRunsThroughPipes) {
    ScratchDir dir;
    const auto frames = test::patternedFrames(kW, kH, 3, 21u);
    writeBytes(dir.file("in.raw"), frames);
    const std::string command = "cat" + arg(dir.file("in.raw")) + " | " + arg(LINTRA_BINARY) +
                                " --size 37x23 - - | cat >" + arg(dir.file("out.raw"));
    ASSERT_EQ(std::system(command.c_str()), 0);
    FilterSettings defaults{};
    setDefaults(defaults);
    EXPECT_EQ(readBytes(dir.file("out.raw")), test::referenceOutput(defaults, frames, kW, kH));
}

TEST(LintraBinary, TruncatedStreamWritesOnlyWholeFrames) {
    ScratchDir dir;
    const std::size_t frameBytes = kW * kH * 4;
    auto frames = test::patternedFrames(kW, kH, 4, 31u);
    frames.resize(3 * frameBytes + 100);  // the fourth frame is cut short
    writeBytes(dir.file("cut.raw"), frames);
    const auto r = runLintra(dir, "--size 37x23" + arg(dir.file("cut.raw")) + " -");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cut.raw: stream ended inside frame 4 (3 whole frames processed)"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(lineCount(r.err), 1);
    FilterSettings defaults{};
    setDefaults(defaults);
    frames.resize(3 * frameBytes);
    const auto expected = test::referenceOutput(defaults, frames, kW, kH);
    EXPECT_EQ(std::vector<std::uint8_t>(r.out.begin(), r.out.end()), expected);
}

TEST(LintraBinary, EmptyRawStreamIsZeroFrames) {
    ScratchDir dir;
    const auto r = runLintra(dir, "--size 8x8 - -");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(LintraBinary, RawInputAndOutputMustDiffer) {
    ScratchDir dir;
    const auto frames = test::patternedFrames(kW, kH, 1, 41u);
    writeBytes(dir.file("same.raw"), frames);
    const auto r =
        runLintra(dir, "--size 37x23" + arg(dir.file("same.raw")) + arg(dir.file("same.raw")));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(readBytes(dir.file("same.raw")), frames);
}

TEST(LintraBinary, PngAlphaPassesThroughAndRgbMatchesTheReference) {
    ScratchDir dir;
    const auto frames = test::patternedFrames(kW, kH, 1, 51u);
    Picture in;
    resizePicture(in, kW, kH);
    in.bgrx = frames;
    in.alpha.resize(static_cast<std::size_t>(kW * kH));
    for (std::size_t i = 0; i < in.alpha.size(); ++i) in.alpha[i] = frames[i * 4 + 3];
    std::string error;
    for (bool withAlpha : {true, false}) {
        if (!withAlpha) in.alpha.clear();
        ASSERT_TRUE(writePng(dir.file("in.png"), in, error)) << error;
        const auto r = runLintra(dir, arg(dir.file("in.png")) + arg(dir.file("out.png")));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        Picture out;
        ASSERT_TRUE(readPng(dir.file("out.png"), out, error)) << error;
        EXPECT_EQ(out.alpha, in.alpha);
        FilterSettings defaults{};
        setDefaults(defaults);
        Picture bytes0 = in;
        for (std::size_t i = 3; i < bytes0.bgrx.size(); i += 4) bytes0.bgrx[i] = 0;
        EXPECT_EQ(out.bgrx, test::referenceOutput(defaults, bytes0.bgrx, kW, kH));
    }
}

TEST(LintraBinary, MakeRunStepsWork) {
    ScratchDir dir;
    const std::string sample = dir.file("sample.png");
    ASSERT_EQ(runLintra(dir, "--write-sample" + arg(sample)).exitCode, 0);
    ASSERT_EQ(runLintra(dir, arg(sample) + arg(dir.file("f.png"))).exitCode, 0);
    const auto before = runLintra(dir, "--measure" + arg(sample));
    const auto after = runLintra(dir, "--measure" + arg(dir.file("f.png")));
    ASSERT_EQ(before.exitCode, 0);
    EXPECT_GT(std::stod(before.out), 10.0 * std::stod(after.out));
}

}  // namespace
}  // namespace lintra
