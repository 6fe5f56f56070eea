#include "cli/video_frames.h"

#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/filter_instance.h"
#include "engine/frame_driver.h"

namespace lintra::video {
namespace {

enum class SlotState { kFree, kRead, kFiltered };

struct Slot {
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
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

// Bytes read (less than size only at the end of the input), or -1 on a read error.
std::int64_t readFull(int fd, std::uint8_t* data, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = read(fd, data + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(got);
}

bool writeFull(int fd, const std::uint8_t* data, std::size_t size) {
    std::size_t put = 0;
    while (put < size) {
        const ssize_t n = write(fd, data + put, size - put);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        put += static_cast<std::size_t>(n);
    }
    return true;
}

void filterWorker(Shared& s, const FilterSettings& settings, std::int32_t w, std::int32_t h,
                  CpuLevel cap) {
    FilterInstance instance{};
    instance.settings = settings;
    FrameView view{nullptr, w, h, 0};
    if (startRun(instance, view, cap) != 0) {
        endRun(instance);
        s.fail("not enough memory for the filter's work planes");
        return;
    }
    std::unique_lock lock(s.mutex);
    for (;;) {
        s.changed.wait(lock,
                       [&] { return s.failed || s.nextToFilter < s.framesRead || s.inputDone; });
        if (s.failed || s.nextToFilter >= s.framesRead) break;
        Slot& slot = s.slotOf(s.nextToFilter++);
        lock.unlock();
        const FrameView source{slot.in.data(), w, h, 0};
        const FrameView destination{slot.out.data(), w, h, 0};
        const int rc = runFrame(instance, source, destination);
        lock.lock();
        if (rc != 0) {
            s.failed = true;
            s.error = "the filter refused a frame";
        }
        slot.state = SlotState::kFiltered;
        s.changed.notify_all();
    }
    lock.unlock();
    endRun(instance);
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
        if (!writeFull(fd, slot.out.data(), slot.out.size())) {
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

void reader(Shared& s, int fd) {
    for (std::int64_t frame = 0;; ++frame) {
        Slot& slot = s.slotOf(frame);
        {
            std::unique_lock lock(s.mutex);
            s.changed.wait(lock, [&] { return s.failed || slot.state == SlotState::kFree; });
            if (s.failed) return;
        }
        const std::int64_t got = readFull(fd, slot.in.data(), slot.in.size());
        std::lock_guard lock(s.mutex);
        if (got < 0 || (got > 0 && static_cast<std::size_t>(got) < slot.in.size())) {
            if (!s.failed) {
                s.error = got < 0
                              ? std::string("cannot read decoded frames: ") + std::strerror(errno)
                              : "the decoded frames ended inside a frame";
                s.inputFailed = true;
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
                                CpuLevel cap) {
    StreamOutcome outcome;
    if (stream.width <= 0 || stream.height <= 0 || threads < 1) {
        outcome.error = "no frames to filter";
        return outcome;
    }
    const std::size_t frameBytes =
        static_cast<std::size_t>(stream.width) * static_cast<std::size_t>(stream.height) * 4;
    Shared s;
    std::vector<std::thread> pool;
    try {
        // Two frames per filter keep every instance busy while the writer works.
        s.slots.resize(static_cast<std::size_t>(threads) * 2);
        for (Slot& slot : s.slots) {
            slot.in.resize(frameBytes);
            slot.out.resize(frameBytes);
        }
        for (int i = 0; i < threads; ++i) {
            pool.emplace_back(filterWorker, std::ref(s), std::cref(settings), stream.width,
                              stream.height, cap);
        }
        pool.emplace_back(writer, std::ref(s), stream.outFd, std::cref(framesWritten));
    } catch (...) {
        s.fail("not enough memory or threads for " + std::to_string(threads) + " filters");
    }
    if (!s.failed) reader(s, stream.inFd);
    {
        std::lock_guard lock(s.mutex);
        if (!s.failed) s.inputDone = true;
        s.changed.notify_all();
    }
    for (std::thread& t : pool) t.join();
    outcome.ok = !s.failed;
    outcome.frames = s.framesWritten;
    outcome.inputFailed = s.inputFailed;
    outcome.error = s.error;
    return outcome;
}

}  // namespace lintra::video
