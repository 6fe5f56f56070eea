// The vector kernels at the avx512 level; this file alone is compiled with its flags. YUV
// frames in normal mode take the column kernel (column_frame.h), everything else the bands.

#include "engine/x86/band_frame.h"
#include "engine/x86/column_frame.h"
#include "engine/x86/ops_avx512.h"

namespace lintra::x86 {

const SimdKernels& kernelsAvx512() {
    return columnKernelTable<Avx512Ops>();
}

}  // namespace lintra::x86
