// The RGB view compiled for AVX2: the same code, which the compiler then takes eight
// pixels at a time.
#define LINTRA_PLANAR_LEVEL avx2
#include "frontend/planar_rgb_view.cpp"
