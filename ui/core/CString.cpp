#include "CString.h"

#include "CException.h"

#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace Veneer {

struct CString::Buffer {
    std::atomic<long> refs{1};
    std::wstring text;
};

namespace {

// Allocation failures of any kind surface as the library's own exception.
template <typename Make> auto Allocating(Make make) {
    try {
        return make();
    } catch (const std::bad_alloc&) {
        throw CException(E_OUTOFMEMORY);
    } catch (const std::length_error&) {
        throw CException(E_OUTOFMEMORY);
    }
}

void CheckSource(const wchar_t* text) {
    if (!text)
        throw CException(E_POINTER);
}

std::size_t CheckedLength(const wchar_t* text) {
    CheckSource(text);
    return std::wstring_view(text).size();
}

std::wstring_view View(const CString& s) noexcept {
    return {s.c_str(), s.GetLength()};
}

} // namespace

CString::CString() noexcept : m_buffer(nullptr) {}

CString::CString(const wchar_t* text) : CString(text, CheckedLength(text)) {}

CString::CString(const wchar_t* text, std::size_t length) : m_buffer(nullptr) {
    CheckSource(text);
    if (length > 0)
        m_buffer = Allocating([&] { return new Buffer{{1}, std::wstring(text, length)}; });
}

CString::CString(const CString& other) noexcept : m_buffer(other.m_buffer) {
    if (m_buffer)
        m_buffer->refs.fetch_add(1, std::memory_order_relaxed);
}

CString::CString(CString&& other) noexcept : m_buffer(std::exchange(other.m_buffer, nullptr)) {}

CString::~CString() {
    Release();
}

CString& CString::operator=(const CString& other) noexcept {
    if (other.m_buffer)
        other.m_buffer->refs.fetch_add(1, std::memory_order_relaxed);
    Release();
    m_buffer = other.m_buffer;
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        Release();
        m_buffer = std::exchange(other.m_buffer, nullptr);
    }
    return *this;
}

void CString::Release() noexcept {
    if (m_buffer && m_buffer->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete m_buffer;
    m_buffer = nullptr;
}

std::size_t CString::GetLength() const noexcept {
    return m_buffer ? m_buffer->text.size() : 0;
}

bool CString::IsEmpty() const noexcept {
    return GetLength() == 0;
}

const wchar_t* CString::c_str() const noexcept {
    return m_buffer ? m_buffer->text.c_str() : L"";
}

CString& CString::operator+=(const CString& other) {
    if (other.IsEmpty())
        return *this;
    if (!m_buffer)
        return *this = other;
    // A shared buffer is copied before it changes; the sole owner appends in place.
    if (m_buffer->refs.load(std::memory_order_acquire) == 1) {
        Allocating([&] { m_buffer->text.append(View(other)); });
    } else {
        Buffer* joined = Allocating([&] {
            std::wstring text;
            text.reserve(GetLength() + other.GetLength());
            text.append(View(*this)).append(View(other));
            return new Buffer{{1}, std::move(text)};
        });
        Release();
        m_buffer = joined;
    }
    return *this;
}

bool CString::operator==(const CString& other) const noexcept {
    return View(*this) == View(other);
}

std::strong_ordering CString::operator<=>(const CString& other) const noexcept {
    return View(*this) <=> View(other);
}

CString operator+(const CString& left, const CString& right) {
    CString joined(left);
    joined += right;
    return joined;
}

} // namespace Veneer
