#pragma once
// A tiny 5x7 block font for the lettering of the built-in sample.

#include <array>
#include <cstdint>

namespace lintra {

inline constexpr std::int32_t kGlyphWidth = 5;
inline constexpr std::int32_t kGlyphHeight = 7;

// One row per entry, the leftmost column in bit 4.
using GlyphRows = std::array<std::uint8_t, kGlyphHeight>;

// The glyph of an upper-case letter the sample uses; a blank for anything else.
const GlyphRows& glyphFor(char c);

}  // namespace lintra
