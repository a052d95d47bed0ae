#pragma once

#include <windows.h>

namespace Veneer {

class CPoint : public POINT {
public:
    constexpr CPoint() noexcept : POINT{0, 0} {}
    constexpr CPoint(LONG xValue, LONG yValue) noexcept : POINT{xValue, yValue} {}
    constexpr CPoint(const POINT& point) noexcept : POINT(point) {}

    friend constexpr bool operator==(const CPoint& a, const CPoint& b) noexcept {
        return a.x == b.x && a.y == b.y;
    }
};

static_assert(sizeof(CPoint) == sizeof(POINT));

} // namespace Veneer
