// The menu's texts: constants of the module, indexed by CommandOffset.
#pragma once

#include <string>
#include <string_view>

#include "extension/command_offset.h"

inline constexpr const char16_t* kCaptions[CommandCount] = {
    u"ファイル名をコピー",
    u"フルパスをコピー",
};

inline constexpr const char16_t* kHelpTexts[CommandCount] = {
    u"選択したファイルのファイル名をクリップボードにコピーします。",
    u"選択したファイルのフルパスをクリップボードにコピーします。",
};

// One of the menu's texts in the ANSI code page. Text converts whatever its characters,
// so a failure means that memory ran out: std::bad_alloc.
std::string ansiMenuText(std::u16string_view text);

// The caption at `offset` in the ANSI code page, as an owner-drawn item shows it; empty
// when it does not convert (memory ran out). Throws nothing.
std::string ansiCaption(CommandOffset offset);
