#pragma once
// The test binary replaces the aligned allocation operators the engine takes its planes from,
// to count live planes and to make the Nth plane allocation fail.

#include <cstddef>

namespace lintra::testing {

// Aligned blocks obtained and not yet released.
std::ptrdiff_t liveAlignedBlocks();

// Calls of the nothrow aligned operator new so far.
std::size_t alignedNothrowCalls();

// The `call`-th nothrow aligned allocation from now on (1 = the next) returns null; 0 never.
void failAlignedNothrowCall(std::size_t call);

}  // namespace lintra::testing
