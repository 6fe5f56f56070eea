#include "vapoursynth/work_pool.h"

#include <new>

#include "engine/frame_driver.h"
#include "frontend/planar_picture.h"

namespace lintra::vs {
namespace {

constexpr std::size_t kBytesPerPixel = 4;

std::unique_ptr<WorkEntry> makeEntry(const WorkPool& pool) {
    auto entry = std::make_unique<WorkEntry>();
    entry->filter = FilterInstance{pool.settings, nullptr, nullptr, nullptr};
    const FrameView size{nullptr, pool.width, pool.height, 0};
    if (startRun(entry->filter, size, pool.level) != 0) return nullptr;
    const std::size_t bytes = static_cast<std::size_t>(pool.width) *
                              static_cast<std::size_t>(pool.height) * kBytesPerPixel;
    entry->packedSource.resize(bytes);
    entry->packedResult.resize(bytes);
    entry->planarScratch.resize(planar::planarScratchCount(pool.width));
    return entry;
}

// Keeps the new entry and room for every entry in the idle list.
WorkEntry* adopt(WorkPool& pool, std::unique_ptr<WorkEntry> entry) {
    std::lock_guard<std::mutex> lock(pool.mutex);
    pool.idle.reserve(pool.entries.size() + 1);
    pool.entries.push_back(std::move(entry));
    return pool.entries.back().get();
}

}  // namespace

WorkEntry::~WorkEntry() {
    endRun(filter);
}

bool startPool(WorkPool& pool, const FilterSettings& settings, CpuLevel level, std::int32_t width,
               std::int32_t height) noexcept {
    pool.settings = settings;
    pool.level = level;
    pool.width = width;
    pool.height = height;
    WorkEntry* first = takeEntry(pool);
    if (first == nullptr) return false;
    giveBack(pool, first);
    return true;
}

WorkEntry* takeEntry(WorkPool& pool) noexcept {
    {
        std::lock_guard<std::mutex> lock(pool.mutex);
        if (!pool.idle.empty()) {
            WorkEntry* entry = pool.idle.back();
            pool.idle.pop_back();
            return entry;
        }
    }
    // A new entry is made outside the lock: its planes take a while to allocate.
    try {
        std::unique_ptr<WorkEntry> entry = makeEntry(pool);
        return entry != nullptr ? adopt(pool, std::move(entry)) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

void giveBack(WorkPool& pool, WorkEntry* entry) noexcept {
    if (entry == nullptr) return;
    std::lock_guard<std::mutex> lock(pool.mutex);
    pool.idle.push_back(entry);
}

std::size_t entryCount(WorkPool& pool) noexcept {
    std::lock_guard<std::mutex> lock(pool.mutex);
    return pool.entries.size();
}

}  // namespace lintra::vs
