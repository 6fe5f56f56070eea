#include "frontend/planar_checks.h"

#include <cstdlib>

#include "frontend/planar_geometry.h"

namespace lintra::planar {
namespace {

int planeCount(const Format& format) {
    return format.family == Family::grey ? 1 : 3;
}

bool formatValid(const Format& f) {
    if (f.bitDepth < 8 || f.bitDepth > 16) return false;
    if (f.family == Family::yuv) {
        return f.subsamplingW >= 0 && f.subsamplingW <= 2 && f.subsamplingH >= 0 &&
               f.subsamplingH <= 2;
    }
    return (f.family == Family::grey || f.family == Family::rgb) && f.subsamplingW == 0 &&
           f.subsamplingH == 0;
}

// Bytes of one row of a plane.
std::ptrdiff_t rowBytes(const PictureView& p, int plane) {
    const std::int32_t samples = plane == 0 || p.format.family != Family::yuv
                                     ? p.width
                                     : chromaCount(p.width, p.format.subsamplingW);
    return static_cast<std::ptrdiff_t>(samples) * (p.format.bitDepth > 8 ? 2 : 1);
}

}  // namespace

int checkPicture(const PictureView& picture) {
    if (!formatValid(picture.format)) return kPlanarBadFormat;
    if (picture.width < 1 || picture.height < 1) return kPlanarBadGeometry;
    for (int plane = 0; plane < planeCount(picture.format); ++plane) {
        if (picture.planes[plane] == nullptr) return kPlanarBadGeometry;
        if (std::labs(static_cast<long>(picture.strides[plane])) < rowBytes(picture, plane)) {
            return kPlanarBadGeometry;
        }
        // 16-bit samples are read as such: every row must start on an even address.
        const auto start = reinterpret_cast<std::uintptr_t>(picture.planes[plane]);
        if (picture.format.bitDepth > 8 &&
            ((start | static_cast<std::uintptr_t>(picture.strides[plane])) & 1) != 0) {
            return kPlanarBadGeometry;
        }
    }
    return kPlanarOk;
}

bool frameFits(const FrameView& frame, const PictureView& picture) {
    // Rows may run either way in memory but must not overlap.
    const std::int64_t row = std::int64_t{frame.width} * 4;
    const std::int64_t stride = row + frame.rowGap;
    return frame.pixels != nullptr && frame.width == picture.width &&
           frame.height == picture.height && (stride >= row || stride <= -row);
}

bool targetFits(const PictureTarget& target, const PictureView& picture) {
    const PictureView view = viewOf(target);
    if (view.width != picture.width || view.height != picture.height ||
        view.format.family != picture.format.family ||
        view.format.bitDepth != picture.format.bitDepth ||
        view.format.subsamplingW != picture.format.subsamplingW ||
        view.format.subsamplingH != picture.format.subsamplingH) {
        return false;
    }
    return checkPicture(view) == kPlanarOk;
}

}  // namespace lintra::planar
