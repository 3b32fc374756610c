#include "platform/com/registry_file.h"

#include <cstdio>
#include <vector>

namespace quillet::reg {

namespace {

constexpr DWORD kRegBinary = 3;

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    return s;
}
std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}
std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

// The file's text quoted in a message, cut to a length a reader takes in at a glance.
std::string Shortened(std::string_view s) {
    constexpr size_t kLongest = 60;
    return s.size() <= kLongest ? std::string(s) : std::string(s.substr(0, kLongest)) + "...";
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && NamesEqual(s.substr(0, prefix.size()), prefix);
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// hex(1) data back to text: up to the first NUL unit. Units below 0x100 are the bytes
// this writer widened; larger ones (from files written elsewhere) become UTF-8.
std::string TextFromUtf16(const std::string& bytes) {
    std::string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit == 0) break;
        if (unit < 0x100) {
            text += static_cast<char>(unit);
            continue;
        }
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            uint32_t low = static_cast<unsigned char>(bytes[i + 2]) | (static_cast<unsigned char>(bytes[i + 3]) << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(text, unit);
    }
    return text;
}

class Parser {
public:
    Parser(std::string_view text, Tree& tree, RegFileError& error) : m_tree(tree), m_error(error) {
        // A byte-order mark of UTF-16, or a zero byte among the first two (what UTF-16
        // makes of ASCII): text this reader cannot take, said at once.
        m_utf16 = text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF") ||
                  text.substr(0, 2).find('\0') != std::string_view::npos;
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            m_lines.push_back(line);
            start = end + 1;
        }
    }

    bool Run() {
        if (m_utf16) return Fail("the file is UTF-16 text; registry files are read as UTF-8 (ASCII included)");
        bool sawHeader = false;
        for (m_index = 0; m_index < m_lines.size(); ++m_index) {
            std::string_view line = Trim(m_lines[m_index]);
            if (line.empty() || line.front() == ';') continue;
            if (!sawHeader) {
                if (line != kRegFileHeader) return Fail("missing header \"" + std::string(kRegFileHeader) + "\"");
                sawHeader = true;
                continue;
            }
            bool ok = line.front() == '[' ? ParseSection(line) : ParseValue(line);
            if (!ok) return false;
        }
        return true;
    }

private:
    int LineNumber() const { return static_cast<int>(m_index) + 1; }

    bool Fail(std::string what) {
        m_error.line = LineNumber();
        m_error.what = std::move(what);
        return false;
    }

    bool ParseSection(std::string_view line) {
        if (line.back() != ']') return Fail("section header without closing ']'");
        std::string_view path = line.substr(1, line.size() - 2);
        if (!path.empty() && path.front() == '-') return Fail("key deletion entries are not supported");
        size_t slash = path.find('\\');
        std::string_view rootName = path.substr(0, slash);
        // The file names roots in full only; the short forms belong to scripts.
        auto root = StartsWithNoCase(rootName, "HKEY_") ? RootFromName(rootName) : std::nullopt;
        if (!root) return Fail("unknown root key \"" + Shortened(rootName) + "\"");
        KeyPath parts;
        if (slash != std::string_view::npos) {
            std::string_view rest = path.substr(slash + 1);
            if (rest.empty() || rest.back() == '\\' || rest.find("\\\\") != std::string_view::npos)
                return Fail("empty key name in section header");
            if (!AppendKeyPath(rest, parts)) return Fail("invalid key name in section header");
        }
        m_current = &m_tree.Create(*root, parts);
        return true;
    }

    // A quoted string starting at s[i] == '"'; i ends past the closing quote.
    bool ParseQuoted(std::string_view s, size_t& i, std::string& out) {
        for (++i; i < s.size(); ++i) {
            char c = s[i];
            if (c == '"') {
                ++i;
                return true;
            }
            // Text ends at its first NUL when it is read: one inside quotes would be
            // lost at the next save, so it is refused here.
            if (c == '\0') return Fail("a NUL character inside a string");
            if (c == '\\') {
                if (i + 1 >= s.size()) break;
                char next = s[++i];
                if (next != '\\' && next != '"') return Fail(std::string("unknown escape '\\") + next + "'");
                out += next;
                continue;
            }
            out += c;
        }
        return Fail("unterminated string");
    }

    bool ParseValue(std::string_view line) {
        if (!m_current) return Fail("value outside of a key section");
        std::string name;
        size_t i = 0;
        if (line.front() == '@') {
            i = 1;
        } else if (line.front() == '"') {
            if (!ParseQuoted(line, i, name)) return false;
            if (!IsValidValueName(name)) return Fail("invalid value name");
        } else {
            return Fail("expected a value name or a section header");
        }
        std::string_view rest = TrimLeft(line.substr(i));
        if (rest.empty() || rest.front() != '=') return Fail("expected '=' after the value name");
        rest = TrimLeft(rest.substr(1));

        if (!rest.empty() && rest.front() == '"') {
            std::string text;
            size_t j = 0;
            if (!ParseQuoted(rest, j, text)) return false;
            if (!Trim(rest.substr(j)).empty()) return Fail("unexpected text after the string");
            m_current->SetValue(name, REG_SZ, std::move(text));
            return true;
        }
        if (StartsWithNoCase(rest, "dword:")) {
            std::string_view digits = Trim(rest.substr(6));
            if (digits.size() != 8) return Fail("dword value needs 8 hex digits");
            DWORD value = 0;
            for (char c : digits) {
                int v = HexValue(c);
                if (v < 0) return Fail("dword value needs 8 hex digits");
                value = (value << 4) | static_cast<DWORD>(v);
            }
            m_current->SetValue(name, REG_DWORD, DwordBytes(value));
            return true;
        }
        if (StartsWithNoCase(rest, "hex")) return ParseHex(name, rest.substr(3));
        if (rest == "-") return Fail("value deletion entries are not supported");
        return Fail("unknown value format");
    }

    // "hex:aa,bb" or "hex(N):aa,bb", possibly continued over lines ending in '\'.
    bool ParseHex(const std::string& name, std::string_view rest) {
        DWORD type = kRegBinary;
        if (!rest.empty() && rest.front() == '(') {
            size_t close = rest.find(')');
            if (close == std::string_view::npos || close == 1 || close > 9) return Fail("bad hex value type");
            type = 0;
            for (char c : rest.substr(1, close - 1)) {
                int v = HexValue(c);
                if (v < 0) return Fail("bad hex value type");
                type = (type << 4) | static_cast<DWORD>(v);
            }
            rest.remove_prefix(close + 1);
        }
        if (rest.empty() || rest.front() != ':') return Fail("expected ':' after hex");
        std::string list(Trim(rest.substr(1)));
        while (!list.empty() && list.back() == '\\') {
            list.pop_back();
            if (m_index + 1 >= m_lines.size()) return Fail("hex value continues past the end of the file");
            ++m_index;
            list += Trim(m_lines[m_index]);
        }
        std::string bytes;
        std::string_view items = Trim(list);
        while (!items.empty()) {
            size_t comma = items.find(',');
            std::string_view item = Trim(items.substr(0, comma));
            if (item.size() != 2 || HexValue(item[0]) < 0 || HexValue(item[1]) < 0)
                return Fail("bad byte in hex value");
            bytes += static_cast<char>(HexValue(item[0]) * 16 + HexValue(item[1]));
            if (comma == std::string_view::npos) break;
            items = items.substr(comma + 1);
            if (Trim(items).empty()) return Fail("bad byte in hex value");
        }
        if (type == REG_SZ) {
            if (bytes.size() % 2 != 0) return Fail("string data of odd length");
            m_current->SetValue(name, REG_SZ, TextFromUtf16(bytes));
        } else {
            m_current->SetValue(name, type, std::move(bytes));
        }
        return true;
    }

    Tree& m_tree;
    RegFileError& m_error;
    std::vector<std::string_view> m_lines;
    size_t m_index = 0;
    Key* m_current = nullptr;
    bool m_utf16 = false;
};

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

