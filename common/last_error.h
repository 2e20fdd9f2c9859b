// The calling thread's last error as an HRESULT.
#pragma once

#include <windows.h>

// HRESULT_FROM_WIN32(GetLastError()), or `otherwise` when the call that failed set none.
inline HRESULT lastErrorResult(HRESULT otherwise = E_FAIL) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : otherwise;
}
