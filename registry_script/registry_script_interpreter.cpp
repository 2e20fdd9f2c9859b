#include "registry_script/registry_script_interpreter.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "registry_script/unsigned_from_text.h"

namespace {

struct RootKeyName {
    const char* name;
    RegistryKey key;
};

// Tried in this order.
constexpr RootKeyName kRootKeys[] = {
    {"HKCR", kClassesRoot},
    {"HKCU", kCurrentUser},
    {"HKLM", kLocalMachine},
    {"HKU", kUsers},
    {"HKPD", kPerformanceData},
    {"HKDD", kDynData},
    {"HKCC", kCurrentConfig},
    {"HKEY_CLASSES_ROOT", kClassesRoot},
    {"HKEY_CURRENT_USER", kCurrentUser},
    {"HKEY_LOCAL_MACHINE", kLocalMachine},
    {"HKEY_USERS", kUsers},
    {"HKEY_PERFORMANCE_DATA", kPerformanceData},
    {"HKEY_DYN_DATA", kDynData},
    {"HKEY_CURRENT_CONFIG", kCurrentConfig},
};

// Keys that ForceRemove and Delete never remove when registering.
constexpr const char* kProtectedKeyNames[] = {"CLSID", "TYPELIB"};

enum class ValueType { kString, kDword, kBinary };

struct ValueTypeName {
    const char* name;
    ValueType type;
};

constexpr ValueTypeName kValueTypes[] = {
    {"S", ValueType::kString},
    {"D", ValueType::kDword},
    {"B", ValueType::kBinary},
};

bool isWhitespace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

unsigned char hexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned char>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<unsigned char>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<unsigned char>(c - 'a' + 10);
    return 0;
}

// The expansion output: task memory that doubles when full.
class ExpansionBuffer {
public:
    ExpansionBuffer(TaskMemory& memory) : memory_(memory) {}
    ~ExpansionBuffer() {
        if (data_) memory_.release(data_);
    }
    ExpansionBuffer(const ExpansionBuffer&) = delete;
    ExpansionBuffer& operator=(const ExpansionBuffer&) = delete;

    bool reserve(std::size_t capacity) {
        data_ = static_cast<char*>(memory_.allocate(capacity));
        capacity_ = data_ ? capacity : 0;
        return data_ != nullptr;
    }

    bool append(const char* bytes, std::size_t length) {
        while (capacity_ - used_ < length) {
            if (capacity_ > static_cast<std::size_t>(-1) / 2) return false;
            void* grown = memory_.reallocate(data_, capacity_ * 2);
            if (!grown) return false;
            data_ = static_cast<char*>(grown);
            capacity_ *= 2;
        }
        std::memcpy(data_ + used_, bytes, length);
        used_ += length;
        return true;
    }

    char* take() {
        char* data = data_;
        data_ = nullptr;
        return data;
    }

private:
    TaskMemory& memory_;
    char* data_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;
};

}  // namespace

