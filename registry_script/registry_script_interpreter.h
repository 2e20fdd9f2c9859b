// Applies a registry script: expands its %NAME% variables, then walks its root blocks
// in register mode (open or create keys, write values; a failed root block is walked
// again in unregister mode) or in unregister mode (delete what the script names, as far
// as its keywords allow). Text is narrow, in the code page given, and stepped one
// character at a time so a double-byte character is never split.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/code_page.h"
#include "common/hresult.h"
#include "registry_script/registry_access.h"
#include "registry_script/substitution_table.h"
#include "registry_script/task_memory.h"

class RegistryScriptInterpreter {
public:
    // Token buffers, in bytes including the terminator.
    static constexpr std::size_t kTokenSize = 4096;
    static constexpr std::size_t kValueNameSize = 260;
    static constexpr std::size_t kShortKeyNameSize = 260;  // held on the stack when unregistering
    static constexpr std::size_t kSubKeyNameSize = 256;
    // The longest variable name between the % signs, in bytes.
    static constexpr std::size_t kMaxVariableName = 31;
    // Blocks walked with keys open nest at most this deep (the registry's own depth
    // limit); blocks read in skip mode may nest deeper.
    static constexpr int kMaxBlockDepth = 512;

    RegistryScriptInterpreter(RegistryAccess& registry, const CodePage& codePage,
                              TaskMemory& memory);
    ~RegistryScriptInterpreter();
    RegistryScriptInterpreter(const RegistryScriptInterpreter&) = delete;
    RegistryScriptInterpreter& operator=(const RegistryScriptInterpreter&) = delete;

    // The variables that expansion inserts.
    SubstitutionTable& substitutions() { return substitutions_; }

    // Applies the NUL-terminated script `text`.
    HRESULT applyText(const char* text, bool registering);

private:
    class OpenKey;
    class KeyName;
    struct UnregisterLevel;

    // The keywords that may stand before an item's name: ForceRemove or Delete, then
    // NoRemove.
    struct ItemKeywords {
        bool removes = false;  // ForceRemove or Delete
        bool deletes = false;  // Delete: an item with neither value nor block of its own
        bool keeps = false;    // NoRemove
    };

    HRESULT expand(const char* text);
    void releaseText();

    void skipWhitespace();
    HRESULT readToken(char* buffer, std::size_t size);
    HRESULT readToken() { return readToken(token_, kTokenSize); }
    // After "Val": reads the value name into valueName_ and the token that must begin
    // with '=' (DISP_E_EXCEPTION if it does not).
    HRESULT readValueItemHead();
    HRESULT skipValueClause();
    // Reads the next token and, where it begins a value clause, reads over the clause.
    HRESULT readNextItemToken();
    // Where the current token is ForceRemove or Delete, notes it and reads the next one.
    HRESULT readRemoveKeyword(ItemKeywords& keywords);
    // Where the current token is NoRemove, notes it and reads the next one.
    HRESULT readKeepKeyword(ItemKeywords& keywords);
    // Both, in that order: the current token is then "Val" or a key name.
    HRESULT readItemKeywords(ItemKeywords& keywords);
    HRESULT writeValue(RegistryKey key, const char* name);

    HRESULT walkRegister(RegistryKey parent, int depth);
    // Opens the key named by the current token (for all access, else for reading) or
    // creates it, as the block's current key.
    HRESULT openOrCreateKey(RegistryKey parent, OpenKey& current);

    HRESULT walkUnregister(RegistryKey parent, int depth);
    // A value item: its value deleted unless in skip mode.
    HRESULT unregisterValue(RegistryKey parent, const UnregisterLevel& level);
    // A key item, from its name on.
    HRESULT unregisterKey(RegistryKey parent, int depth, UnregisterLevel& level);
    // Opens the item's key for reading as the level's current key; where it cannot be
    // opened, skip mode goes on.
    void openItemKey(RegistryKey parent, UnregisterLevel& level);
    // An open key without subkeys or named values: deleted, then its clause and a block
    // it may have read over.
    HRESULT unregisterEmptyKey(RegistryKey parent, UnregisterLevel& level);
    // A key with subkeys or named values, or one not opened: its clause and block read,
    // then the key deleted if that left it without subkeys.
    HRESULT unregisterKeyWithContent(RegistryKey parent, int depth, UnregisterLevel& level);
    // Closes the item's key and deletes it, unless the level keeps its keys.
    HRESULT removeItemKey(RegistryKey parent, UnregisterLevel& level);
    HRESULT skipBlock();
    long deleteTree(RegistryKey parent, const char* name);

    bool hasSubKeys(RegistryKey key);
    bool hasNamedValues(RegistryKey key);
    bool isKeyword(const char* keyword) const;
    bool isProtected(const char* name) const;
    bool isUsableKeyName(const char* name) const;

    RegistryAccess& registry_;
    const CodePage& codePage_;
    TaskMemory& memory_;
    SubstitutionTable substitutions_;
    char* text_ = nullptr;            // the expanded script
    const char* position_ = nullptr;  // the read position in text_
    char token_[kTokenSize] = {};     // the current token
    char valueName_[kValueNameSize] = {};
};
