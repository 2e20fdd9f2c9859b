// Table-driven QueryInterface: an object lists its (IID, interface) rows in search
// order; IID_IUnknown is answered with the first row, so that pointer is the object's
// identity.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>

struct InterfaceTableRow {
    const IID* iid;
    std::ptrdiff_t offset;  // of the interface from the start of the object
};

// Offset of interface `Interface` within class `Class`.
template <class Class, class Interface>
std::ptrdiff_t interfaceOffset() {
    // Any suitably aligned non-null address serves; the object is never touched.
    alignas(Class) static char probe[sizeof(Class)];
    auto* object = reinterpret_cast<Class*>(probe);
    return reinterpret_cast<char*>(static_cast<Interface*>(object)) - probe;
}

// E_POINTER for a null `out`; otherwise *out is cleared, then set to the interface of
// the matching row after an AddRef through that interface (S_OK), or E_NOINTERFACE.
HRESULT lookupInterface(void* object, const InterfaceTableRow* rows, std::size_t rowCount,
                        REFIID iid, void** out);

// The same over an object's table, written as an array of rows:
//
//     const InterfaceTableRow kInterfaces[] = {
//         {&IID_IThing, interfaceOffset<Thing, IThing>()},
//     };
//     ... return lookupInterface(this, kInterfaces, iid, out);
template <std::size_t RowCount>
HRESULT lookupInterface(void* object, const InterfaceTableRow (&rows)[RowCount], REFIID iid,
                        void** out) {
    return lookupInterface(object, rows, RowCount, iid, out);
}