// The block's current key: closed when replaced and when the block walk ends.
class RegistryScriptInterpreter::OpenKey {
public:
    explicit OpenKey(RegistryAccess& registry) : registry_(registry) {}
    ~OpenKey() { close(); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    RegistryKey get() const { return key_; }

    long close() {
        if (!open_) return registry_status::kSuccess;
        open_ = false;
        return registry_.closeKey(key_);
    }

    // Holds `key` and closes the one held before; the result of that close.
    long replace(RegistryKey key) {
        const long closed = close();
        key_ = key;
        open_ = true;
        return closed;
    }

private:
    RegistryAccess& registry_;
    RegistryKey key_ = kNoRegistryKey;
    bool open_ = false;
};

RegistryScriptInterpreter::RegistryScriptInterpreter(RegistryAccess& registry,
                                                     const CodePage& codePage, TaskMemory& memory)
    : registry_(registry), codePage_(codePage), memory_(memory), substitutions_(memory, codePage) {}

RegistryScriptInterpreter::~RegistryScriptInterpreter() { releaseText(); }

void RegistryScriptInterpreter::releaseText() {
    if (text_) memory_.release(text_);
    text_ = nullptr;
    position_ = nullptr;
}

HRESULT RegistryScriptInterpreter::expand(const char* text) {
    const std::size_t length = std::strlen(text);
    if (length > static_cast<std::size_t>(-1) / 4) return E_OUTOFMEMORY;
    ExpansionBuffer output(memory_);
    if (!output.reserve(length < 1 ? 2 : length * 2)) return E_OUTOFMEMORY;

    const char* p = text;
    while (*p) {
        if (*p != '%') {
            const char* next = codePage_.Next(p);
            if (!output.append(p, static_cast<std::size_t>(next - p))) return E_OUTOFMEMORY;
            p = next;
            continue;
        }
        if (p[1] == '%') {
            if (!output.append("%", 1)) return E_OUTOFMEMORY;
            p += 2;
            continue;
        }
        const char* nameStart = p + 1;
        const char* end = nameStart;
        while (*end && *end != '%') end = codePage_.Next(end);
        if (!*end) return DISP_E_EXCEPTION;
        const auto nameLength = static_cast<std::size_t>(end - nameStart);
        if (nameLength > kMaxVariableName) return E_FAIL;
        char name[kMaxVariableName + 1];
        std::memcpy(name, nameStart, nameLength);
        name[nameLength] = '\0';
        const char16_t* value = substitutions_.find(name);
        if (!value) return DISP_E_EXCEPTION;
        std::string ansi;
        if (!codePage_.FromWide(value, std::char_traits<char16_t>::length(value), ansi) ||
            !output.append(ansi.data(), ansi.size())) {
            return E_OUTOFMEMORY;
        }
        p = end + 1;
    }
    if (!output.append("", 1)) return E_OUTOFMEMORY;
    releaseText();
    text_ = output.take();
    position_ = text_;
    return S_OK;
}

void RegistryScriptInterpreter::skipWhitespace() {
    while (isWhitespace(*position_)) position_ = codePage_.Next(position_);
}

HRESULT RegistryScriptInterpreter::readToken(char* buffer, std::size_t size) {
    buffer[0] = '\0';
    skipWhitespace();
    if (!*position_) return DISP_E_EXCEPTION;
    std::size_t used = 0;
    if (*position_ == '\'') {
        ++position_;
        for (;;) {
            if (!*position_) {
                buffer[0] = '\0';
                return DISP_E_EXCEPTION;
            }
            if (*position_ == '\'') {
                if (position_[1] != '\'') {
                    ++position_;
                    break;
                }
                ++position_;  // a doubled quote stands for the one that follows
            }
            const char* next = codePage_.Next(position_);
            const auto length = static_cast<std::size_t>(next - position_);
            if (used + 2 >= kTokenSize || used + length + 1 > size) {
                buffer[0] = '\0';
                return DISP_E_EXCEPTION;
            }
            std::memcpy(buffer + used, position_, length);
            used += length;
            position_ = next;
        }
    } else {
        while (*position_ && !isWhitespace(*position_)) {
            const char* next = codePage_.Next(position_);
            const auto length = static_cast<std::size_t>(next - position_);
            if (used + length + 1 > size) {
                buffer[0] = '\0';
                return DISP_E_EXCEPTION;
            }
            std::memcpy(buffer + used, position_, length);
            used += length;
            position_ = next;
        }
    }
    buffer[used] = '\0';
    return S_OK;
}

HRESULT RegistryScriptInterpreter::readValueItemHead() {
    HRESULT hr = readToken(valueName_, kValueNameSize);
    if (SUCCEEDED(hr)) hr = readToken();
    if (FAILED(hr)) return hr;
    return token_[0] == '=' ? S_OK : DISP_E_EXCEPTION;
}

HRESULT RegistryScriptInterpreter::skipValueClause() {
    if (token_[0] != '=') return S_OK;
    HRESULT hr = readToken();             // type
    if (SUCCEEDED(hr)) hr = readToken();  // value
    if (SUCCEEDED(hr)) hr = readToken();
    return hr;
}

bool RegistryScriptInterpreter::isKeyword(const char* keyword) const {
    return codePage_.CompareNoCase(token_, keyword) == 0;
}

bool RegistryScriptInterpreter::isProtected(const char* name) const {
    for (const char* protectedName : kProtectedKeyNames) {
        if (codePage_.CompareNoCase(name, protectedName) == 0) return true;
    }
    return false;
}

// A key item names exactly one existing or new level: no backslash (a trail byte 0x5C
// is none), and not empty, which would name the parent itself.
bool RegistryScriptInterpreter::isUsableKeyName(const char* name) const {
    if (!*name) return false;
    for (const char* p = name; *p; p = codePage_.Next(p)) {
        if (*p == '\\') return false;
    }
    return true;
}

HRESULT RegistryScriptInterpreter::writeValue(RegistryKey key, const char* name) {
    HRESULT hr = readToken();
    if (FAILED(hr)) return hr;
    const ValueTypeName* type = nullptr;
    for (const ValueTypeName& candidate : kValueTypes) {
        if (isKeyword(candidate.name)) type = &candidate;
    }
    if (!type) return DISP_E_EXCEPTION;
    hr = readToken();
    if (FAILED(hr)) return hr;

    switch (type->type) {
        case ValueType::kString:
            registry_.setValue(key, name, registry_type::kString,
                               reinterpret_cast<const unsigned char*>(token_),
                               static_cast<std::uint32_t>(std::strlen(token_) + 1));
            break;
        case ValueType::kDword: {
            std::uint32_t number = 0;
            std::u16string wide;
            if (!codePage_.ToWide(token_, std::strlen(token_), wide)) return E_OUTOFMEMORY;
            // A text that is no unsigned 32-bit number is refused, not written as 0.
            if (FAILED(unsignedFromText(wide.c_str(), &number))) return DISP_E_EXCEPTION;
            unsigned char data[sizeof number];
            std::memcpy(data, &number, sizeof number);
            registry_.setValue(key, name, registry_type::kDword, data, sizeof data);
            break;
        }
        case ValueType::kBinary: {
            const std::size_t length = std::strlen(token_);
            if (length % 2 != 0) return E_FAIL;
            unsigned char data[kTokenSize / 2];
            for (std::size_t i = 0; i < length / 2; ++i) {
                data[i] = static_cast<unsigned char>(hexDigit(token_[2 * i]) << 4 |
                                                     hexDigit(token_[2 * i + 1]));
            }
            registry_.setValue(key, name, registry_type::kBinary, data,
                               static_cast<std::uint32_t>(length / 2));
            break;
        }
    }
    return readToken();
}

long RegistryScriptInterpreter::deleteTree(RegistryKey parent, const char* name) {
    RegistryKey key = kNoRegistryKey;
    const long opened = registry_.openKey(parent, name, registry_access::kReadWrite, &key);
    if (opened != registry_status::kSuccess) return opened;
    OpenKey holder(registry_);
    holder.replace(key);
    char subKey[kSubKeyNameSize];
    while (registry_.enumKey(key, 0, subKey, sizeof subKey) == registry_status::kSuccess) {
        const long deleted = deleteTree(key, subKey);
        if (deleted != registry_status::kSuccess) return deleted;
    }
    holder.close();
    return registry_.deleteKey(parent, name);
}

bool RegistryScriptInterpreter::hasSubKeys(RegistryKey key) {
    std::uint32_t subKeys = 0, values = 0;
    return registry_.queryInfo(key, &subKeys, &values) == registry_status::kSuccess && subKeys > 0;
}

bool RegistryScriptInterpreter::hasNamedValues(RegistryKey key) {
    std::uint32_t subKeys = 0, values = 0;
    if (registry_.queryInfo(key, &subKeys, &values) != registry_status::kSuccess) return false;
    if (values >= 2) return true;
    if (values == 0) return false;
    char name[kTokenSize];
    name[0] = '\0';
    // A value that cannot be read is taken for a named one: the key's block is then
    // walked before the key goes.
    if (registry_.enumValue(key, 0, name, sizeof name) != registry_status::kSuccess) return true;
    return name[0] != '\0';
}

HRESULT RegistryScriptInterpreter::readNextItemToken() {
    const HRESULT hr = readToken();
    return SUCCEEDED(hr) ? skipValueClause() : hr;
}

HRESULT RegistryScriptInterpreter::readRemoveKeyword(ItemKeywords& keywords) {
    keywords.deletes = isKeyword("Delete");
    keywords.removes = keywords.deletes || isKeyword("ForceRemove");
    return keywords.removes ? readToken() : S_OK;
}

HRESULT RegistryScriptInterpreter::readKeepKeyword(ItemKeywords& keywords) {
    keywords.keeps = isKeyword("NoRemove");
    return keywords.keeps ? readToken() : S_OK;
}

HRESULT RegistryScriptInterpreter::readItemKeywords(ItemKeywords& keywords) {
    const HRESULT hr = readRemoveKeyword(keywords);
    return SUCCEEDED(hr) ? readKeepKeyword(keywords) : hr;
}

HRESULT RegistryScriptInterpreter::openOrCreateKey(RegistryKey parent, OpenKey& current) {
    RegistryKey key = kNoRegistryKey;
    bool created = false;
    if (registry_.openKey(parent, token_, registry_access::kAllAccess, &key) !=
            registry_status::kSuccess &&
        registry_.openKey(parent, token_, registry_access::kRead, &key) !=
            registry_status::kSuccess) {
        if (registry_.createKey(parent, token_, registry_access::kAllAccess, &key) !=
            registry_status::kSuccess) {
            return DISP_E_EXCEPTION;
        }
        created = true;
    }
    if (current.replace(key) != registry_status::kSuccess && created) return DISP_E_EXCEPTION;
    return S_OK;
}

HRESULT RegistryScriptInterpreter::walkRegister(RegistryKey parent, int depth) {
    if (depth > kMaxBlockDepth) return DISP_E_EXCEPTION;
    OpenKey current(registry_);
    HRESULT hr = readToken();
    if (FAILED(hr)) return hr;
    while (token_[0] != '}') {
        ItemKeywords keywords;
        hr = readRemoveKeyword(keywords);
        if (FAILED(hr)) return hr;
        // A block right after a Delete or value item belongs to no key of its own.
        bool itemHasKey = true;
        if (keywords.removes) {
            if (!isUsableKeyName(token_)) return DISP_E_EXCEPTION;
            if (!isProtected(token_)) deleteTree(parent, token_);
            if (keywords.deletes) {
                itemHasKey = false;
                hr = readNextItemToken();
                if (FAILED(hr)) return hr;
            }
        }
        if (!keywords.deletes) {
            hr = readKeepKeyword(keywords);
            if (FAILED(hr)) return hr;
            if (isKeyword("Val")) {
                itemHasKey = false;
                hr = readValueItemHead();
                if (SUCCEEDED(hr)) hr = writeValue(parent, valueName_);
                if (FAILED(hr)) return hr;
            } else {
                if (!isUsableKeyName(token_)) return DISP_E_EXCEPTION;
                hr = openOrCreateKey(parent, current);
                if (SUCCEEDED(hr)) hr = readToken();
                if (SUCCEEDED(hr) && token_[0] == '=') hr = writeValue(current.get(), nullptr);
                if (FAILED(hr)) return hr;
            }
        }
        if (std::strcmp(token_, "{") == 0) {
            if (!itemHasKey) return DISP_E_EXCEPTION;
            hr = walkRegister(current.get(), depth + 1);
            if (SUCCEEDED(hr)) hr = readToken();
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

// The current key item's name, for its deletion after its block. Names of every usual
// length stay on the stack, so that running out of memory cannot stop an unregistration
// half-way; only a longer name (a double-byte name of up to 255 characters takes up to
// 510 bytes) is held on the heap.
class RegistryScriptInterpreter::KeyName {
public:
    KeyName() = default;
    KeyName(const KeyName&) = delete;
    KeyName& operator=(const KeyName&) = delete;

    const char* get() const { return name_; }

    HRESULT assign(const char* name) {
        const std::size_t length = std::strlen(name);
        if (length < kShortKeyNameSize) {
            std::memcpy(short_, name, length + 1);
            name_ = short_;
            return S_OK;
        }
        long_.reset(new (std::nothrow) char[length + 1]);
        if (!long_) return E_OUTOFMEMORY;
        std::memcpy(long_.get(), name, length + 1);
        name_ = long_.get();
        return S_OK;
    }

private:
    char short_[kShortKeyNameSize] = {};
    std::unique_ptr<char[]> long_;
    const char* name_ = short_;
};

// What the unregister walk of one level carries from item to item.
struct RegistryScriptInterpreter::UnregisterLevel {
    explicit UnregisterLevel(RegistryAccess& registry) : current(registry) {}

    // Skip mode: on once a key cannot be opened, until this level has read one block.
    bool skip = false;
    // Off for the rest of the level from its first NoRemove on.
    bool removal = true;
    OpenKey current;
    KeyName keyName;
};

HRESULT RegistryScriptInterpreter::walkUnregister(RegistryKey parent, int depth) {
    if (depth > kMaxBlockDepth) return DISP_E_EXCEPTION;
    UnregisterLevel level(registry_);
    HRESULT hr = readToken();
    if (FAILED(hr)) return hr;
    while (token_[0] != '}') {
        ItemKeywords keywords;
        hr = readItemKeywords(keywords);
        if (FAILED(hr)) return hr;
        if (keywords.keeps) level.removal = false;
        hr =
            isKeyword("Val") ? unregisterValue(parent, level) : unregisterKey(parent, depth, level);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT RegistryScriptInterpreter::unregisterValue(RegistryKey parent,
                                                   const UnregisterLevel& level) {
    const HRESULT hr = readValueItemHead();
    if (FAILED(hr)) return hr;
    if (!level.skip) registry_.deleteValue(parent, valueName_);
    return skipValueClause();
}

HRESULT RegistryScriptInterpreter::unregisterKey(RegistryKey parent, int depth,
                                                 UnregisterLevel& level) {
    // The name is kept whole, as long as the register walk accepts it.
    if (!isUsableKeyName(token_)) return DISP_E_EXCEPTION;
    const HRESULT hr = level.keyName.assign(token_);
    if (FAILED(hr)) return hr;
    if (!level.skip) openItemKey(parent, level);
    // Straight to the deletion when the key is open, empty of subkeys and of named
    // values; otherwise its clause and block are read first.
    const bool empty =
        !level.skip && !hasSubKeys(level.current.get()) && !hasNamedValues(level.current.get());
    return empty ? unregisterEmptyKey(parent, level)
                 : unregisterKeyWithContent(parent, depth, level);
}

void RegistryScriptInterpreter::openItemKey(RegistryKey parent, UnregisterLevel& level) {
    level.current.close();
    RegistryKey key = kNoRegistryKey;
    if (registry_.openKey(parent, level.keyName.get(), registry_access::kRead, &key) ==
        registry_status::kSuccess) {
        level.current.replace(key);
    } else {
        level.skip = true;
    }
}

HRESULT RegistryScriptInterpreter::unregisterEmptyKey(RegistryKey parent, UnregisterLevel& level) {
    HRESULT hr = removeItemKey(parent, level);
    if (SUCCEEDED(hr)) hr = readNextItemToken();
    if (SUCCEEDED(hr) && token_[0] == '{') {
        // The block of a key that is gone already: read over, nothing changed.
        hr = skipBlock();
        if (SUCCEEDED(hr)) hr = readNextItemToken();
    }
    return hr;
}

HRESULT RegistryScriptInterpreter::unregisterKeyWithContent(RegistryKey parent, int depth,
                                                            UnregisterLevel& level) {
    HRESULT hr = readNextItemToken();
    if (FAILED(hr)) return hr;
    bool blockWalked = false;
    if (token_[0] == '{') {
        if (level.skip) {
            // The first block this level reads ends skip mode.
            hr = skipBlock();
            if (FAILED(hr)) return hr;
            level.skip = false;
            return readNextItemToken();
        }
        hr = walkUnregister(level.current.get(), depth + 1);
        if (FAILED(hr)) return hr;
        blockWalked = true;
    }
    if (level.skip) return S_OK;
    if (hasSubKeys(level.current.get())) {
        // The key stays with what is left in it. Only a walked block leaves its closing
        // brace as the current token; otherwise the token read above already is the next
        // item.
        return blockWalked ? readToken() : S_OK;
    }
    hr = removeItemKey(parent, level);
    if (SUCCEEDED(hr) && blockWalked) hr = readNextItemToken();
    return hr;
}

HRESULT RegistryScriptInterpreter::removeItemKey(RegistryKey parent, UnregisterLevel& level) {
    if (level.current.close() != registry_status::kSuccess) return DISP_E_EXCEPTION;
    if (level.removal) registry_.deleteKey(parent, level.keyName.get());
    return S_OK;
}

// Reads a block in skip mode, as the unregister walk reads it while skip mode is on, up
// to its closing brace, changing nothing. Nested blocks are counted rather than
// recursed into, so no nesting depth of the text can exhaust the stack.
HRESULT RegistryScriptInterpreter::skipBlock() {
    std::size_t level = 1;
    HRESULT hr = readToken();
    while (SUCCEEDED(hr)) {
        if (token_[0] == '}') {
            if (--level == 0) return S_OK;
            // The end of a nested block: on with the item after it.
            hr = readNextItemToken();
            continue;
        }
        ItemKeywords keywords;
        hr = readItemKeywords(keywords);
        if (FAILED(hr)) return hr;
        if (isKeyword("Val")) {
            hr = readValueItemHead();
            if (FAILED(hr)) return hr;
            hr = skipValueClause();
            continue;
        }
        if (!isUsableKeyName(token_)) return DISP_E_EXCEPTION;
        hr = readNextItemToken();
        if (SUCCEEDED(hr) && token_[0] == '{') {
            ++level;
            hr = readToken();
        }
    }
    return hr;
}

HRESULT RegistryScriptInterpreter::applyText(const char* text, bool registering) {
    if (!text) return E_POINTER;
    HRESULT hr = expand(text);
    if (FAILED(hr)) return hr;
    while (*position_) {
        hr = readToken();
        if (FAILED(hr)) break;
        const RootKeyName* root = nullptr;
        for (const RootKeyName& candidate : kRootKeys) {
            if (isKeyword(candidate.name)) {
                root = &candidate;
                break;
            }
        }
        if (!root) {
            hr = DISP_E_EXCEPTION;
            break;
        }
        hr = readToken();
        if (FAILED(hr)) break;
        if (token_[0] != '{') {
            hr = DISP_E_EXCEPTION;
            break;
        }
        if (registering) {
            const char* blockStart = position_;
            hr = walkRegister(root->key, 1);
            if (FAILED(hr)) {
                // Undo what this root block made, as far as unregistering reaches.
                position_ = blockStart;
                walkUnregister(root->key, 1);
                break;
            }
        } else {
            hr = walkUnregister(root->key, 1);
            if (FAILED(hr)) break;
        }
        skipWhitespace();
    }
    releaseText();
    return hr;
}
