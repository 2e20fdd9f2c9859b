#include "extension/handler_state.h"

#include <new>

const char16_t* const kCaptions[CommandCount] = {
    u"ファイル名をコピー",
    u"フルパスをコピー",
};

const char16_t* const kHelpTexts[CommandCount] = {
    u"選択したファイルのファイル名をクリップボードにコピーします。",
    u"選択したファイルのフルパスをクリップボードにコピーします。",
};

namespace {

// The menu texts are what the handler shows: without them it is not made at all.
void appendText(WideStringList& list, const char16_t* text) {
    if (!list.append(std::u16string_view(text))) throw std::bad_alloc();
}

}  // namespace

HandlerState::HandlerState(HMODULE module) : module_(module) {
    appendText(captions_, kCaptions[CopyNames]);
    appendText(captions_, kCaptions[CopyPaths]);
    appendText(helpTexts_, kHelpTexts[CopyNames]);
    appendText(helpTexts_, kHelpTexts[CopyPaths]);
}

HandlerState::~HandlerState() {
    selection_.clear();
    iconPaths_.clear();
    helpTexts_.clear();
    captions_.clear();
    dataObject_.reset();
}
