#pragma once
// The run lifecycle of an instance and the per-frame choice of pipeline.

#include "engine/cpu_level.h"
#include "engine/filter_instance.h"
#include "engine/frame_view.h"

namespace lintra {

// Allocates the three planes for frames of the source's size. Returns 0 on success, 1 when the
// size is unusable or an allocation fails (planes obtained so far stay referenced for endRun).
// Also chooses, once for the run, the best CPU level this machine supports.
int startRun(FilterInstance& instance, const FrameView& source);

// The same with the CPU level capped at `cap` (tests, benchmarks, users). Every level gives
// the same output; when the vector kernels' scratch cannot be allocated the run uses the
// portable pipelines.
int startRun(FilterInstance& instance, const FrameView& source, CpuLevel cap);

// The CPU level the current run uses (scalar when there is no run).
CpuLevel runLevel(const FilterInstance& instance);

// Filters one frame. Returns 0; returns 1 without writing the destination when there are no
// planes or the frame does not fit them.
int runFrame(FilterInstance& instance, const FrameView& source, const FrameView& destination);

// Releases the planes and nulls their references. Returns 0; harmless when repeated.
int endRun(FilterInstance& instance);

}  // namespace lintra
