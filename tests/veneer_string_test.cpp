#include "CException.h"
#include "CRect.h"
#include "CString.h"
#include "Manager.h"
#include "veneer_printers.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <functional>
#include <limits>
#include <map>
#include <string>

using Veneer::CException;
using Veneer::CPoint;
using Veneer::CRect;
using Veneer::CSize;
using Veneer::CString;
using Veneer::Manager;

namespace {

std::wstring Text(const CString& s) {
    return {s.c_str(), s.GetLength()};
}

TEST(VeneerString, CopiesShareOneBufferUntilOneOfThemChanges) {
    CString original(L"Thermo");
    CString copy = original;
    EXPECT_EQ(copy.c_str(), original.c_str());

    copy += L"link";
    EXPECT_EQ(Text(original), L"Thermo");
    EXPECT_EQ(Text(copy), L"Thermolink");

    // The sole owner of a buffer may grow it in place, also from itself.
    copy += copy;
    EXPECT_EQ(Text(copy), L"ThermolinkThermolink");

    CString moved = std::move(copy);
    EXPECT_EQ(moved.GetLength(), 20u);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_STREQ(copy.c_str(), L"");

    EXPECT_EQ(Text(CString(L"a") + CString() + L"b"), L"ab");
    EXPECT_EQ(Text(CString(L"x\0y", 3)), std::wstring(L"x\0y", 3));
}

TEST(VeneerString, ANullSourceRaisesTheLibraryExceptionInTheCaller) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"text",
         [] {
             CString s(static_cast<const wchar_t*>(nullptr));
         }},
        {"text and length 0",
         [] {
             CString s(nullptr, 0);
         }},
        {"text and length 3",
         [] {
             CString s(nullptr, 3);
         }},
        {"appended",
         [] {
             CString(L"a") += static_cast<const wchar_t*>(nullptr);
         }},
        {"argument of the library",
         [] {
             Manager::SetFontName(static_cast<const wchar_t*>(nullptr));
         }},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        try {
            make();
            ADD_FAILURE() << "no exception";
        } catch (const CException& e) {
            EXPECT_EQ(e.GetError(), E_POINTER);
        }
    }
    EXPECT_EQ(Text(Manager::GetFontName()), L"Arial");
}

TEST(VeneerString, AFailedAllocationRaisesOutOfMemory) {
    const std::size_t lengths[] = {
        std::numeric_limits<std::size_t>::max(),      // beyond what a string can hold
        std::numeric_limits<std::size_t>::max() >> 4, // 2^61 bytes: no 64-bit process has them
    };
    for (std::size_t length : lengths) {
        SCOPED_TRACE(length);
        try {
            CString s(L"x", length);
            ADD_FAILURE() << "no exception";
        } catch (const CException& e) {
            EXPECT_EQ(e.GetError(), E_OUTOFMEMORY);
        }
    }
}

TEST(VeneerString, CrossesTheLibraryBoundaryInBothDirections) {
    {
        CString made(L"Open Sans");
        Manager::SetFontName(made);
        EXPECT_EQ(Manager::GetFontName().c_str(), made.c_str());
    }
    // The program's copy is gone; the library's is still whole.
    EXPECT_EQ(Text(Manager::GetFontName()), L"Open Sans");

    CString kept = Manager::GetFontName();
    Manager::SetFontName(L"Arial");
    // The library dropped its reference; the program's outlives it.
    EXPECT_EQ(Text(kept), L"Open Sans");
    kept = CString();
    EXPECT_EQ(_heapchk(), _HEAPOK);
}

TEST(VeneerString, ComparesAndOrdersCodeUnitByCodeUnit) {
    struct Case {
        CString a, b;
        std::strong_ordering expected;
    };
    const Case cases[] = {
        {L"", CString(), std::strong_ordering::equal},
        {L"abc", L"abc", std::strong_ordering::equal},
        {L"abc", L"abd", std::strong_ordering::less},
        {L"ab", L"a", std::strong_ordering::greater},
        {L"Z", L"a", std::strong_ordering::less},
        {CString(L"a\0b", 3), L"a", std::strong_ordering::greater},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.a.c_str() << "\" vs \"" << c.b.c_str() << '"');
        EXPECT_EQ(c.a <=> c.b, c.expected);
        EXPECT_EQ(c.a == c.b, c.expected == std::strong_ordering::equal);
    }

    std::map<CString, int> byName{{L"b", 2}, {L"a", 1}};
    EXPECT_EQ(byName.at(L"a"), 1);
    EXPECT_EQ(Text(byName.begin()->first), L"a");
}

TEST(VeneerGeometry, RectanglesExcludeTheirRightAndBottomEdges) {
    const CRect rect(CPoint(10, 20), CSize(30, 40));
    EXPECT_EQ(rect, CRect(10, 20, 40, 60));
    EXPECT_EQ(rect.Width(), 30);
    EXPECT_EQ(rect.Height(), 40);

    const std::pair<CPoint, bool> points[] = {
        {{10, 20}, true},  {{39, 59}, true}, {{40, 59}, false},
        {{39, 60}, false}, {{9, 20}, false}, {{10, 19}, false},
    };
    for (const auto& [point, inside] : points) {
        SCOPED_TRACE(testing::Message() << point.x << ',' << point.y);
        EXPECT_EQ(rect.PtInRect(point), inside);
    }

    const std::pair<CRect, bool> rects[] = {
        {{0, 0, 0, 0}, true}, {{0, 0, 1, 0}, true}, {{5, 5, 4, 10}, true}, {{0, 0, 1, 1}, false}};
    for (const auto& [r, empty] : rects) {
        SCOPED_TRACE(testing::Message()
                     << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom);
        EXPECT_EQ(r.IsRectEmpty(), empty);
    }

    CRect moved = rect;
    moved.OffsetRect(-10, 5);
    EXPECT_EQ(moved, CRect(0, 25, 30, 65));
}

} // namespace
