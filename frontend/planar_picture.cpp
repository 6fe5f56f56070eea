#include "frontend/planar_picture.h"

namespace lintra::planar {

std::size_t planarScratchCount(std::int32_t width) {
    // Where each pixel's chroma comes from (three per pixel), and either the view's chroma of a
    // row (three per pixel, two per chroma column) or a correction's sums (three per pixel,
    // five per chroma column).
    return width > 0 ? static_cast<std::size_t>(width) * 11 : 0;
}

Matrix defaultMatrix(std::int32_t width, std::int32_t height) {
    return width > 1024 || height > 576 ? Matrix::bt709 : Matrix::bt601;
}

PictureView viewOf(const PictureTarget& target) {
    PictureView view{};
    for (int plane = 0; plane < 3; ++plane) {
        view.planes[plane] = target.planes[plane];
        view.strides[plane] = target.strides[plane];
    }
    view.width = target.width;
    view.height = target.height;
    view.format = target.format;
    return view;
}

}  // namespace lintra::planar
