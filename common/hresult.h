// HRESULT and the status codes the portable code returns. On Windows these are the
// platform's own definitions; elsewhere (native unit tests, fuzzing) the same values.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <winerror.h>

// The thread's last error as an HRESULT, or `otherwise` when the call that failed set none:
// a failure that left no error is still a failure.
inline HRESULT lastErrorResult(HRESULT otherwise = E_FAIL) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : otherwise;
}
#else
#include <cstdint>

using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// The HRESULT_FROM_WIN32 rule: 0 stays 0, any other error gets 0x8007 in the high half.
constexpr HRESULT HRESULT_FROM_WIN32(std::uint32_t error) {
    return error == 0 ? 0 : static_cast<HRESULT>((error & 0xFFFFu) | 0x80070000u);
}
#endif
