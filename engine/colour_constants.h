#pragma once
// BT.601 studio-range matrices in 16.16 fixed point with this filter's own offsets and
// rounding. With exactly these constants every 24-bit colour survives the round trip.

#include <cstdint>

#include "engine/frame_view.h"

namespace lintra {

// Forward: offsets 240 (luma) and 2032 (chroma) in the 12-bit form, plus one half.
inline constexpr std::int32_t kYOffset = 240 * 4096 + 2048;   // 985088
inline constexpr std::int32_t kCOffset = 2032 * 4096 + 2048;  // 8325120
inline constexpr std::int32_t kYccShift = 12;

// Back: 1.164, 1.596, 0.813, 0.391, 2.018 in 16.16; the 1/16 of the 12-bit form is folded
// into the shift by 20.
inline constexpr std::int32_t kLumaGain = 76283;
inline constexpr std::int32_t kCrToR = 104595;
inline constexpr std::int32_t kCrToG = 53281;
inline constexpr std::int32_t kCbToG = 25625;
inline constexpr std::int32_t kCbToB = 132253;
inline constexpr std::int32_t kROffset = -230318672;
inline constexpr std::int32_t kGOffset = 142550864;
inline constexpr std::int32_t kBOffset = -286518848;
inline constexpr std::int32_t kRgbShift = 20;
inline constexpr std::int32_t kRgbSaturate = 0x0FFFFFFF;

inline Triplet yccFromBgr(std::int32_t b, std::int32_t g, std::int32_t r) {
    const std::int32_t y = (16840 * r + 33058 * g + 6405 * b + kYOffset) >> kYccShift;
    const std::int32_t cr = (28781 * r - 24110 * g - 4671 * b + kCOffset) >> kYccShift;
    const std::int32_t cb = (28781 * b - 19068 * g - 9713 * r + kCOffset) >> kYccShift;
    return Triplet{{static_cast<std::int16_t>(y), static_cast<std::int16_t>(cr),
                    static_cast<std::int16_t>(cb)}};
}

inline std::uint32_t toByte(std::int32_t v) {
    if (v > kRgbSaturate) return 255;
    if (v < 0) return 0;
    return static_cast<std::uint32_t>(v >> kRgbShift);
}

// 0x00RRGGBB for a (Y, Cr, Cb) Triplet; out-of-range components saturate per channel.
inline std::uint32_t pixelFromYcc(const Triplet& t) {
    const std::int32_t l = kLumaGain * t.c[0];
    const std::int32_t r = l + kCrToR * t.c[1] + kROffset;
    const std::int32_t g = l - kCrToG * t.c[1] - kCbToG * t.c[2] + kGOffset;
    const std::int32_t b = l + kCbToB * t.c[2] + kBOffset;
    return toByte(r) << 16 | toByte(g) << 8 | toByte(b);
}

inline void storePixel(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace lintra
