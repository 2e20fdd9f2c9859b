#include "server/explorer_command.h"

#include <shlwapi.h>

#include <new>
#include <string>

#include "common/exception_boundary.h"
#include "common/explorer_command_ids.h"
#include "common/module_path.h"
#include "extension/copy_commands.h"
#include "extension/menu_texts.h"
#include "extension/shell_item_selection.h"
#include "extension/wide_string_list.h"
#include "resources/resource_ids.h"
#include "server/interface_table.h"
#include "server/object_site.h"
#include "server/server_module.h"

const CLSID CLSID_CopyNamesCommand = TOVAK_COPY_NAMES_COMMAND_CLSID_INIT;
const CLSID CLSID_CopyPathsCommand = TOVAK_COPY_PATHS_COMMAND_CLSID_INIT;

namespace {

#define TOVAK_RESOURCE_TEXT(id) u",-" #id
#define TOVAK_RESOURCE_REFERENCE(id) TOVAK_RESOURCE_TEXT(id)
// ",-<id>" of the icon resource, after the module's path.
constexpr const char16_t* kIconResource = TOVAK_RESOURCE_REFERENCE(IDI_ICON_CLIP);

// A copy of `text` in task memory, for the caller to free with CoTaskMemFree.
HRESULT taskMemoryText(const char16_t* text, LPWSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return SHStrDupW(reinterpret_cast<const wchar_t*>(text), out);
}

}  // namespace

HRESULT ExplorerCommand::CreateCopyNames(IUnknown* outer, REFIID iid, void** out) {
    return Create(CopyNames, outer, iid, out);
}

HRESULT ExplorerCommand::CreateCopyPaths(IUnknown* outer, REFIID iid, void** out) {
    return Create(CopyPaths, outer, iid, out);
}

HRESULT ExplorerCommand::Create(CommandOffset command, IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) ExplorerCommand(command);
    if (!object) return E_OUTOFMEMORY;
    serverModule().Lock();
    // Held across the query, so that a refused interface ends the object through Release.
    object->AddRef();
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

STDMETHODIMP ExplorerCommand::QueryInterface(REFIID iid, void** out) {
    return comBoundary([&] {
        // Searched in this order; IID_IUnknown is answered by the first row.
        static const InterfaceTableRow rows[] = {
            {&IID_IExplorerCommand, interfaceOffset<ExplorerCommand, IExplorerCommand>()},
            {&IID_IObjectWithSite, interfaceOffset<ExplorerCommand, IObjectWithSite>()},
        };
        return lookupInterface(this, rows, iid, out);
    });
}

STDMETHODIMP_(ULONG) ExplorerCommand::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) ExplorerCommand::Release() {
    const LONG remaining = InterlockedDecrement(&references_);
    if (remaining == 0) {
        // The lock goes back last: until the site is released, code of this module runs.
        delete this;
        serverModule().Unlock();
    }
    return static_cast<ULONG>(remaining);
}

STDMETHODIMP ExplorerCommand::GetTitle(IShellItemArray*, LPWSTR* name) {
    return comBoundary([&] { return taskMemoryText(kCaptions[command_], name); });
}

// The module's own icon resource, "<module path>,-<resource id>".
STDMETHODIMP ExplorerCommand::GetIcon(IShellItemArray*, LPWSTR* icon) {
    return comBoundary([&] {
        if (!icon) return E_POINTER;
        *icon = nullptr;
        std::u16string location;
        const HRESULT hr = modulePath(serverModule().Instance(), location);
        if (FAILED(hr)) return hr;
        location += kIconResource;
        return taskMemoryText(location.c_str(), icon);
    });
}

STDMETHODIMP ExplorerCommand::GetToolTip(IShellItemArray*, LPWSTR* tip) {
    return comBoundary([&] { return taskMemoryText(kHelpTexts[command_], tip); });
}

STDMETHODIMP ExplorerCommand::GetCanonicalName(GUID* name) {
    return comBoundary([&] {
        if (!name) return E_POINTER;
        *name = command_ == CopyNames ? CLSID_CopyNamesCommand : CLSID_CopyPathsCommand;
        return S_OK;
    });
}

// Asks the items for their paths only, whatever `okToBeSlow` says: no other file access.
STDMETHODIMP ExplorerCommand::GetState(IShellItemArray* items, BOOL, EXPCMDSTATE* state) {
    return comBoundary([&] {
        if (!state) return E_POINTER;
        *state = anyItemHasFileSystemPath(items) ? ECS_ENABLED : ECS_HIDDEN;
        return S_OK;
    });
}

STDMETHODIMP ExplorerCommand::Invoke(IShellItemArray* items, IBindCtx*) {
    return comBoundary([&] {
        WideStringList selection;
        const HRESULT hr = shellItemSelection(items, selection);
        if (FAILED(hr)) return hr;
        return copySelectionText(command_, selection);
    });
}

STDMETHODIMP ExplorerCommand::GetFlags(EXPCMDFLAGS* flags) {
    return comBoundary([&] {
        if (!flags) return E_POINTER;
        *flags = ECF_DEFAULT;
        return S_OK;
    });
}

STDMETHODIMP ExplorerCommand::EnumSubCommands(IEnumExplorerCommand** commands) {
    return comBoundary([&] {
        if (commands) *commands = nullptr;
        return E_NOTIMPL;
    });
}

STDMETHODIMP ExplorerCommand::SetSite(IUnknown* site) {
    return comBoundary([&] { return setObjectSite(site_, site); });
}

STDMETHODIMP ExplorerCommand::GetSite(REFIID iid, void** out) {
    return comBoundary([&] { return getObjectSite(site_, iid, out); });
}
