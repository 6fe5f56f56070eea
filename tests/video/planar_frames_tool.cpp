// A helper of the lintra video tests: the RGB view lintra video makes of raw planar frames, and
// the comparison of planar frames on the pixels a filter changed.
//   planar_frames_tool view PIXFMT WxH MATRIX RANGE FIELDS IN.raw OUT.bgr0
//   planar_frames_tool compare PIXFMT WxH FIELDS GOT.raw WANT.raw BEFORE.bgr0 AFTER.bgr0
// MATRIX is 601 or 709, RANGE limited or full, FIELDS 1 for chroma by field. compare prints what it
// finds and exits 1 when a sample differs by more than one 8-bit step (scaled to the depth),
// leaving out pixels whose view clipped.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "cli/video_frame_layout.h"
#include "cli/video_pixel_format.h"
#include "frontend/planar_rgb_view.h"

namespace {

using lintra::video::FrameLayout;

std::vector<std::uint8_t> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool layoutOf(const char* format, const char* size, FrameLayout& l) {
    l.packedRgb = false;
    return lintra::video::planarFormatOf(format, l.format) &&
           std::sscanf(size, "%dx%d", &l.width, &l.height) == 2 && l.width > 0 && l.height > 0;
}

int view(char** argv) {
    FrameLayout l;
    if (!layoutOf(argv[2], argv[3], l)) return 2;
    l.colours.matrix = std::strcmp(argv[4], "709") == 0 ? lintra::planar::Matrix::bt709
                                                        : lintra::planar::Matrix::bt601;
    l.colours.range = std::strcmp(argv[5], "full") == 0 ? lintra::planar::Range::full
                                                        : lintra::planar::Range::limited;
    l.colours.chromaLocation = lintra::planar::ChromaLocation::left;
    l.colours.fieldBased = std::strcmp(argv[6], "1") == 0;
    std::vector<std::uint8_t> frames = readFile(argv[7]);
    std::vector<std::uint8_t> rgb(std::size_t(l.width) * std::size_t(l.height) * 4);
    std::vector<std::int32_t> scratch(lintra::planar::planarScratchCount(l.width));
    std::ofstream out(argv[8], std::ios::binary);
    for (std::size_t at = 0; at + l.frameBytes() <= frames.size(); at += l.frameBytes()) {
        const auto picture = lintra::planar::viewOf(l.picture(frames.data() + at));
        if (lintra::planar::makeRgbView(picture, l.colours, l.packed(rgb.data()),
                                        {scratch.data(), scratch.size()}) != 0) {
            return 1;
        }
        out.write(reinterpret_cast<const char*>(rgb.data()), std::streamsize(rgb.size()));
    }
    return 0;
}

std::int32_t sample(const lintra::planar::PictureTarget& t, int plane, std::int32_t x,
                    std::int32_t y) {
    const std::uint8_t* row = t.planes[plane] + y * t.strides[plane];
    if (t.format.bitDepth == 8) return row[x];
    std::uint16_t v;
    std::memcpy(&v, row + 2 * x, 2);
    return v;
}

int compare(char** argv) {
    FrameLayout l;
    if (!layoutOf(argv[2], argv[3], l)) return 2;
    const bool fields = std::strcmp(argv[4], "1") == 0 && l.format.subsamplingH > 0;
    std::vector<std::uint8_t> in = readFile(argv[5]), got = readFile(argv[6]),
                              back = readFile(argv[7]), want = readFile(argv[8]);
    const std::vector<std::uint8_t> before = readFile(argv[9]), after = readFile(argv[10]);
    const std::size_t rgbBytes = std::size_t(l.width) * std::size_t(l.height) * 4;
    const std::size_t frames = got.size() / l.frameBytes();
    if (frames == 0 || got.size() != want.size() || in.size() != got.size() ||
        back.size() != got.size() || before.size() != frames * rgbBytes ||
        after.size() != before.size()) {
        std::fprintf(stderr, "compare: the files hold different numbers of frames\n");
        return 1;
    }
    const int sw = l.format.subsamplingW, sh = l.format.subsamplingH;
    const std::int32_t step = 1 << (l.format.bitDepth - 8);
    std::int64_t changed = 0;
    std::int32_t worst[3] = {0, 0, 0};
    for (std::size_t f = 0; f < frames; ++f) {
        const auto i = l.picture(in.data() + f * l.frameBytes());
        const auto g = l.picture(got.data() + f * l.frameBytes());
        const auto b = l.picture(back.data() + f * l.frameBytes());
        const auto w = l.picture(want.data() + f * l.frameBytes());
        for (std::int32_t y = 0; y < l.height; ++y) {
            for (std::int32_t x = 0; x < l.width; ++x) {
                const std::size_t px =
                    f * rgbBytes + (std::size_t(y) * std::size_t(l.width) + std::size_t(x)) * 4;
                if (std::memcmp(&before[px], &after[px], 3) == 0) continue;
                bool clipped = false;
                for (int c = 0; c < 3; ++c)
                    clipped = clipped || before[px + std::size_t(c)] == 0 ||
                              before[px + std::size_t(c)] == 255;
                if (clipped) continue;
                ++changed;
                for (int p = 0; p < 3; ++p) {
                    // By field, chroma rows alternate between the fields as luma rows do.
                    const std::int32_t chromaRow =
                        fields ? (((y >> 1) >> sh) << 1) + (y & 1) : y >> sh;
                    const std::int32_t cx = p == 0 ? x : x >> sw, cy = p == 0 ? y : chromaRow;
                    const std::int32_t ours = sample(g, p, cx, cy) - sample(i, p, cx, cy);
                    const std::int32_t theirs = sample(w, p, cx, cy) - sample(b, p, cx, cy);
                    const std::int32_t d = std::abs(ours - theirs);
                    if (d > worst[p]) worst[p] = d;
                }
            }
        }
    }
    std::printf("changed pixels %lld, largest difference Y %d Cb %d Cr %d (one 8-bit step: %d)\n",
                static_cast<long long>(changed), worst[0], worst[1], worst[2], step);
    return changed > 0 && worst[0] <= step && worst[1] <= step && worst[2] <= step ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 9 && std::strcmp(argv[1], "view") == 0) return view(argv);
    if (argc == 11 && std::strcmp(argv[1], "compare") == 0) return compare(argv);
    std::fprintf(stderr, "usage: see the top of planar_frames_tool.cpp\n");
    return 2;
}
