#include "server/class_table.h"

#include "server/class_factory.h"
#include "server/context_menu_handler_creator.h"
#include "server/registration_resource.h"

namespace {

// GotoList {73616E24-6788-4341-9EBC-F422B4988BDC}
const CLSID kGotoListClsid = {
    0x73616E24, 0x6788, 0x4341, {0x9E, 0xBC, 0xF4, 0x22, 0xB4, 0x98, 0x8B, 0xDC}};

// The GotoList registry script, resource REGISTRY 101; the interpreter supplies the
// module's path itself.
const UINT kGotoListRegistryScript = 101;

HRESULT registerGotoList(bool registering, RegistrationScope scope) {
    return applyRegistrationResource(kGotoListRegistryScript, registering, nullptr, scope);
}

}  // namespace

ClassEntry* moduleClassTable() {
    static ClassEntry table[] = {
        {&kGotoListClsid, registerGotoList, ClassFactory::Create, createContextMenuHandler,
         nullptr},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    return table;
}
