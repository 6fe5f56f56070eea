#pragma once
// Heap storage for work planes. Each plane remembers how many Triplets it was sized for, so
// the driver can refuse frames that do not fit.

#include <cstddef>
#include <cstdint>

#include "engine/cpu_level.h"
#include "engine/frame_view.h"

namespace lintra {

// A multiplier of the vector kernels' short division and the coefficient and dividend bound
// it was found for (g -1: none yet); see x86/short_division.h.
struct DivisionMemo {
    std::int32_t g = -1;
    std::int32_t largest = -1;
    std::int32_t magic = 0;
};

// What a run decided once in startRun: the CPU level its kernels use and their scratch; and
// the short-division multipliers of the settings its frames came with, which are kept from
// frame to frame because finding one takes up to some ten thousand steps.
// Every plane carries one in its header; the driver uses plane A's.
struct RunState {
    CpuLevel level;
    std::int32_t scratchWidth;  // widest frame the scratch serves
    void* scratch;              // from allocateScratch, or null
    DivisionMemo lumaDivision{};
    DivisionMemo chromaDivision{};
    DivisionMemo rgbDivision{};
};

// Largest number of Triplets a single plane may hold on this platform.
std::size_t maxPlaneTriplets();

// A plane of `triplets` Triplets, aligned for vector loads, or null when the heap refuses.
WorkPlane* allocatePlane(std::size_t triplets);

// Releases a plane from allocatePlane; null does nothing.
void releasePlane(WorkPlane* plane);

// The number of Triplets the plane was allocated with.
std::size_t planeCapacity(const WorkPlane* plane);

// The run state in the plane's header: portable level and no scratch when allocated.
RunState& runStateOf(WorkPlane* plane);

// Cache-line aligned scratch, or null when the heap refuses; releasing null does nothing.
void* allocateScratch(std::size_t bytes);
void releaseScratch(void* scratch);

}  // namespace lintra
