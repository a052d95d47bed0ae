#pragma once

#include "CPoint.h"
#include "CSize.h"

#include <windows.h>

namespace Veneer {

// Right and bottom are exclusive: a rectangle holds the points with
// left <= x < right and top <= y < bottom.
class CRect : public RECT {
public:
    constexpr CRect() noexcept : RECT{0, 0, 0, 0} {}
    constexpr CRect(LONG l, LONG t, LONG r, LONG b) noexcept : RECT{l, t, r, b} {}
    constexpr CRect(const RECT& rect) noexcept : RECT(rect) {}
    constexpr CRect(CPoint topLeft, CSize size) noexcept
        : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}

    constexpr LONG Width() const noexcept { return right - left; }
    constexpr LONG Height() const noexcept { return bottom - top; }
    // Zero or negative width or height.
    constexpr bool IsRectEmpty() const noexcept { return Width() <= 0 || Height() <= 0; }
    constexpr bool PtInRect(CPoint point) const noexcept {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
    constexpr void OffsetRect(LONG dx, LONG dy) noexcept {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }

    friend constexpr bool operator==(const CRect& a, const CRect& b) noexcept {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

static_assert(sizeof(CRect) == sizeof(RECT));

} // namespace Veneer
