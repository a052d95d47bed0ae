#pragma once

#include <windows.h>

namespace Veneer {

class CSize : public SIZE {
public:
    constexpr CSize() noexcept : SIZE{0, 0} {}
    constexpr CSize(LONG width, LONG height) noexcept : SIZE{width, height} {}
    constexpr CSize(const SIZE& size) noexcept : SIZE(size) {}

    friend constexpr bool operator==(const CSize& a, const CSize& b) noexcept {
        return a.cx == b.cx && a.cy == b.cy;
    }
};

static_assert(sizeof(CSize) == sizeof(SIZE));

} // namespace Veneer
