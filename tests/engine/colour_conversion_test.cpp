#include "engine/colour_conversion.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/reference/reference_filter.h"
#include "tests/support/guarded_frame.h"

namespace lintra {
namespace {

// Every 24-bit colour, one red value per 256 x 256 frame: the round trip returns each one,
// byte 3 of the input has no influence and comes out 0, and the plane matches the reference.
TEST(ColourConversion, RoundTripOfEveryColourIsExact) {
    test::GuardedFrame in(256, 256);
    test::GuardedFrame out(256, 256, 12);
    std::vector<Triplet> plane(256 * 256);
    std::int64_t mismatches = 0;
    std::int64_t planeMismatches = 0;
    for (std::uint32_t r = 0; r < 256; ++r) {
        for (std::uint32_t g = 0; g < 256; ++g) {
            for (std::uint32_t b = 0; b < 256; ++b) {
                const std::uint32_t junk = (r * 7 + g * 13 + b) & 0xFF;
                in.set(static_cast<std::int32_t>(b), static_cast<std::int32_t>(g),
                       junk << 24 | r << 16 | g << 8 | b);
            }
        }
        rgbToYcc(in.view(), plane.data());
        yccToRgb(plane.data(), out.view());
        for (std::int32_t g = 0; g < 256; ++g) {
            for (std::int32_t b = 0; b < 256; ++b) {
                const std::uint32_t want = r << 16 | static_cast<std::uint32_t>(g << 8 | b);
                mismatches += out.get(b, g) != want;
                const Triplet ref = reference::rgbToYccPixel(static_cast<std::uint8_t>(r),
                                                             static_cast<std::uint8_t>(g),
                                                             static_cast<std::uint8_t>(b));
                const Triplet& got = plane[static_cast<std::size_t>(g * 256 + b)];
                planeMismatches +=
                    ref.c[0] != got.c[0] || ref.c[1] != got.c[1] || ref.c[2] != got.c[2];
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(planeMismatches, 0);
    EXPECT_TRUE(out.guardsIntact());
}

TEST(ColourConversion, GreysHaveNeutralChroma) {
    test::GuardedFrame in(256, 1);
    for (std::int32_t v = 0; v < 256; ++v) {
        in.set(v, 0, static_cast<std::uint32_t>(v) * 0x010101u);
    }
    std::vector<Triplet> plane(256);
    rgbToYcc(in.view(), plane.data());
    EXPECT_EQ(plane[0].c[0], 240);
    EXPECT_EQ(plane[255].c[0], 3745);
    for (const Triplet& t : plane) {
        EXPECT_EQ(t.c[1], 2032);
        EXPECT_EQ(t.c[2], 2032);
    }
}

struct YccCase {
    Triplet ycc;
    std::uint32_t pixel;
};

class YccToRgb : public testing::TestWithParam<YccCase> {};

TEST_P(YccToRgb, ConvertsAndSaturatesPerChannel) {
    test::GuardedFrame out(1, 1);
    const Triplet t = GetParam().ycc;
    yccToRgb(&t, out.view());
    EXPECT_EQ(out.get(0, 0), GetParam().pixel);
    EXPECT_EQ(reference::yccToRgbPixel(t), GetParam().pixel);
    EXPECT_TRUE(out.guardsIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Values, YccToRgb,
    testing::Values(YccCase{{{2048, 2048, 2048}}, 0x00858286u},   // empty test-mode pattern
                    YccCase{{{240, 2032, 2032}}, 0x00000000u},    // black
                    YccCase{{{3745, 2032, 2032}}, 0x00FFFFFFu},   // white
                    YccCase{{{6143, 2032, 2032}}, 0x00FFFFFFu},   // above white
                    YccCase{{{-2048, 2032, 2032}}, 0x00000000u},  // below black
                    YccCase{{{2000, 6143, -2048}}, 0x00FF1300u}));

}  // namespace
}  // namespace lintra
