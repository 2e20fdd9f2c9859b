// The state of one context-menu handler and the menu work done on it: taking the
// selection (selection_capture.cpp), inserting the commands and their help texts
// (menu_insertion.cpp), the copy commands (copy_commands.cpp) and the owner-drawn
// items (owner_draw.cpp). The COM object that carries it only routes to these.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "common/com_ref.h"
#include "extension/command_offset.h"
#include "extension/item_icon.h"
#include "extension/wide_string_list.h"

class HandlerState {
public:
    // Fills the menu text table; throws std::bad_alloc when memory does not suffice for it.
    // `module`, given by the object that carries this state, is the module beside whose
    // file the icon file lies; without one no icon is drawn.
    explicit HandlerState(HMODULE module = nullptr);
    ~HandlerState();  // clears the lists, releases the data object
    HandlerState(const HandlerState&) = delete;
    HandlerState& operator=(const HandlerState&) = delete;

    // IShellExtInit::Initialize: S_OK when the selection was taken, E_OUTOFMEMORY when
    // memory did not suffice for it, else E_INVALIDARG; a failure keeps the selection.
    // A drop list that breaks off is the exception: its items before the break are kept.
    // The data object's items are the selection; without one, the folder is, when it
    // has a file-system path (a right-click on the folder's background).
    HRESULT initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject);

    // IContextMenu. Memory that runs out throws std::bad_alloc, with nothing changed.
    HRESULT queryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                             UINT flags);
    HRESULT invokeCommand(const CMINVOKECOMMANDINFO* info);
    HRESULT getCommandString(UINT_PTR idCmd, UINT flags, char* name, UINT cchMax);

    // IContextMenu2/3: measuring and drawing the owner-drawn items. `site` is the
    // handler's site, if any: the DPI of its window sizes the items.
    HRESULT handleMenuMsg2(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                           IUnknown* site = nullptr);

    // Read access for the parts of the handler.
    const WideStringList& captions() const { return captions_; }
    const WideStringList& helpTexts() const { return helpTexts_; }
    const WideStringList& iconPaths() const { return iconPaths_; }
    const WideStringList& selection() const { return selection_; }
    UINT firstCommandId() const { return firstCommandId_; }
    IDataObject* dataObject() const { return dataObject_.get(); }

private:
    HRESULT selectFolder(PCIDLIST_ABSOLUTE folder);
    void measureItem(MEASUREITEMSTRUCT& measure, IUnknown* site) const;
    // The width of the wider caption in the menu font at `dpi`, 0 if it cannot be told.
    int widestCaption(int dpi) const;
    void drawItem(const DRAWITEMSTRUCT& item, IUnknown* site);
    // Fills the empty IconPathList with the icon file beside the module (twice).
    void fillIconPaths();

    const HMODULE module_;
    WideStringList captions_;
    WideStringList helpTexts_;
    WideStringList iconPaths_;
    ItemIcon icon_;  // the last icon drawn, kept for the next draw
    ComRef<IDataObject> dataObject_;
    WideStringList selection_;
    UINT firstCommandId_ = 0;
};

// The menu texts, indexed by CommandOffset.
extern const char16_t* const kCaptions[CommandCount];
extern const char16_t* const kHelpTexts[CommandCount];
