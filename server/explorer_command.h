// The two Explorer commands (IExplorerCommand) that Windows 11 shows in its first-level
// context menu for the package that registers them: one copies the selection's names, one
// their full paths, through the same code as the context-menu handler's items. Each
// object also keeps a site (IObjectWithSite). Explorer may load the module into itself or
// into a COM surrogate that exits right after Invoke: everything a command does is done
// before its call returns. Each object holds one module lock while it lives.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <shobjidl.h>

#include "common/com_ref.h"
#include "extension/command_offset.h"

class ExplorerCommand final : public IExplorerCommand, public IObjectWithSite {
public:
    // The instance creators of the two classes: a new object handed out as `iid`;
    // CLASS_E_NOAGGREGATION inside an aggregate.
    static HRESULT CreateCopyNames(IUnknown* outer, REFIID iid, void** out);
    static HRESULT CreateCopyPaths(IUnknown* outer, REFIID iid, void** out);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IExplorerCommand
    STDMETHODIMP GetTitle(IShellItemArray* items, LPWSTR* name) override;
    STDMETHODIMP GetIcon(IShellItemArray* items, LPWSTR* icon) override;
    STDMETHODIMP GetToolTip(IShellItemArray* items, LPWSTR* tip) override;
    STDMETHODIMP GetCanonicalName(GUID* name) override;
    STDMETHODIMP GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) override;
    STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx* bindContext) override;
    STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) override;
    STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** commands) override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID iid, void** out) override;

private:
    static HRESULT Create(CommandOffset command, IUnknown* outer, REFIID iid, void** out);
    explicit ExplorerCommand(CommandOffset command) : command_(command) {}
    ~ExplorerCommand() = default;
    ExplorerCommand(const ExplorerCommand&) = delete;
    ExplorerCommand& operator=(const ExplorerCommand&) = delete;

    const CommandOffset command_;
    volatile LONG references_ = 0;
    ComRef<IUnknown> site_;
};

// The class identifiers (common/explorer_command_ids.h).
extern const CLSID CLSID_CopyNamesCommand;
extern const CLSID CLSID_CopyPathsCommand;
