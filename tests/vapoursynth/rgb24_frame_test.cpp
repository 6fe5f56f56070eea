// RGB24 frames through a work entry: planes with their own strides packed and unpacked
// without touching the padding, and every mode equal to the reference filter on the packed
// pixels, at odd sizes and widths that are not a multiple of 16.

#include "vapoursynth/rgb24_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "persistence/config_line.h"
#include "tests/reference/reference_filter.h"

namespace lintra::vs {
namespace {

constexpr std::uint8_t kGuard = 0xA5;

// Three planes in one buffer, each row followed by `pad` guard bytes, with guard bytes
// around the whole.
struct PlaneBuffer {
    std::int32_t width, height, pad;
    std::vector<std::uint8_t> bytes;

    PlaneBuffer(std::int32_t w, std::int32_t h, std::int32_t rowPad)
        : width(w), height(h), pad(rowPad), bytes(size_t(3 * (w + rowPad) * h + 64), kGuard) {}

    std::ptrdiff_t stride() const { return width + pad; }
    std::uint8_t* plane(int i) { return bytes.data() + 32 + i * stride() * height; }
    PlanarRgb view() {
        return {{plane(0), plane(1), plane(2)}, {stride(), stride(), stride()}, width, height};
    }
    bool guardsIntact() {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto at = static_cast<std::ptrdiff_t>(i) - 32;
            const bool pixel = at >= 0 && at < 3 * stride() * height && at % stride() < width;
            if (!pixel && bytes[i] != kGuard) return false;
        }
        return true;
    }
};

// Colours with a small pattern that alternates every two lines, for the filter to remove.
void fillPattern(PlaneBuffer& frame, std::mt19937& rng) {
    for (int p = 0; p < 3; ++p) {
        for (std::int32_t y = 0; y < frame.height; ++y) {
            for (std::int32_t x = 0; x < frame.width; ++x) {
                const int base = (x * (3 + p) + y * 2) % 200 + 20;
                const int comb = ((y >> 1) & 1) ? 2 : -2;
                const int v = base + comb + int(rng() % 3);
                frame.plane(p)[y * frame.stride() + x] = std::uint8_t(v);
            }
        }
    }
}

std::vector<std::uint8_t> packed(PlaneBuffer& frame) {
    std::vector<std::uint8_t> out(std::size_t(frame.width * frame.height * 4), 0x77);
    packRgb24(frame.view(), out.data());
    return out;
}

TEST(Rgb24Frame, PackPutsBlueGreenRedAndZero) {
    PlaneBuffer frame(3, 2, 5);
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < 6; ++i)
            frame.plane(p)[(i / 3) * frame.stride() + i % 3] = std::uint8_t(p * 10 + i);
    }
    const std::vector<std::uint8_t> bytes = packed(frame);
    // Pixel (2, 1): red 5, green 15, blue 25.
    EXPECT_EQ(bytes[20], 25);
    EXPECT_EQ(bytes[21], 15);
    EXPECT_EQ(bytes[22], 5);
    EXPECT_EQ(bytes[23], 0);
    PlaneBuffer back(3, 2, 5);
    unpackRgb24(bytes.data(), back.view());
    for (int p = 0; p < 3; ++p) EXPECT_EQ(std::memcmp(back.plane(p), frame.plane(p), 2 * 8 - 5), 0);
    EXPECT_TRUE(back.guardsIntact());
}

struct FrameCase {
    std::int32_t width, height;
    std::uint32_t d;  // the settings line's flags word: interlaced, test mode, RGB
};

class Rgb24FrameFilter : public ::testing::TestWithParam<FrameCase> {};

TEST_P(Rgb24FrameFilter, EqualsTheReferenceOnThePackedPixels) {
    const FrameCase c = GetParam();
    FilterSettings settings{};
    parseConfig(settings, 655363, 327700, 327700, std::int32_t(c.d));
    WorkPool pool;
    ASSERT_TRUE(startPool(pool, settings, detectCpuLevel(), c.width, c.height));
    std::mt19937 rng(std::uint32_t(c.width * 1000 + c.height) + c.d);
    PlaneBuffer source(c.width, c.height, 13), result(c.width, c.height, 7);
    fillPattern(source, rng);
    const std::vector<std::uint8_t> in = packed(source);
    std::vector<std::uint8_t> want(in.size());
    reference::filterFrame(settings,
                           FrameView{const_cast<std::uint8_t*>(in.data()), c.width, c.height, 0},
                           FrameView{want.data(), c.width, c.height, 0});

    WorkEntry* entry = takeEntry(pool);
    ASSERT_NE(entry, nullptr);
    ASSERT_EQ(filterRgb24(*entry, source.view(), result.view()), 0);
    giveBack(pool, entry);
    const std::vector<std::uint8_t> got = packed(result);
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (i % 4 == 3) continue;  // byte 3 is not part of an RGB24 frame
        ASSERT_EQ(got[i], want[i]) << "pixel " << i / 4 << " byte " << i % 4;
    }
    EXPECT_TRUE(result.guardsIntact());
    if (c.width >= 8 && c.height >= 8) {
        EXPECT_NE(packed(result), in) << "nothing was filtered";
    }
}

constexpr std::uint32_t kInterlaced = 1u << 24, kTest = 1u << 16, kRgb = 1u << 8;

INSTANTIATE_TEST_SUITE_P(
    Frames, Rgb24FrameFilter,
    ::testing::Values(FrameCase{64, 48, kInterlaced}, FrameCase{37, 23, kInterlaced},
                      FrameCase{17, 9, 0}, FrameCase{33, 31, kInterlaced | kRgb},
                      FrameCase{50, 12, kRgb}, FrameCase{29, 15, kInterlaced | kTest},
                      FrameCase{30, 16, kTest | kRgb}, FrameCase{1, 1, kInterlaced},
                      FrameCase{2, 5, 0}, FrameCase{5, 2, kRgb}));

TEST(Rgb24Frame, AFrameOfAnotherSizeIsRefusedUnwritten) {
    FilterSettings settings{};
    setDefaults(settings);
    WorkPool pool;
    ASSERT_TRUE(startPool(pool, settings, CpuLevel::scalar, 8, 8));
    WorkEntry* entry = takeEntry(pool);
    ASSERT_NE(entry, nullptr);
    PlaneBuffer big(9, 8, 0), out(9, 8, 0);
    EXPECT_EQ(filterRgb24(*entry, big.view(), out.view()), 1);
    PlaneBuffer small(8, 8, 0), other(8, 7, 0);
    EXPECT_EQ(filterRgb24(*entry, small.view(), other.view()), 1);
    EXPECT_TRUE(out.guardsIntact());
    EXPECT_TRUE(other.guardsIntact());
    giveBack(pool, entry);
}

}  // namespace
}  // namespace lintra::vs
