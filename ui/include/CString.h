#pragma once

#include "VeneerApi.h"

#include <compare>
#include <cstddef>

namespace Veneer {

// Reference-counted UTF-16 text, passed and returned by value. Copies share one
// buffer until one of them is changed. Every member lives in the library, so a
// string may be made by the program and released by the library or the other way
// round. A null source or a failed allocation raises CException.
class VENEER_API CString {
public:
    CString() noexcept;
    CString(const wchar_t* text);
    CString(const wchar_t* text, std::size_t length);
    CString(const CString& other) noexcept;
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other) noexcept;
    CString& operator=(CString&& other) noexcept;

    std::size_t GetLength() const noexcept;
    bool IsEmpty() const noexcept;
    // Never null; valid while this string is neither changed nor destroyed.
    const wchar_t* c_str() const noexcept;

    CString& operator+=(const CString& other);

    bool operator==(const CString& other) const noexcept;
    // Code unit by code unit, so that strings can key ordered containers.
    std::strong_ordering operator<=>(const CString& other) const noexcept;

private:
    struct Buffer;
    void Release() noexcept;

    Buffer* m_buffer;
};

VENEER_API CString operator+(const CString& left, const CString& right);

} // namespace Veneer
