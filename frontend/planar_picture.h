#pragma once
// A planar picture as video frameworks hand it over (VapourSynth frames, ffmpeg's planar pixel
// formats), and what it says about its colours. The filter itself works on 8-bit RGB frames;
// these records describe the picture those frames are made from and corrected back into.

#include <cstddef>
#include <cstdint>

namespace lintra::planar {

enum class Family : std::int32_t {
    yuv,   // planes Y, Cb, Cr; chroma may be subsampled
    grey,  // plane Y only (luma without chroma)
    rgb,   // planes R, G, B, never subsampled
};

struct Format {
    Family family;
    std::int32_t bitDepth;      // 8..16: 8-bit samples are bytes, 9..16-bit native uint16
    std::int32_t subsamplingW;  // log2 of the horizontal chroma subsampling, 0..2 (yuv only)
    std::int32_t subsamplingH;  // log2 of the vertical chroma subsampling, 0..2 (yuv only)
};

// Chroma planes are ceil(width / 2^subsamplingW) by ceil(height / 2^subsamplingH) samples.
// Strides are the byte distances from one row to the next (may be negative); above 8 bits the
// planes and strides are even, so that every sample is an aligned uint16.
struct PictureView {
    const std::uint8_t* planes[3];
    std::ptrdiff_t strides[3];
    std::int32_t width;
    std::int32_t height;
    Format format;
};

// The same geometry, writable.
struct PictureTarget {
    std::uint8_t* planes[3];
    std::ptrdiff_t strides[3];
    std::int32_t width;
    std::int32_t height;
    Format format;
};

// The Y'CbCr matrices the filter's RGB view can be made with (non-constant luminance).
enum class Matrix : std::int32_t { bt601, bt709, bt2020nc, smpte240m, fcc };

enum class Range : std::int32_t {
    limited,  // Y 16..235, Cb and Cr 16..240 at 8 bits, scaled by 2^(depth - 8)
    full,     // 0 .. 2^depth - 1
};

// Where chroma samples sit relative to luma, numbered as VapourSynth's _ChromaLocation.
enum class ChromaLocation : std::int32_t { left, center, topLeft, top, bottomLeft, bottom };

struct Colours {
    Matrix matrix;
    Range range;
    ChromaLocation chromaLocation;
    // Interlaced: vertically subsampled chroma belongs to one field, its rows alternating
    // between the fields as the luma rows do.
    bool fieldBased;
};

// A writable picture as a read-only one.
PictureView viewOf(const PictureTarget& target);

// Scratch owned by the caller, so that threads can keep theirs from frame to frame.
struct Scratch {
    std::int32_t* values;
    std::size_t count;
};

// Results of the planar functions.
inline constexpr int kPlanarOk = 0;
inline constexpr int kPlanarBadFormat = 1;    // depth, subsampling or family out of range
inline constexpr int kPlanarBadGeometry = 2;  // sizes disagree, a plane or frame is missing
inline constexpr int kPlanarNoScratch = 3;    // less scratch than planarScratchCount asks

// Scratch values the functions need for pictures `width` pixels wide.
std::size_t planarScratchCount(std::int32_t width);

// The matrix players assume for an untagged picture: BT.709 when it is wider than 1024 or
// taller than 576 pixels (HD), BT.601 otherwise.
Matrix defaultMatrix(std::int32_t width, std::int32_t height);

}  // namespace lintra::planar
