#pragma once
// A planar picture whose planes sit inside guard bytes, rows padded by a few samples more than
// they need, so tests can check that nothing outside the samples is written.

#include <cstdint>
#include <random>
#include <vector>

#include "frontend/planar_picture.h"
#include "tests/frontend/planar_reference.h"

namespace lintra::planar::test {

inline constexpr std::uint8_t kPictureGuard = 0x5A;

class GuardedPicture {
  public:
    GuardedPicture(const Format& format, std::int32_t width, std::int32_t height,
                   std::int32_t rowPadding);

    PictureView view() const;
    PictureTarget target();

    void setSamples(const reference::Planes& planes);
    reference::Planes samples() const;
    bool guardsIntact() const;

  private:
    std::int32_t planeCount() const;
    std::int32_t sampleBytes() const { return format_.bitDepth > 8 ? 2 : 1; }
    std::int32_t sample(int plane, std::int32_t x, std::int32_t y) const;
    void setSample(int plane, std::int32_t x, std::int32_t y, std::int32_t v);

    Format format_;
    reference::Planes shape_;  // sizes only
    std::ptrdiff_t stride_[3] = {};
    std::vector<std::uint8_t> storage_[3];
    static constexpr std::size_t kMargin = 64;
};

// Random samples across the whole range of the depth.
reference::Planes randomPlanes(const Format& format, std::int32_t width, std::int32_t height,
                               std::mt19937& rng);

}  // namespace lintra::planar::test
