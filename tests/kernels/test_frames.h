#pragma once
// Frames for the kernel comparisons: guarded buffers, generated content and settings.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/cpu_level.h"
#include "engine/filter_settings.h"
#include "engine/frame_view.h"
#include "tests/support/guarded_frame.h"

namespace lintra::testing {

// Frames inside guard bytes, shared with the other engine tests.
using test::GuardedFrame;
using test::kGuard;

// Content the filter changes: bars and gradients with a small line-alternating pattern and
// noise; plain random bytes (byte 3 random too); or full-swing saturated colours alternating
// from line to line, their phase flipping every few columns (the largest comb values).
enum class Content { pattern, random, extreme };
void fillFrame(GuardedFrame& frame, Content content, std::mt19937& rng);

// Settings across the whole range a script line or the engine API can carry.
FilterSettings randomSettings(std::mt19937& rng);
std::string describe(const FilterSettings& s);

// scalar up to the best level this machine has.
std::vector<CpuLevel> availableLevels();

}  // namespace lintra::testing
