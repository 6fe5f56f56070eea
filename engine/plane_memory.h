#pragma once
// Heap storage for work planes. Each plane remembers how many Triplets it was sized for, so
// the driver can refuse frames that do not fit.

#include <cstddef>
#include <cstdint>

#include "engine/frame_view.h"

namespace lintra {

// Largest number of Triplets a single plane may hold on this platform.
std::size_t maxPlaneTriplets();

// A plane of `triplets` Triplets, aligned for vector loads, or null when the heap refuses.
WorkPlane* allocatePlane(std::size_t triplets);

// Releases a plane from allocatePlane; null does nothing.
void releasePlane(WorkPlane* plane);

// The number of Triplets the plane was allocated with.
std::size_t planeCapacity(const WorkPlane* plane);

}  // namespace lintra
