#include "extension/handler_state.h"

const char16_t* const kCaptions[CommandCount] = {
    u"ファイル名をコピー",
    u"フルパスをコピー",
};

const char16_t* const kHelpTexts[CommandCount] = {
    u"選択したファイルのファイル名をクリップボードにコピーします。",
    u"選択したファイルのフルパスをクリップボードにコピーします。",
};

HandlerState::HandlerState(HMODULE module) : module_(module) {
    captions_.append(std::u16string_view(kCaptions[CopyNames]));
    captions_.append(std::u16string_view(kCaptions[CopyPaths]));
    helpTexts_.append(std::u16string_view(kHelpTexts[CopyNames]));
    helpTexts_.append(std::u16string_view(kHelpTexts[CopyPaths]));
}

HandlerState::~HandlerState() {
    selection_.clear();
    iconPaths_.clear();
    helpTexts_.clear();
    captions_.clear();
    dataObject_.reset();
}
