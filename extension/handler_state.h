// The state of one context-menu handler: what its calls leave for the calls after them.
// The COM object that carries it routes each call to the piece that does the work, with
// the parts of this state that the piece reads or changes: captureSelection
// (selection_capture.h), insertMenuItems and writeCommandString (menu_insertion.h,
// command_help.h), invokeCopyCommand (copy_commands.h) and handleOwnerDrawMessage
// (owner_draw.h). The menu's texts are constants (menu_texts.h).
#pragma once

#include <windows.h>
#include <objidl.h>

#include "common/com_ref.h"
#include "extension/item_icon.h"
#include "extension/wide_string_list.h"

// Destroyed in the reverse order of its members: the selection, the icon, then the data
// object.
struct HandlerState {
    // `module` is the module beside whose file the icon file lies; without one no icon is
    // drawn.
    explicit HandlerState(HMODULE module) : icon(module) {}

    ComRef<IDataObject> dataObject;  // the data object of the last Initialize
    ItemIcon icon;                   // the icon drawn in front of the items
    WideStringList selection;        // the selected paths, in the drop list's order
    UINT firstCommandId = 0;         // the idCmdFirst of the last QueryContextMenu
};
