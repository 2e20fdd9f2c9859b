// The help page shipped beside TovakSetup.exe: well-formed markup (every element closed
// in order, attributes quoted, '&' only in entities, ids unique), UTF-8 as it declares,
// and the content the setup tool's users look for.
#include <cstddef>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string readHelpPage() {
    std::ifstream file(TOVAK_HELP_HTML, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool isValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t extra;
        if (c < 0x80) {
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
        } else {
            return false;
        }
        if (i + extra >= text.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

// Checks the markup; returns the first fault found, or an empty string.
class MarkupChecker {
public:
    explicit MarkupChecker(const std::string& text) : text_(text) {}

    std::string check() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '<') {
                if (!tag()) return fault_;
            } else if (c == '&') {
                if (!entity()) return fault_;
            } else {
                ++pos_;
            }
        }
        if (!open_.empty()) return "unclosed <" + open_.back() + ">";
        return std::string();
    }

    const std::set<std::string>& ids() const { return ids_; }

private:
    static bool isVoid(const std::string& name) {
        return name == "meta" || name == "br" || name == "hr" || name == "img" || name == "link";
    }

    bool fail(const std::string& what) {
        fault_ = what + " at byte " + std::to_string(pos_);
        return false;
    }

    bool entity() {
        const std::size_t end = text_.find(';', pos_);
        if (end == std::string::npos || end - pos_ > 8) return fail("bare '&'");
        const std::string name = text_.substr(pos_ + 1, end - pos_ - 1);
        static const std::set<std::string> known = {"amp", "lt", "gt", "quot", "nbsp"};
        if (!known.count(name) && name.rfind('#', 0) != 0) return fail("unknown entity &" + name);
        pos_ = end + 1;
        return true;
    }

    bool tag() {
        if (text_.compare(pos_, 4, "<!--") == 0) {
            const std::size_t end = text_.find("-->", pos_);
            if (end == std::string::npos) return fail("unterminated comment");
            pos_ = end + 3;
            return true;
        }
        if (text_.compare(pos_, 2, "<!") == 0) {
            const std::size_t end = text_.find('>', pos_);
            if (end == std::string::npos) return fail("unterminated declaration");
            pos_ = end + 1;
            return true;
        }
        const bool closing = text_.compare(pos_, 2, "</") == 0;
        pos_ += closing ? 2 : 1;
        const std::string name = word();
        if (name.empty()) return fail("'<' without an element name");
        if (closing) {
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != '>') return fail("bad </" + name);
            ++pos_;
            if (open_.empty() || open_.back() != name) {
                return fail("</" + name + "> closes <" + (open_.empty() ? "" : open_.back()) + ">");
            }
            open_.pop_back();
            return true;
        }
        for (;;) {
            skipSpace();
            if (pos_ >= text_.size()) return fail("unterminated <" + name);
            if (text_.compare(pos_, 2, "/>") == 0) {
                pos_ += 2;
                return true;
            }
            if (text_[pos_] == '>') {
                ++pos_;
                if (isVoid(name)) return true;
                if (name == "style" || name == "script") {
                    const std::size_t end = text_.find("</" + name + ">", pos_);
                    if (end == std::string::npos) return fail("unclosed <" + name + ">");
                    pos_ = end + name.size() + 3;
                    return true;
                }
                open_.push_back(name);
                return true;
            }
            const std::string attribute = word();
            if (attribute.empty()) return fail("bad attribute in <" + name + ">");
            if (text_.compare(pos_, 2, "=\"") != 0) {
                return fail("unquoted attribute " + attribute + " in <" + name + ">");
            }
            const std::size_t end = text_.find('"', pos_ + 2);
            if (end == std::string::npos) return fail("unterminated attribute value");
            const std::string value = text_.substr(pos_ + 2, end - pos_ - 2);
            if (attribute == "id" && !ids_.insert(value).second)
                return fail("duplicate id " + value);
            pos_ = end + 1;
        }
    }

    std::string word() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() &&
               (isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '-')) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    void skipSpace() {
        while (pos_ < text_.size() && isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
    std::vector<std::string> open_;
    std::set<std::string> ids_;
    std::string fault_;
};

TEST(HelpPage, IsWellFormedUtf8Japanese) {
    const std::string page = readHelpPage();
    ASSERT_FALSE(page.empty()) << "cannot read " << TOVAK_HELP_HTML;
    EXPECT_TRUE(isValidUtf8(page));
    EXPECT_EQ(0u, page.find("<!DOCTYPE html>"));
    EXPECT_NE(std::string::npos, page.find("<html lang=\"ja\">"));
    EXPECT_NE(std::string::npos, page.find("<meta charset=\"utf-8\" />"));
    MarkupChecker checker(page);
    EXPECT_EQ("", checker.check());
    for (const char* id : {"about", "install", "uninstall", "check", "commands", "trouble"}) {
        EXPECT_TRUE(checker.ids().count(id)) << "no section " << id;
    }
}

TEST(HelpPage, NamesTheCommandsAndTheSetupToolsButtons) {
    const std::string page = readHelpPage();
    for (const char* text :
         {u8"ファイル名をコピー", u8"フルパスをコピー", u8"Tovak をインストール",
          u8"Tovak をアンインストール", u8"CR LF", u8"DllRegisterServer in tovak.dll succeeded.",
          u8"DllUnregisterServer in tovak.dll succeeded.", "F1", u8"管理者の権限がないとき",
          "regsvr32 /c /n /i:user tovak.dll", "regsvr32 /c /u /n /i:user tovak.dll"}) {
        EXPECT_NE(std::string::npos, page.find(text)) << text;
    }
}

TEST(MarkupChecker, FindsTheFaultsItIsFor) {
    const char* broken[] = {"<p><b>x</p></b>",  "<p>a & b</p>",
                            "<p class=x>y</p>", "<p id=\"a\"></p><p id=\"a\"></p>",
                            "<ul><li>x</li>",   "<p>&bogus;</p>"};
    for (const char* text : broken) {
        const std::string page = text;
        EXPECT_NE("", MarkupChecker(page).check()) << text;
    }
    const std::string good = "<p id=\"a\">x &amp; <br/><b>y</b></p><meta charset=\"utf-8\">";
    EXPECT_EQ("", MarkupChecker(good).check());
}

}  // namespace
