// The PNG reader of the lintra command on any bytes. A refused file gets a one-line message
// naming it; an accepted one is a whole picture the engine can filter, and writing it and
// reading it back gives the same pixels and alpha.

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "cli/picture.h"
#include "cli/png_io.h"
#include "engine/filter_instance.h"
#include "engine/frame_driver.h"
#include "fuzz/memory_file.h"
#include "fuzz/settings_checks.h"

namespace {

using lintra::fuzzing::check;

// Pictures that declare more pixels than this are legitimate but need memory in proportion;
// the reader's own limit (2^28 pixels) is checked by the command's tests, not here.
constexpr std::uint64_t kMaxFuzzedPixels = std::uint64_t{1} << 22;

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// The size in the header chunk, which must come first in a PNG file. A huge picture in a
// file too short to hold even one bit per pixel at deflate's best (1032:1) stays in: the
// reader must refuse it before allocating anything.
bool declaresHugePicture(const std::uint8_t* data, std::size_t size) {
    if (size < 24 || std::memcmp(data + 12, "IHDR", 4) != 0) return false;
    const std::uint64_t pixels = std::uint64_t{bigEndian32(data + 16)} * bigEndian32(data + 20);
    return pixels > kMaxFuzzedPixels && pixels / 8 <= std::uint64_t{size} * 1032;
}

void filterOnce(lintra::Picture& picture) {
    lintra::FilterInstance instance{};
    lintra::setDefaults(instance.settings);
    std::vector<std::uint8_t> out(picture.bgrx.size());
    const lintra::FrameView source = lintra::frameOf(picture);
    const lintra::FrameView destination{out.data(), picture.width, picture.height, 0};
    check(lintra::startRun(instance, source) == 0, "startRun refused a picture");
    check(lintra::runFrame(instance, source, destination) == 0, "runFrame refused a picture");
    lintra::endRun(instance);
}

void writeAndReadBack(const lintra::Picture& picture) {
    static const std::string path = "/tmp/lintra-fuzz-png-" + std::to_string(getpid()) + ".png";
    std::string error;
    check(lintra::writePng(path, picture, error), "writing a read picture failed");
    lintra::Picture back;
    check(lintra::readPng(path, back, error), "reading a written picture failed");
    unlink(path.c_str());
    check(back.width == picture.width && back.height == picture.height, "size changed");
    check(back.alpha == picture.alpha, "alpha changed");
    for (std::size_t i = 0; i < picture.bgrx.size(); i += 4) {
        check(std::memcmp(&back.bgrx[i], &picture.bgrx[i], 3) == 0, "pixels changed");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static lintra::fuzzing::MemoryFile file("png");
    if (declaresHugePicture(data, size)) return 0;
    file.assign(data, size);

    lintra::Picture picture;
    std::string error;
    if (!lintra::readPng(file.path(), picture, error)) {
        lintra::fuzzing::checkMessage(error);
        check(error.find(lintra::displayName(file.path(), false)) != std::string::npos,
              "message does not name the file");
        return 0;
    }
    check(picture.width > 0 && picture.height > 0, "empty picture accepted");
    const std::size_t pixels = std::size_t(picture.width) * std::size_t(picture.height);
    check(picture.bgrx.size() == pixels * 4, "frame size does not match the picture");
    check(picture.alpha.empty() || picture.alpha.size() == pixels, "alpha size");
    filterOnce(picture);
    writeAndReadBack(picture);
    return 0;
}
