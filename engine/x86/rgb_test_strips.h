#pragma once
// RGB test mode in vertical strips (see test_strips.h), for the levels of the column kernels:
// the comb signal of a whole vector of pixels is detected as the column kernel detects it
// (rgbCombHalf), straight from the rows held in registers.

#include <cstdint>
#include <type_traits>

#include "engine/x86/band_frame.h"
#include "engine/x86/column_rgb.h"
#include "engine/x86/test_strips.h"

namespace lintra::x86 {
namespace {

template <class O>
struct RgbTestConstants {
    RgbCombWeights<O> weights;
    typename O::V limit;
    typename O::V grey = O::set32(kTestModeGrey);
};

// One vector of pixels of the row `mid` between the rows above and below, shown (see
// testRgbPixels), the comb signal zero where the vector distance is over the limit. Green's
// comb sits in the low word with a zero above it, and is sign-extended by the shift up before
// the shift down.
template <class O>
LINTRA_PIECE typename O::V testRgbBetween(typename O::V top, typename O::V mid,
                                          typename O::V bottom, const RgbTestConstants<O>& k) {
    using V = typename O::V;
    V blueRed, green;
    const auto kept = rgbCombHalf<O>(top, mid, bottom, k.limit, static_cast<typename O::M32>(~0u),
                                     k.weights, blueRed, green);
    blueRed = O::keepIf32(kept, blueRed);
    green = O::keepIf32(kept, green);
    return testRgbPixels<O>(k.grey, blueRed, O::template srai32<20>(O::template slli32<16>(green)));
}

// The rows first, first + n, .. below y1 of the strips x0, x0 + kLanes, .. below x1 (the
// pixels before `end` stored); kWhole: see overTestStrips.
template <class O, bool kStream, bool kWhole>
LINTRA_STAGE void testRgbStrips(const SimdFrame& f, std::int32_t n, std::int32_t first,
                                std::int32_t y1, std::int32_t x0, std::int32_t x1, std::int32_t end,
                                const RgbTestConstants<O>& constants) {
    using V = typename O::V;
    constexpr std::int32_t kHalf = O::kLanes / 2;  // pixels per vector
    const auto& k = inRegisters<O>(constants);
    const std::int32_t w = f.width;
    struct Row {
        V pixels[2];
    };
    for (std::int32_t x = x0; x < x1; x += O::kLanes) {
        walkStrip<Row>(
            f, n, first, y1,
            [&](const std::uint8_t* row) LINTRA_LAMBDA {
                if constexpr (kWhole) {
                    return Row{{O::load(row + 4 * x), O::load(row + 4 * (x + kHalf))}};
                } else {
                    return Row{{loadPixels<O>(row, x, w), loadPixels<O>(row, x + kHalf, w)}};
                }
            },
            [&](std::uint8_t* row, const Row& above, const Row& mid, const Row& below)
                LINTRA_LAMBDA {
                    for (std::int32_t h = 0; h < 2; ++h) {
                        const V v =
                            testRgbBetween<O>(above.pixels[h], mid.pixels[h], below.pixels[h], k);
                        if constexpr (kWhole && kStream) {
                            O::stream(row + 4 * (x + h * kHalf), v);
                        } else if constexpr (kWhole) {
                            O::store(row + 4 * (x + h * kHalf), v);
                        } else {
                            storePixels<O, kStream>(row, x + h * kHalf, end, v);
                        }
                    }
                });
    }
}

// A row without comb signal shows mid-grey.
template <class O, bool kStream>
LINTRA_STAGE void testRgbGreyRow(std::uint8_t* row, std::int32_t w, std::int32_t phase) {
    const typename O::V grey = O::set32(kTestModeGrey);
    alongRow<O>(w, phase, [&](std::int32_t x, std::int32_t end) {
        storePixels<O, kStream>(row, x, end, grey);
        storePixels<O, kStream>(row, x + O::kLanes / 2, end, grey);
    });
}

// Normal mode through the column kernel, test mode in strips.
template <class O>
void filterRgbColumnsOrStripsT(const SimdFrame& f, const RgbParams& p, void* scratch) {
    if (p.testMode == 0) {
        filterRgbColumnsT<O>(f, p, scratch);
        return;
    }
    const DestinationStores<O> to(f);
    const RgbTestConstants<O> constants{RgbCombWeights<O>{}, O::set32(p.vertical)};
    const RgbTestConstants<O>& k = fromMemory(constants);
    const std::int32_t n = p.lineDistance;
    withStreaming(to.stream, [&](auto stream) {
        constexpr bool kStream = decltype(stream)::value;
        overTestStrips<O>(
            f, n, to.phase,
            [&](std::int32_t y) {
                testRgbGreyRow<O, kStream>(f.destination + y * f.destinationStride, f.width,
                                           to.phase);
            },
            [&](auto whole, std::int32_t first, std::int32_t y1, std::int32_t x0, std::int32_t x1,
                std::int32_t end) {
                testRgbStrips<O, kStream, decltype(whole)::value>(f, n, first, y1, x0, x1, end, k);
            });
        if (kStream) O::fence();
    });
}

}  // namespace
}  // namespace lintra::x86
