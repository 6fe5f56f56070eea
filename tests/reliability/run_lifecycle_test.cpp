// The planes' lifetime under a counting allocator: many runs at every CPU level, starts
// without ends, a plane or the vector kernels' scratch failing part-way through startRun,
// sizes that cannot be allocated, and frames runFrame must refuse. Live blocks are counted
// here; the sanitizer build adds LeakSanitizer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "engine/cpu_level.h"
#include "engine/filter_instance.h"
#include "engine/frame_driver.h"
#include "tests/reliability/counting_allocator.h"
#include "tests/reliability/guarded_frame.h"

namespace lintra {
namespace {

using testing::alignedNothrowCalls;
using testing::failAlignedNothrowCall;
using testing::GuardedFrame;
using testing::guardedFrame;
using testing::liveAlignedBlocks;

FilterInstance defaultInstance() {
    FilterInstance instance{};
    setDefaults(instance.settings);
    return instance;
}

// The three planes, and the scratch of a run at a vector level.
std::ptrdiff_t blocksOfRun(const FilterInstance& instance) {
    return runLevel(instance) == CpuLevel::scalar ? 3 : 4;
}

CpuLevel levelCap(std::int32_t i) {
    return static_cast<CpuLevel>(i % (static_cast<std::int32_t>(CpuLevel::avx512) + 1));
}

class RunLifecycle : public ::testing::Test {
  protected:
    void TearDown() override {
        failAlignedNothrowCall(0);
        EXPECT_EQ(liveAlignedBlocks(), baseline);
    }
    std::ptrdiff_t baseline = liveAlignedBlocks();
};

TEST_F(RunLifecycle, ManyRunsReleaseEveryPlane) {
    for (std::int32_t i = 0; i < 400; ++i) {
        FilterInstance instance = defaultInstance();
        instance.settings.rgbProcessing = i % 2;
        GuardedFrame src = guardedFrame(1 + i % 23, 1 + i % 17, 4 * (i % 3));
        GuardedFrame dst = guardedFrame(src.width, src.height, 0);
        ASSERT_EQ(startRun(instance, src.view(), levelCap(i)), 0);
        ASSERT_EQ(liveAlignedBlocks(), baseline + blocksOfRun(instance));
        for (int frame = 0; frame < 3; ++frame)
            EXPECT_EQ(runFrame(instance, src.view(), dst.view()), 0);
        endRun(instance);
        ASSERT_EQ(liveAlignedBlocks(), baseline);
    }
}

// Each startRun releases the planes of the last one and sizes new planes for its own frame.
TEST_F(RunLifecycle, StartWithoutEndKeepsOneSetOfPlanes) {
    FilterInstance instance = defaultInstance();
    for (std::int32_t i = 0; i < 200; ++i) {
        const std::int32_t w = 3 + i % 29;
        const std::int32_t h = 5 + i % 7;
        GuardedFrame src = guardedFrame(w, h, 0);
        GuardedFrame dst = guardedFrame(w, h, 0);
        ASSERT_EQ(startRun(instance, src.view(), levelCap(i)), 0);
        ASSERT_EQ(liveAlignedBlocks(), baseline + blocksOfRun(instance));
        EXPECT_EQ(runFrame(instance, src.view(), dst.view()), 0);
        GuardedFrame larger = guardedFrame(w + 1, h, 0);
        GuardedFrame untouched = larger;
        EXPECT_EQ(runFrame(instance, larger.view(), larger.view()), 1);
        EXPECT_EQ(larger.bytes, untouched.bytes);
    }
    endRun(instance);
}

class FailingPlane : public RunLifecycle, public ::testing::WithParamInterface<int> {};

// Plane 1 is A, 2 is B, 3 is C: the planes obtained before the failure stay referenced, no
// frame is accepted, and endRun releases them.
TEST_P(FailingPlane, StartReportsFailureAndEndReleasesWhatWasObtained) {
    const int failing = GetParam();
    FilterInstance instance = defaultInstance();
    GuardedFrame src = guardedFrame(16, 8, 0);
    failAlignedNothrowCall(static_cast<std::size_t>(failing));
    EXPECT_EQ(startRun(instance, src.view()), 1);
    failAlignedNothrowCall(0);

    EXPECT_EQ(instance.planeA != nullptr, failing > 1);
    EXPECT_EQ(instance.planeB != nullptr, failing > 2);
    EXPECT_EQ(instance.planeC, nullptr);
    EXPECT_EQ(liveAlignedBlocks(), baseline + failing - 1);

    GuardedFrame dst = guardedFrame(16, 8, 0);
    const GuardedFrame untouched = dst;
    EXPECT_EQ(runFrame(instance, src.view(), dst.view()), 1);
    EXPECT_EQ(dst.bytes, untouched.bytes);

    EXPECT_EQ(endRun(instance), 0);
    EXPECT_EQ(liveAlignedBlocks(), baseline);
    EXPECT_EQ(endRun(instance), 0);
}

INSTANTIATE_TEST_SUITE_P(Planes, FailingPlane, ::testing::Values(1, 2, 3));

// Without the vector kernels' scratch the run is still good, on the portable pipelines.
TEST_F(RunLifecycle, FailingScratchFallsBackToThePortablePipelines) {
    if (detectCpuLevel() == CpuLevel::scalar) GTEST_SKIP() << "no vector level here";
    FilterInstance instance = defaultInstance();
    GuardedFrame src = guardedFrame(16, 8, 0);
    failAlignedNothrowCall(4);
    EXPECT_EQ(startRun(instance, src.view()), 0);
    failAlignedNothrowCall(0);
    EXPECT_EQ(runLevel(instance), CpuLevel::scalar);
    EXPECT_EQ(liveAlignedBlocks(), baseline + 3);
    GuardedFrame dst = guardedFrame(16, 8, 0);
    EXPECT_EQ(runFrame(instance, src.view(), dst.view()), 0);
    endRun(instance);
}

// A failed start after a good one has released the earlier planes first.
TEST_F(RunLifecycle, FailedRestartHoldsOnlyItsOwnPlanes) {
    FilterInstance instance = defaultInstance();
    GuardedFrame src = guardedFrame(16, 8, 0);
    ASSERT_EQ(startRun(instance, src.view()), 0);
    failAlignedNothrowCall(2);
    EXPECT_EQ(startRun(instance, src.view()), 1);
    failAlignedNothrowCall(0);
    EXPECT_NE(instance.planeA, nullptr);
    EXPECT_EQ(liveAlignedBlocks(), baseline + 1);
    endRun(instance);
}

// Sizes that are refused before anything is allocated; earlier planes are released.
TEST_F(RunLifecycle, UnusableSizesAllocateNothing) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const FrameView unusable[] = {
        {nullptr, 0, 8, 0},       {nullptr, 8, 0, 0},
        {nullptr, -1, 8, 0},      {nullptr, 8, -5, 0},
        {nullptr, kMax, kMax, 0}, {nullptr, std::numeric_limits<std::int32_t>::min(), -1, 0}};
    for (const FrameView& frame : unusable) {
        FilterInstance instance = defaultInstance();
        GuardedFrame src = guardedFrame(4, 4, 0);
        ASSERT_EQ(startRun(instance, src.view()), 0);
        const std::size_t calls = alignedNothrowCalls();
        EXPECT_EQ(startRun(instance, frame), 1) << frame.width << "x" << frame.height;
        EXPECT_EQ(alignedNothrowCalls(), calls);
        EXPECT_EQ(instance.planeA, nullptr);
        EXPECT_EQ(liveAlignedBlocks(), baseline);
        endRun(instance);
    }
}

struct Refusal {
    const char* what;
    bool started;
    std::int32_t planeWidth, planeHeight;
    std::int32_t width, height, destinationWidth, destinationHeight;
};

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.what;
}

