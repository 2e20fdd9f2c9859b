#include "server/interface_table.h"

HRESULT lookupInterface(void* object, const InterfaceTableRow* rows, std::size_t rowCount,
                        REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (rowCount == 0) return E_NOINTERFACE;
    const InterfaceTableRow* found = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
        found = &rows[0];
    } else {
        for (std::size_t i = 0; i < rowCount && !found; ++i) {
            if (IsEqualIID(iid, *rows[i].iid)) found = &rows[i];
        }
    }
    if (!found) return E_NOINTERFACE;
    auto* unknown = reinterpret_cast<IUnknown*>(static_cast<char*>(object) + found->offset);
    unknown->AddRef();
    *out = unknown;
    return S_OK;
}
