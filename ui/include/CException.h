#pragma once

#include "VeneerApi.h"

#include <windows.h>

#include <exception>

namespace Veneer {

// The one exception the library raises: its string type on a null source
// (E_POINTER) or on a failed allocation (E_OUTOFMEMORY).
class VENEER_API CException : public std::exception {
public:
    explicit CException(HRESULT error) noexcept;
    HRESULT GetError() const noexcept;
    const char* what() const noexcept override;

private:
    HRESULT m_error;
};

} // namespace Veneer
