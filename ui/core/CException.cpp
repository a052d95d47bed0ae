#include "CException.h"

namespace Veneer {

CException::CException(HRESULT error) noexcept : m_error(error) {}

HRESULT CException::GetError() const noexcept {
    return m_error;
}

const char* CException::what() const noexcept {
    return m_error == E_OUTOFMEMORY ? "Veneer: out of memory" : "Veneer: null string source";
}

} // namespace Veneer
