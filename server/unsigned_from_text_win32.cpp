#include "registry_script/unsigned_from_text.h"

#include <oleauto.h>

HRESULT unsignedFromText(const char16_t* text, std::uint32_t* value) {
    if (!text || !value) return E_POINTER;
    ULONG number = 0;
    // The declaration takes a non-const string it does not change.
    auto* wide = const_cast<OLECHAR*>(reinterpret_cast<const OLECHAR*>(text));
    const HRESULT hr = VarUI4FromStr(wide, 0, 0, &number);
    if (SUCCEEDED(hr)) *value = number;
    return hr;
}
