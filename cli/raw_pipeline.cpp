#include "cli/raw_pipeline.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/raw_stream.h"

namespace lintra {
namespace {

// One frame being read, one filtered, one written.
constexpr std::size_t kSlots = 3;

enum class SlotState { free, read, filtered };

struct Slot {
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
    SlotState state = SlotState::free;
};

// Frame i lives in slot i % kSlots; a slot is read into again only after its frame is written.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    Slot slots[kSlots];
    std::int64_t framesRead = 0;
    bool inputEnded = false;
    bool writeFailed = false;
    PipeOutcome outcome;
    int cancel[2] = {-1, -1};  // written when writing fails, to wake a waiting read

    Slot& slotOf(std::int64_t frame) { return slots[static_cast<std::size_t>(frame) % kSlots]; }
};

void reader(Shared& s, int fd, std::size_t frameBytes) {
    for (std::int64_t frame = 0;; ++frame) {
        Slot& slot = s.slotOf(frame);
        {
            std::unique_lock lock(s.mutex);
            s.changed.wait(lock, [&] { return s.writeFailed || slot.state == SlotState::free; });
            if (s.writeFailed) return;
        }
        const std::int64_t got = readFully(fd, slot.in.data(), frameBytes, s.cancel[0]);
        const int readErrno = errno;
        std::lock_guard lock(s.mutex);
        if (got == static_cast<std::int64_t>(frameBytes)) {
            slot.state = SlotState::read;
            s.framesRead = frame + 1;
            s.changed.notify_all();
            continue;
        }
        if (got < 0) {
            s.outcome.end = PipeEnd::readError;
            s.outcome.errorNumber = readErrno;
        } else if (got > 0 && !s.writeFailed) {
            s.outcome.end = PipeEnd::partialFrame;
        }
        s.inputEnded = true;
        s.changed.notify_all();
        return;
    }
}

void writer(Shared& s, int fd, std::size_t frameBytes) {
    for (std::int64_t frame = 0;; ++frame) {
        Slot& slot = s.slotOf(frame);
        {
            std::unique_lock lock(s.mutex);
            s.changed.wait(lock, [&] {
                return slot.state == SlotState::filtered || (s.inputEnded && frame >= s.framesRead);
            });
            if (slot.state != SlotState::filtered) return;
        }
        const bool written = writeFully(fd, slot.out.data(), frameBytes);
        const int writeErrno = errno;
        std::lock_guard lock(s.mutex);
        if (!written) {
            s.writeFailed = true;
            s.outcome.end = PipeEnd::writeError;
            s.outcome.errorNumber = writeErrno;
            const char wake = 1;
            [[maybe_unused]] const ssize_t ignored = write(s.cancel[1], &wake, 1);
            s.changed.notify_all();
            return;
        }
        slot.state = SlotState::free;
        s.outcome.frames = frame + 1;
        s.changed.notify_all();
    }
}

// The calling thread filters; it stops when the input has no more frames or writing failed.
void filterLoop(Shared& s, const FrameFilter& filter) {
    for (std::int64_t frame = 0;; ++frame) {
        Slot& slot = s.slotOf(frame);
        {
            std::unique_lock lock(s.mutex);
            s.changed.wait(lock, [&] {
                return s.writeFailed || slot.state == SlotState::read ||
                       (s.inputEnded && frame >= s.framesRead);
            });
            if (s.writeFailed || slot.state != SlotState::read) return;
        }
        filter(slot.in.data(), slot.out.data());
        std::lock_guard lock(s.mutex);
        slot.state = SlotState::filtered;
        s.changed.notify_all();
    }
}

}  // namespace

PipeOutcome pipeFrames(int inFd, int outFd, std::size_t frameBytes, const FrameFilter& filter) {
    Shared s;
    for (Slot& slot : s.slots) {
        slot.in.resize(frameBytes);
        slot.out.resize(frameBytes);
    }
    if (pipe2(s.cancel, O_CLOEXEC) != 0) {
        s.outcome.end = PipeEnd::noThreads;
        s.outcome.errorNumber = errno;
        return s.outcome;
    }
    std::thread readThread, writeThread;
    try {
        readThread = std::thread(reader, std::ref(s), inFd, frameBytes);
        writeThread = std::thread(writer, std::ref(s), outFd, frameBytes);
    } catch (const std::system_error& e) {
        {
            std::lock_guard lock(s.mutex);
            s.writeFailed = true;  // stops a reader that did start
            s.changed.notify_all();
        }
        const char wake = 1;
        [[maybe_unused]] const ssize_t ignored = write(s.cancel[1], &wake, 1);
        if (readThread.joinable()) readThread.join();
        s.outcome = PipeOutcome{PipeEnd::noThreads, 0, e.code().value()};
    }
    if (writeThread.joinable()) {
        filterLoop(s, filter);
        writeThread.join();
        readThread.join();
    }
    close(s.cancel[0]);
    close(s.cancel[1]);
    return s.outcome;
}

}  // namespace lintra
