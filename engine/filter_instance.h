#pragma once
// One use of the filter: its settings and the three work planes of the current run.

#include <cstddef>

#include "engine/filter_settings.h"
#include "engine/frame_view.h"

namespace lintra {

// Laid out as the host's instance storage: the settings, then three plane references that
// are null while no run is active.
struct FilterInstance {
    FilterSettings settings;
    WorkPlane* planeA;
    WorkPlane* planeB;
    WorkPlane* planeC;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(FilterInstance) == 56, "the host allocates 56 bytes per instance");
static_assert(offsetof(FilterInstance, planeA) == 44);
static_assert(offsetof(FilterInstance, planeB) == 48);
static_assert(offsetof(FilterInstance, planeC) == 52);
#endif

}  // namespace lintra
