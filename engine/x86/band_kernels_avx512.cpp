// The band kernels at the avx512 level; this file alone is compiled with its flags.

#include "engine/x86/band_frame.h"
#include "engine/x86/ops_avx512.h"

namespace lintra::x86 {

const SimdKernels& kernelsAvx512() {
    return kernelTable<Avx512Ops>();
}

}  // namespace lintra::x86