void AppendHexBytes(std::string& out, std::string_view bytes) {
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(bytes[i]));
        if (i) out += ',';
        out += buf;
    }
}

bool HasControlCharacters(std::string_view text) { return !IsValidValueName(text); }

void AppendValue(std::string& out, const Value& value) {
    if (value.name.empty())
        out += '@';
    else
        AppendQuoted(out, value.name);
    out += '=';
    if (value.type == REG_SZ && !HasControlCharacters(value.data)) {
        AppendQuoted(out, value.data);
    } else if (value.type == REG_SZ) {
        std::string wide;
        for (char c : value.data) {
            wide += c;
            wide += '\0';
        }
        wide.append(2, '\0');
        out += "hex(1):";
        AppendHexBytes(out, wide);
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(DwordFromBytes(value.data)));
        out += buf;
    } else if (value.type == kRegBinary) {
        out += "hex:";
        AppendHexBytes(out, value.data);
    } else {
        char buf[24];
        std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(value.type));
        out += buf;
        AppendHexBytes(out, value.data);
    }
    out += '\n';
}

void AppendSection(std::string& out, const std::string& path, const Key& key) {
    out += '[';
    out += path;
    out += "]\n";
    key.ForEachValue([&](const Value& v) { AppendValue(out, v); });
    out += '\n';
}

void AppendKey(std::string& out, const std::string& parentPath, const Key& key) {
    std::string path = parentPath + '\\' + key.Name();
    AppendSection(out, path, key);
    key.ForEachChild([&](const Key& child) { AppendKey(out, path, child); });
}

}  // namespace

bool ParseRegFile(std::string_view text, Tree& tree, RegFileError& error) {
    return Parser(text, tree, error).Run();
}

std::string FormatRegFile(const Tree& tree) {
    std::string out = kRegFileHeader;
    out += "\n\n";
    for (int r = 0; r < kRootCount; ++r) {
        Root root = static_cast<Root>(r);
        const Key& rootKey = tree.RootKey(root);
        std::string rootName = RootLongName(root);
        if (rootKey.ValueCount() > 0) AppendSection(out, rootName, rootKey);
        rootKey.ForEachChild([&](const Key& child) { AppendKey(out, rootName, child); });
    }
    return out;
}

}  // namespace quillet::reg
