#include "vapoursynth/rgb24_frame.h"

#include "engine/frame_driver.h"

namespace lintra::vs {
namespace {

constexpr int kRed = 0;
constexpr int kGreen = 1;
constexpr int kBlue = 2;

}  // namespace

void packRgb24(const PlanarRgb& source, std::uint8_t* packed) {
    for (std::int32_t y = 0; y < source.height; ++y) {
        const std::uint8_t* r = source.planes[kRed] + y * source.strides[kRed];
        const std::uint8_t* g = source.planes[kGreen] + y * source.strides[kGreen];
        const std::uint8_t* b = source.planes[kBlue] + y * source.strides[kBlue];
        for (std::int32_t x = 0; x < source.width; ++x, packed += 4) {
            packed[0] = b[x];
            packed[1] = g[x];
            packed[2] = r[x];
            packed[3] = 0;
        }
    }
}

void unpackRgb24(const std::uint8_t* packed, const PlanarRgb& destination) {
    for (std::int32_t y = 0; y < destination.height; ++y) {
        std::uint8_t* r = destination.planes[kRed] + y * destination.strides[kRed];
        std::uint8_t* g = destination.planes[kGreen] + y * destination.strides[kGreen];
        std::uint8_t* b = destination.planes[kBlue] + y * destination.strides[kBlue];
        for (std::int32_t x = 0; x < destination.width; ++x, packed += 4) {
            b[x] = packed[0];
            g[x] = packed[1];
            r[x] = packed[2];
        }
    }
}

int filterRgb24(WorkEntry& entry, const PlanarRgb& source, const PlanarRgb& destination) {
    const auto bytes =
        static_cast<std::uint64_t>(source.width) * static_cast<std::uint64_t>(source.height) * 4;
    if (source.width <= 0 || source.height <= 0 || source.width != destination.width ||
        source.height != destination.height || bytes > entry.packedSource.size() ||
        bytes > entry.packedResult.size()) {
        return 1;
    }
    packRgb24(source, entry.packedSource.data());
    const FrameView from{entry.packedSource.data(), source.width, source.height, 0};
    const FrameView to{entry.packedResult.data(), source.width, source.height, 0};
    if (runFrame(entry.filter, from, to) != 0) return 1;
    unpackRgb24(entry.packedResult.data(), destination);
    return 0;
}

}  // namespace lintra::vs
