// Holders of GDI handles: an object made for drawing (font, bitmap, brush), a memory
// device context, an object selected into a context, the screen's context, and a
// context's saved state. Each gives back what it holds when its scope ends.
#pragma once

#include <windows.h>

#include "common/scoped_handle.h"

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

struct DeleteMemoryDc {
    void operator()(HDC dc) const { DeleteDC(dc); }
};

// A GDI object that this code made (CreateFontIndirect, CreateBitmap...), deleted with
// its holder.
using GdiObject = ScopedHandle<HGDIOBJ, DeleteGdiObject>;

// A memory device context (CreateCompatibleDC), deleted with its holder.
using MemoryDc = ScopedHandle<HDC, DeleteMemoryDc>;

// An object selected into a device context for the life of a scope; the one it replaced
// goes back in at the end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The screen's device context (GetDC of no window), released with its holder.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;

    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// A device context's colours, modes and objects, saved (SaveDC) at the start of a scope
// and restored at its end: a context that others draw on goes back as it was found.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDcState() {
        if (saved_) RestoreDC(dc_, saved_);
    }
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;

private:
    HDC dc_;
    int saved_;
};
