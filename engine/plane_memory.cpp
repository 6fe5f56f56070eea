#include "engine/plane_memory.h"

#include <cstdint>
#include <new>

namespace lintra {
namespace {

// The header sits in front of the Triplets and keeps them aligned to a cache line.
constexpr std::size_t kPlaneAlignment = 64;
struct alignas(kPlaneAlignment) PlaneHeader {
    std::size_t triplets;
    RunState run;
};
static_assert(sizeof(PlaneHeader) == kPlaneAlignment, "the header is one cache line");
constexpr std::size_t kHeaderBytes = sizeof(PlaneHeader);

PlaneHeader* headerOf(const WorkPlane* plane) {
    auto* bytes = reinterpret_cast<const unsigned char*>(plane) - kHeaderBytes;
    return reinterpret_cast<PlaneHeader*>(const_cast<unsigned char*>(bytes));
}

}  // namespace

std::size_t maxPlaneTriplets() {
    // Keep the byte count, header included, representable in both size_t and ptrdiff_t.
    return (static_cast<std::size_t>(PTRDIFF_MAX) - kHeaderBytes) / sizeof(Triplet);
}

WorkPlane* allocatePlane(std::size_t triplets) {
    if (triplets > maxPlaneTriplets()) return nullptr;
    void* block = ::operator new (kHeaderBytes + triplets * sizeof(Triplet),
                                  std::align_val_t{kPlaneAlignment}, std::nothrow);
    if (block == nullptr) return nullptr;
    auto* header = static_cast<PlaneHeader*>(block);
    header->triplets = triplets;
    header->run = RunState{CpuLevel::scalar, 0, nullptr};
    return reinterpret_cast<WorkPlane*>(static_cast<unsigned char*>(block) + kHeaderBytes);
}

void releasePlane(WorkPlane* plane) {
    if (plane == nullptr) return;
    ::operator delete (headerOf(plane), std::align_val_t{kPlaneAlignment});
}

std::size_t planeCapacity(const WorkPlane* plane) {
    return headerOf(plane)->triplets;
}

RunState& runStateOf(WorkPlane* plane) {
    return headerOf(plane)->run;
}

void* allocateScratch(std::size_t bytes) {
    return ::operator new (bytes, std::align_val_t{kPlaneAlignment}, std::nothrow);
}

void releaseScratch(void* scratch) {
    if (scratch == nullptr) return;
    ::operator delete (scratch, std::align_val_t{kPlaneAlignment});
}

}  // namespace lintra
