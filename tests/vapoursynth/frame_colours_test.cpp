// What frame properties make of a frame's colours: each matrix VapourSynth can name, the
// defaults players assume for missing ones, and the values the filter cannot take.

#include "vapoursynth/frame_colours.h"

#include <gtest/gtest.h>

namespace lintra::vs {
namespace {

using planar::ChromaLocation;
using planar::Family;
using planar::Matrix;
using planar::Range;

constexpr planar::Format kYuv422{Family::yuv, 10, 1, 0};
constexpr planar::Format kGrey{Family::grey, 8, 0, 0};
constexpr planar::Format kRgb48{Family::rgb, 16, 0, 0};

struct Taken {
    const char* name;
    FrameProperties properties;
    planar::Format format;
    std::int32_t width;
    std::int32_t height;
    planar::Colours colours;
};

class FrameColoursTaken : public ::testing::TestWithParam<Taken> {};

TEST_P(FrameColoursTaken, AsThePropertiesSay) {
    planar::Colours got{};
    std::string error;
    const Taken& c = GetParam();
    ASSERT_TRUE(coloursOf(c.properties, c.format, c.width, c.height, got, error)) << error;
    EXPECT_EQ(got.matrix, c.colours.matrix);
    EXPECT_EQ(got.range, c.colours.range);
    EXPECT_EQ(got.chromaLocation, c.colours.chromaLocation);
    EXPECT_EQ(got.fieldBased, c.colours.fieldBased);
}

INSTANTIATE_TEST_SUITE_P(
    Properties, FrameColoursTaken,
    ::testing::Values(
        Taken{"none_sd",
              {},
              kYuv422,
              720,
              576,
              {Matrix::bt601, Range::limited, ChromaLocation::left, false}},
        Taken{"none_hd",
              {},
              kYuv422,
              1280,
              720,
              {Matrix::bt709, Range::limited, ChromaLocation::left, false}},
        Taken{"unspecified",
              {2, -1, -1, -1},
              kYuv422,
              1920,
              1080,
              {Matrix::bt709, Range::limited, ChromaLocation::left, false}},
        Taken{"bt709_full_topleft_tff",
              {1, 0, 2, 2},
              kYuv422,
              720,
              576,
              {Matrix::bt709, Range::full, ChromaLocation::topLeft, true}},
        Taken{"bt470bg_bff",
              {5, 1, 1, 1},
              kYuv422,
              1920,
              1080,
              {Matrix::bt601, Range::limited, ChromaLocation::center, true}},
        Taken{"smpte170m",
              {6, 1, 0, 0},
              kYuv422,
              720,
              480,
              {Matrix::bt601, Range::limited, ChromaLocation::left, false}},
        Taken{"fcc",
              {4, -1, 5, -1},
              kYuv422,
              720,
              480,
              {Matrix::fcc, Range::limited, ChromaLocation::bottom, false}},
        Taken{"smpte240m",
              {7, -1, -1, -1},
              kYuv422,
              720,
              480,
              {Matrix::smpte240m, Range::limited, ChromaLocation::left, false}},
        Taken{"bt2020nc",
              {9, 0, -1, -1},
              kYuv422,
              3840,
              2160,
              {Matrix::bt2020nc, Range::full, ChromaLocation::left, false}},
        // Grey and RGB frames have no matrix to read; RGB is full range unless said otherwise.
        Taken{"grey_rgb_matrix",
              {0, -1, -1, -1},
              kGrey,
              64,
              48,
              {Matrix::bt601, Range::limited, ChromaLocation::left, false}},
        Taken{"grey_full",
              {-1, 0, -1, -1},
              kGrey,
              64,
              48,
              {Matrix::bt601, Range::full, ChromaLocation::left, false}},
        Taken{"rgb",
              {0, -1, -1, 2},
              kRgb48,
              64,
              48,
              {Matrix::bt601, Range::full, ChromaLocation::left, true}}),
    [](const auto& param) { return std::string(param.param.name); });

struct Refused {
    const char* name;
    FrameProperties properties;
    const char* message;
};

class FrameColoursRefused : public ::testing::TestWithParam<Refused> {};

TEST_P(FrameColoursRefused, WithWhatToDo) {
    planar::Colours got{};
    std::string error;
    EXPECT_FALSE(coloursOf(GetParam().properties, kYuv422, 720, 576, got, error));
    EXPECT_EQ(error, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Properties, FrameColoursRefused,
    ::testing::Values(
        Refused{"rgb_on_yuv",
                {0, -1, -1, -1},
                "a Y'CbCr frame says _Matrix 0 (RGB); set the clip's matrix with "
                "core.std.SetFrameProps(clip, _Matrix=1) (BT.709) or 6 (BT.601)"},
        Refused{"constant_luminance",
                {10, -1, -1, -1},
                "a frame's _Matrix 10 is not one Lintra takes (BT.601, BT.709, BT.2020 "
                "non-constant, FCC, SMPTE 240M); convert it with core.resize.Bicubic(clip, "
                "matrix_s=\"709\")"},
        Refused{"ycgco",
                {8, -1, -1, -1},
                "a frame's _Matrix 8 is not one Lintra takes (BT.601, BT.709, BT.2020 "
                "non-constant, FCC, SMPTE 240M); convert it with core.resize.Bicubic(clip, "
                "matrix_s=\"709\")"},
        Refused{
            "range", {1, 2, -1, -1}, "a frame's _ColorRange 2 is neither 0 (full) nor 1 (limited)"},
        Refused{
            "chroma_location", {1, 1, 6, -1}, "a frame's _ChromaLocation 6 is not one of 0 to 5"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace lintra::vs
