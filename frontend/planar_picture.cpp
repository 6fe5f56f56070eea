#include "frontend/planar_picture.h"

namespace lintra::planar {

std::size_t planarScratchCount(std::int32_t width) {
    // Two chroma rows for the view; three sums and a weight per chroma column for corrections.
    return width > 0 ? static_cast<std::size_t>(width) * 4 : 0;
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
