#pragma once
// Deterministic frames for the benchmarks.

#include <cstdint>
#include <vector>

namespace lintra::bench {

// A test-card-like scene at any size: colour bars, gradients, fine lines and text-like
// detail, with a small pattern alternating from line to line (a few steps in luma, up to 15
// in chroma) as a composite capture would carry. Pixels 0x00RRGGBB, rows without gaps.
std::vector<std::uint32_t> syntheticScene(std::int32_t width, std::int32_t height);

// Uniform random pixels from a fixed seed: every comparison is a coin toss.
std::vector<std::uint32_t> noiseFrame(std::int32_t width, std::int32_t height);

}  // namespace lintra::bench
