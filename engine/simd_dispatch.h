#pragma once
// The one place the engine reaches the vector kernels of a CPU level.

#include <cstddef>
#include <cstdint>

#include "engine/cpu_level.h"
#include "engine/filter_settings.h"
#include "engine/frame_view.h"
#include "engine/plane_memory.h"

namespace lintra {

// Scratch a run at this level needs for frames `width` pixels wide; 0 when the level has no
// vector kernels in this build (the portable pipelines need none).
std::size_t simdScratchBytes(CpuLevel level, std::int32_t width);

// Filters one frame with the kernels of the run's level, exactly as the portable pipelines
// would. Returns false, touching no pixel, when the frame is not one the kernels take (no
// kernels, scratch too narrow, source and destination overlapping); the caller then runs the
// portable pipeline. Frames must already be large enough for the pipelines (h > 2n, w >= 2 or
// test mode). Remembers the run's short-division multipliers in `run`.
bool runSimdFrame(RunState& run, const FilterSettings& settings, std::int32_t gY, std::int32_t gC,
                  const FrameView& source, const FrameView& destination);

}  // namespace lintra
