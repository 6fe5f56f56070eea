#include "cli/video_frames.h"

#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/raw_stream.h"
#include "cli/video_frame_filter.h"

namespace lintra::video {
namespace {

enum class SlotState { kFree, kRead, kFiltered };

// A frame is filtered where it was read and written from there.
struct Slot {
    std::vector<std::uint8_t> frame;
    SlotState state = SlotState::kFree;
};

// Frame i lives in slot i % slots.size(); a slot is reused only after its frame is written,
// which bounds memory and keeps the order.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Slot> slots;
    std::int64_t framesRead = 0;
    std::int64_t nextToFilter = 0;
    std::int64_t framesWritten = 0;
    bool inputDone = false;
    bool failed = false;
    bool inputFailed = false;
    bool refused = false;
    std::string error;

    Slot& slotOf(std::int64_t frame) {
        return slots[static_cast<std::size_t>(frame % static_cast<std::int64_t>(slots.size()))];
    }
    void fail(const std::string& message) {
        std::lock_guard lock(mutex);
        if (!failed) error = message;
        failed = true;
        changed.notify_all();
    }
};

void filterWorker(Shared& s, const FrameLayout& layout, const FilterSettings& settings,
                  CpuLevel cap) {
    FrameFilter filter;
    std::string error;
    if (!filter.start(layout, settings, cap, error)) {
        s.fail(error);
        return;
    }
    std::unique_lock lock(s.mutex);
    for (;;) {
        s.changed.wait(lock,
                       [&] { return s.failed || s.nextToFilter < s.framesRead || s.inputDone; });
        if (s.failed || s.nextToFilter >= s.framesRead) break;
        Slot& slot = s.slotOf(s.nextToFilter++);
        lock.unlock();
        const bool filtered = filter.filter(slot.frame.data());
        lock.lock();
        if (!filtered) {
            s.failed = true;
            s.error = "the filter refused a frame";
        }
        slot.state = SlotState::kFiltered;
        s.changed.notify_all();
    }
}

void writer(Shared& s, int fd, const std::function<void(std::int64_t)>& framesWritten) {
    for (std::int64_t frame = 0;; ++frame) {
        std::unique_lock lock(s.mutex);
        Slot& slot = s.slotOf(frame);
        s.changed.wait(lock, [&] {
            return s.failed || (frame < s.framesRead && slot.state == SlotState::kFiltered) ||
                   (s.inputDone && frame >= s.framesRead);
        });
        if (s.failed || frame >= s.framesRead) return;
        lock.unlock();
        if (!writeFully(fd, slot.frame.data(), slot.frame.size())) {
            s.fail(std::string("the encoder stopped taking frames (") + std::strerror(errno) + ")");
            return;
        }
        lock.lock();
        slot.state = SlotState::kFree;
        s.framesWritten = frame + 1;
        s.changed.notify_all();
        lock.unlock();
        if (framesWritten) framesWritten(frame + 1);
    }
}

void reader(Shared& s, int fd, const FrameCheck& check) {
    for (std::int64_t frame = 0;; ++frame) {
        Slot& slot = s.slotOf(frame);
        {
            std::unique_lock lock(s.mutex);
            s.changed.wait(lock, [&] { return s.failed || slot.state == SlotState::kFree; });
            if (s.failed) return;
        }
        const std::int64_t got = readFully(fd, slot.frame.data(), slot.frame.size());
        const bool whole = got == static_cast<std::int64_t>(slot.frame.size());
        const std::string refused = whole && check ? check(frame) : std::string();
        std::lock_guard lock(s.mutex);
        if (got < 0 || (got > 0 && !whole) || !refused.empty()) {
            if (!s.failed) {
                s.error = got < 0
                              ? std::string("cannot read decoded frames: ") + std::strerror(errno)
                          : !whole ? "the decoded frames ended inside a frame"
                                   : refused;
                s.inputFailed = true;
                s.refused = whole;
            }
            s.failed = true;
        } else if (got == 0) {
            s.inputDone = true;
        } else {
            slot.state = SlotState::kRead;
            s.framesRead = frame + 1;
        }
        s.changed.notify_all();
        if (s.failed || s.inputDone) return;
    }
}

}  // namespace

StreamOutcome filterFrameStream(const FrameStream& stream, const FilterSettings& settings,
                                int threads, const std::function<void(std::int64_t)>& framesWritten,
                                CpuLevel cap, const FrameCheck& check) {
    StreamOutcome outcome;
    const FrameLayout& layout = stream.layout;
    if (layout.width <= 0 || layout.height <= 0 || threads < 1) {
        outcome.error = "no frames to filter";
        return outcome;
    }
    Shared s;
    std::vector<std::thread> pool;
    try {
        // Two frames per filter keep every instance busy while the reader and writer work.
        s.slots.resize(static_cast<std::size_t>(threads) * 2);
        for (Slot& slot : s.slots) slot.frame.resize(layout.frameBytes());
        for (int i = 0; i < threads; ++i) {
            pool.emplace_back(filterWorker, std::ref(s), std::cref(layout), std::cref(settings),
                              cap);
        }
        pool.emplace_back(writer, std::ref(s), stream.outFd, std::cref(framesWritten));
    } catch (...) {
        s.fail("not enough memory or threads for " + std::to_string(threads) + " filters");
    }
    if (!s.failed) reader(s, stream.inFd, check);
    {
        std::lock_guard lock(s.mutex);
        if (!s.failed) s.inputDone = true;
        s.changed.notify_all();
    }
    for (std::thread& t : pool) t.join();
    outcome.ok = !s.failed;
    outcome.frames = s.framesWritten;
    outcome.framesRead = s.framesRead;
    outcome.inputFailed = s.inputFailed;
    outcome.refused = s.refused;
    outcome.error = s.error;
    return outcome;
}

}  // namespace lintra::video
