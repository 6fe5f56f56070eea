// The work pool: entries made for the clip's size and settings, reused once given back,
// made anew only while more frames than before are in flight, and never shared by two
// frames at once.

#include "vapoursynth/work_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "engine/frame_driver.h"

namespace lintra::vs {
namespace {

FilterSettings someSettings() {
    FilterSettings s{};
    setDefaults(s);
    s.rgbProcessing = 1;
    s.yVerticalThreshold = 9;
    return s;
}

TEST(WorkPool, StartMakesOneEntryForTheClip) {
    WorkPool pool;
    ASSERT_TRUE(startPool(pool, someSettings(), CpuLevel::sse2, 37, 5));
    EXPECT_EQ(entryCount(pool), 1u);
    WorkEntry* entry = takeEntry(pool);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->filter.settings.yVerticalThreshold, 9);
    EXPECT_EQ(entry->filter.settings.rgbProcessing, 1);
    EXPECT_NE(entry->filter.planeA, nullptr);
    EXPECT_EQ(entry->packedSource.size(), 37u * 5 * 4);
    EXPECT_EQ(entry->packedResult.size(), 37u * 5 * 4);
    EXPECT_LE(int(runLevel(entry->filter)), int(CpuLevel::sse2));
    giveBack(pool, entry);
}

TEST(WorkPool, AGivenBackEntryIsTakenAgain) {
    WorkPool pool;
    ASSERT_TRUE(startPool(pool, someSettings(), CpuLevel::scalar, 8, 8));
    WorkEntry* first = takeEntry(pool);
    giveBack(pool, first);
    for (int i = 0; i < 100; ++i) {
        WorkEntry* again = takeEntry(pool);
        EXPECT_EQ(again, first);
        giveBack(pool, again);
    }
    EXPECT_EQ(entryCount(pool), 1u);
}

TEST(WorkPool, EntriesInUseAreNeverHandedOutTwice) {
    WorkPool pool;
    ASSERT_TRUE(startPool(pool, someSettings(), CpuLevel::scalar, 8, 8));
    std::vector<WorkEntry*> held;
    for (int i = 0; i < 5; ++i) held.push_back(takeEntry(pool));
    EXPECT_EQ(std::set<WorkEntry*>(held.begin(), held.end()).size(), 5u);
    EXPECT_EQ(entryCount(pool), 5u);
    for (WorkEntry* e : held) giveBack(pool, e);
    giveBack(pool, nullptr);  // harmless
    for (int i = 0; i < 5; ++i) EXPECT_NE(takeEntry(pool), nullptr);
    EXPECT_EQ(entryCount(pool), 5u);
}

// Threads that each hold an entry for a while: no entry is in two hands at once, and no more
// entries exist than threads.
TEST(WorkPool, ThreadsTakeEntriesOfTheirOwn) {
    WorkPool pool;
    ASSERT_TRUE(startPool(pool, someSettings(), CpuLevel::scalar, 16, 4));
    constexpr int kThreads = 4;
    std::atomic<int> clashes{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&pool, &clashes, t] {
            for (int i = 0; i < 500; ++i) {
                WorkEntry* e = takeEntry(pool);
                if (e == nullptr) {
                    ++clashes;
                    continue;
                }
                // Mark the entry as ours, then check nobody else marked it meanwhile.
                e->packedSource[0] = std::uint8_t(t);
                std::this_thread::yield();
                if (e->packedSource[0] != std::uint8_t(t)) ++clashes;
                giveBack(pool, e);
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(clashes.load(), 0);
    EXPECT_LE(entryCount(pool), std::size_t(kThreads));
}

TEST(WorkPool, ASizeTheEngineCannotTakeFailsAtStart) {
    WorkPool pool;
    EXPECT_FALSE(startPool(pool, someSettings(), CpuLevel::scalar, 0, 10));
    WorkPool negative;
    EXPECT_FALSE(startPool(negative, someSettings(), CpuLevel::scalar, 16, -2));
}

}  // namespace
}  // namespace lintra::vs
