#include "tests/frontend/guarded_picture.h"

#include <algorithm>

namespace lintra::planar::test {

GuardedPicture::GuardedPicture(const Format& format, std::int32_t width, std::int32_t height,
                               std::int32_t rowPadding)
    : format_(format) {
    shape_.format = format;
    shape_.width = width;
    shape_.height = height;
    for (int p = 0; p < planeCount(); ++p) {
        // Rows of 16-bit samples start on even addresses.
        stride_[p] = (std::ptrdiff_t{shape_.planeWidth(p)} + rowPadding) * sampleBytes();
        storage_[p].assign(
            2 * kMargin + std::size_t(stride_[p]) * std::size_t(shape_.planeHeight(p)),
            kPictureGuard);
    }
}

std::int32_t GuardedPicture::planeCount() const {
    return format_.family == Family::grey ? 1 : 3;
}

PictureView GuardedPicture::view() const {
    return viewOf(const_cast<GuardedPicture*>(this)->target());
}

PictureTarget GuardedPicture::target() {
    PictureTarget t{};
    for (int p = 0; p < planeCount(); ++p) {
        t.planes[p] = storage_[p].data() + kMargin;
        t.strides[p] = stride_[p];
    }
    t.width = shape_.width;
    t.height = shape_.height;
    t.format = format_;
    return t;
}

std::int32_t GuardedPicture::sample(int p, std::int32_t x, std::int32_t y) const {
    const std::uint8_t* at = storage_[p].data() + kMargin +
                             std::size_t(y) * std::size_t(stride_[p]) +
                             std::size_t(x) * std::size_t(sampleBytes());
    if (sampleBytes() == 1) return at[0];
    std::uint16_t v;
    std::copy(at, at + 2, reinterpret_cast<std::uint8_t*>(&v));
    return v;
}

void GuardedPicture::setSample(int p, std::int32_t x, std::int32_t y, std::int32_t v) {
    std::uint8_t* at = storage_[p].data() + kMargin + std::size_t(y) * std::size_t(stride_[p]) +
                       std::size_t(x) * std::size_t(sampleBytes());
    if (sampleBytes() == 1) {
        at[0] = static_cast<std::uint8_t>(v);
        return;
    }
    const auto s = static_cast<std::uint16_t>(v);
    std::copy(reinterpret_cast<const std::uint8_t*>(&s),
              reinterpret_cast<const std::uint8_t*>(&s) + 2, at);
}

void GuardedPicture::setSamples(const reference::Planes& planes) {
    for (int p = 0; p < planeCount(); ++p) {
        for (std::int32_t y = 0; y < shape_.planeHeight(p); ++y) {
            for (std::int32_t x = 0; x < shape_.planeWidth(p); ++x)
                setSample(p, x, y, planes.at(p, x, y));
        }
    }
}

reference::Planes GuardedPicture::samples() const {
    reference::Planes out = shape_;
    for (int p = 0; p < planeCount(); ++p) {
        out.plane[p].resize(std::size_t(shape_.planeWidth(p)) * std::size_t(shape_.planeHeight(p)));
        for (std::int32_t y = 0; y < shape_.planeHeight(p); ++y) {
            for (std::int32_t x = 0; x < shape_.planeWidth(p); ++x)
                out.at(p, x, y) = sample(p, x, y);
        }
    }
    return out;
}

bool GuardedPicture::guardsIntact() const {
    for (int p = 0; p < planeCount(); ++p) {
        const std::size_t row = std::size_t(shape_.planeWidth(p)) * std::size_t(sampleBytes());
        for (std::size_t i = 0; i < storage_[p].size(); ++i) {
            const bool inside = i >= kMargin && i < storage_[p].size() - kMargin &&
                                (i - kMargin) % std::size_t(stride_[p]) < row;
            if (!inside && storage_[p][i] != kPictureGuard) return false;
        }
    }
    return true;
}

reference::Planes randomPlanes(const Format& format, std::int32_t width, std::int32_t height,
                               std::mt19937& rng) {
    reference::Planes out;
    out.format = format;
    out.width = width;
    out.height = height;
    const int planes = format.family == Family::grey ? 1 : 3;
    std::uniform_int_distribution<std::int32_t> value(0, (1 << format.bitDepth) - 1);
    for (int p = 0; p < planes; ++p) {
        out.plane[p].resize(std::size_t(out.planeWidth(p)) * std::size_t(out.planeHeight(p)));
        for (auto& v : out.plane[p]) v = value(rng);
    }
    return out;
}

}  // namespace lintra::planar::test
