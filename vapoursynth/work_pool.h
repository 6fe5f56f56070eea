#pragma once
// Work memory for frames filtered at the same time on VapourSynth's threads: each frame takes
// an entry of its own and gives it back, so entries are made only while more frames than ever
// before are in flight, never per frame.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/cpu_level.h"
#include "engine/filter_instance.h"

namespace lintra::vs {

// One frame's work memory: an engine instance whose run is started for the clip's size, the
// frame in the engine's 32-bit form before and after filtering, and the planar code's scratch.
struct WorkEntry {
    FilterInstance filter;
    std::vector<std::uint8_t> packedSource;
    std::vector<std::uint8_t> packedResult;
    std::vector<std::int32_t> planarScratch;

    WorkEntry() = default;
    WorkEntry(const WorkEntry&) = delete;
    WorkEntry& operator=(const WorkEntry&) = delete;
    ~WorkEntry();
};

struct WorkPool {
    FilterSettings settings;
    CpuLevel level;  // taken once, when the filter is created
    std::int32_t width;
    std::int32_t height;
    std::mutex mutex;
    std::vector<std::unique_ptr<WorkEntry>> entries;
    std::vector<WorkEntry*> idle;  // capacity kept at entries.size(): giving back never allocates
};

// Sets the pool up for frames of width x height and makes its first entry, so that a size
// the engine cannot take, or memory that is short, shows when the filter is created. False
// when the entry cannot be made. Never throws.
bool startPool(WorkPool& pool, const FilterSettings& settings, CpuLevel level, std::int32_t width,
               std::int32_t height) noexcept;

// An entry for one frame: an idle one, or a new one when all are in use. Null when memory
// is short. Never throws.
WorkEntry* takeEntry(WorkPool& pool) noexcept;

// Gives an entry from takeEntry back.
void giveBack(WorkPool& pool, WorkEntry* entry) noexcept;

// How many entries exist: the most frames that were ever in flight at once.
std::size_t entryCount(WorkPool& pool) noexcept;

}  // namespace lintra::vs