class RefusedFrame : public RunLifecycle, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedFrame, ReturnsOneAndWritesNothing) {
    const Refusal& r = GetParam();
    SCOPED_TRACE(r.what);
    FilterInstance instance = defaultInstance();
    if (r.started) {
        GuardedFrame sizing = guardedFrame(r.planeWidth, r.planeHeight, 0);
        ASSERT_EQ(startRun(instance, sizing.view()), 0);
    }
    GuardedFrame src = guardedFrame(std::max(r.width, 1), std::max(r.height, 1), 0);
    GuardedFrame dst =
        guardedFrame(std::max(r.destinationWidth, 1), std::max(r.destinationHeight, 1), 0);
    const GuardedFrame untouched = dst;
    const FrameView source{src.view().pixels, r.width, r.height, 0};
    const FrameView destination{dst.view().pixels, r.destinationWidth, r.destinationHeight, 0};
    EXPECT_EQ(runFrame(instance, source, destination), 1);
    EXPECT_EQ(dst.bytes, untouched.bytes);
    endRun(instance);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, RefusedFrame,
    ::testing::Values(Refusal{"NoPlanes", false, 0, 0, 8, 8, 8, 8},
                      Refusal{"MorePixelsThanThePlanes", true, 8, 8, 9, 8, 9, 8},
                      Refusal{"ZeroWidth", true, 8, 8, 0, 8, 8, 8},
                      Refusal{"NegativeHeight", true, 8, 8, 8, -3, 8, 8},
                      Refusal{"NarrowerDestination", true, 8, 8, 8, 8, 7, 8},
                      Refusal{"ShorterDestination", true, 8, 8, 8, 8, 8, 2},
                      Refusal{"DestinationWithoutSize", true, 8, 8, 8, 8, 0, 0}),
    [](const ::testing::TestParamInfo<Refusal>& p) { return std::string(p.param.what); });

}  // namespace
}  // namespace lintra
