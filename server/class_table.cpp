#include "server/class_table.h"

#include "halvint.h"
#include "resources/resource_ids.h"
#include "server/class_factory.h"
#include "server/context_menu_handler_creator.h"
#include "server/registration_resource.h"

namespace {

HRESULT registerGotoList(bool registering, RegistrationScope scope) {
    // The interpreter supplies the module's path itself.
    return applyRegistrationResource(IDR_GOTOLIST_SCRIPT, registering, nullptr, scope);
}

}  // namespace

ClassEntry* moduleClassTable() {
    static ClassEntry table[] = {
        {&CLSID_GotoList, registerGotoList, ClassFactory::Create, createContextMenuHandler,
         nullptr},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    return table;
}
