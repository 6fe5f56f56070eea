#include "cli/picture.h"

#include <cstddef>

namespace lintra {

void resizePicture(Picture& picture, std::int32_t width, std::int32_t height) {
    picture.width = width;
    picture.height = height;
    picture.bgrx.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    picture.alpha.clear();
}

FrameView frameOf(Picture& picture) {
    return FrameView{picture.bgrx.data(), picture.width, picture.height, 0};
}

}  // namespace lintra
