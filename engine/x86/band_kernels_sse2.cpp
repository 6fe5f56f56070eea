// The band kernels at the sse2 level; this file alone is compiled with its flags.

#include "engine/x86/band_frame.h"
#include "engine/x86/ops_sse2.h"

namespace lintra::x86 {

const SimdKernels& kernelsSse2() {
    return kernelTable<Sse2Ops>();
}

}  // namespace lintra::x86
