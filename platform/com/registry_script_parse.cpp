// Tokenizer and recursive-descent parser of the registry-script language:
//
//     script  := (ROOT '{' body '}')*
//     body    := (entry)*
//     entry   := 'val' name '=' type 'text'
//              | [NoRemove | ForceRemove | Delete] name ['=' type 'text'] ['{' body '}']
//     name    := word | 'quoted'        type := s | d
//
// Words are runs of non-blank characters ("{9c1...}" is a name, a lone "{" opens a
// block); quoted strings use '' for a quote inside. Keywords are only recognised
// unquoted, so 'val' in quotes is a key named val.
#include <cctype>

#include "platform/com/registry_script.h"

namespace quillet::reg {

namespace {

struct Token {
    enum Kind { Word, Quoted, Open, Close, Equals, End } kind = End;
    std::string text;
    int line = 1;
};

class Tokenizer {
public:
    Tokenizer(std::string_view text, const RegistryReplacement* replacements, size_t count)
        : m_text(text), m_replacements(replacements), m_count(count) {}

    // Splits the whole text; false with error set when a token is malformed.
    bool Run(std::vector<Token>& tokens, std::string& error) {
        for (;;) {
            SkipBlanks();
            Token token;
            token.line = m_line;
            if (m_pos >= m_text.size()) {
                tokens.push_back(token);
                return true;
            }
            if (m_text[m_pos] == '\'') {
                token.kind = Token::Quoted;
                if (!ReadQuoted(token.text)) return Fail(error, "unterminated string");
            } else {
                size_t start = m_pos;
                while (m_pos < m_text.size() && !IsBlank(m_text[m_pos])) ++m_pos;
                token.text = std::string(m_text.substr(start, m_pos - start));
                token.kind = token.text == "{" ? Token::Open
                           : token.text == "}" ? Token::Close
                           : token.text == "=" ? Token::Equals
                                               : Token::Word;
            }
            if (token.kind == Token::Word || token.kind == Token::Quoted) {
                std::string what;
                if (!Replace(token.text, what)) return Fail(error, what);
            }
            tokens.push_back(std::move(token));
        }
    }

private:
    static bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

    bool Fail(std::string& error, const std::string& what) const {
        error = "line " + std::to_string(m_line) + ": " + what;
        return false;
    }

    void SkipBlanks() {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) {
            if (m_text[m_pos] == '\n') ++m_line;
            ++m_pos;
        }
    }

    // A string in single quotes on one line; '' stands for one quote.
    bool ReadQuoted(std::string& out) {
        for (++m_pos; m_pos < m_text.size(); ++m_pos) {
            char c = m_text[m_pos];
            if (c == '\n') return false;
            if (c == '\'') {
                if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\'') {
                    out += '\'';
                    ++m_pos;
                    continue;
                }
                ++m_pos;
                return true;
            }
            out += c;
        }
        return false;
    }

    // Replaces %NAME% by its value and %% by a percent sign.
    bool Replace(std::string& text, std::string& what) const {
        if (text.find('%') == std::string::npos) return true;
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '%') {
                out += text[i];
                continue;
            }
            size_t close = text.find('%', i + 1);
            if (close == std::string::npos) {
                what = "unterminated replacement in \"" + text + "\"";
                return false;
            }
            std::string_view name(text.data() + i + 1, close - i - 1);
            if (name.empty()) {
                out += '%';
            } else {
                const char* value = Lookup(name);
                if (!value) {
                    what = "unknown replacement %" + std::string(name) + "%";
                    return false;
                }
                out += value;
            }
            i = close;
        }
        text = std::move(out);
        return true;
    }

    const char* Lookup(std::string_view name) const {
        for (size_t i = 0; i < m_count; ++i)
            if (NamesEqual(name, m_replacements[i].name)) return m_replacements[i].value;
        return nullptr;
    }

    std::string_view m_text;
    const RegistryReplacement* m_replacements;
    size_t m_count;
    size_t m_pos = 0;
    int m_line = 1;
};

class Parser {
public:
    Parser(std::vector<Token> tokens, std::string& error) : m_tokens(std::move(tokens)), m_error(error) {}

    bool Run(Script& script) {
        while (Peek().kind != Token::End) {
            const Token& rootToken = Next();
            auto root = rootToken.kind == Token::Word ? RootFromName(rootToken.text) : std::nullopt;
            if (!root) return Fail(rootToken, "expected a root key (HKCR, HKLM, HKCU), found \"" + rootToken.text + "\"");
            if (Next().kind != Token::Open) return Fail(Previous(), "expected '{' after the root key");
            ScriptRoot& entry = script.roots.emplace_back();
            entry.root = *root;
            if (!ParseBody(entry.subkeys, entry.values, 1)) return false;
        }
        return true;
    }

private:
    const Token& Peek() const { return m_tokens[m_pos]; }
    const Token& Next() { return m_tokens[m_pos < m_tokens.size() - 1 ? m_pos++ : m_pos]; }
    const Token& Previous() const { return m_tokens[m_pos > 0 ? m_pos - 1 : 0]; }

    bool Fail(const Token& at, const std::string& what) {
        m_error = "line " + std::to_string(at.line) + ": " + what;
        return false;
    }

    static bool IsKeyword(const Token& t, const char* word) {
        return t.kind == Token::Word && NamesEqual(t.text, word);
    }

    // Entries up to and including the closing brace.
    bool ParseBody(std::vector<ScriptKey>& keys, std::vector<ScriptValue>& values, size_t depth) {
        if (depth > kMaxKeyDepth) return Fail(Previous(), "keys nested too deep");
        for (;;) {
            const Token& t = Next();
            if (t.kind == Token::Close) return true;
            if (t.kind == Token::End) return Fail(t, "missing '}' at the end of the script");
            if (IsKeyword(t, "val")) {
                ScriptValue& value = values.emplace_back();
                if (!ParseName(value.name, false) || !ParseAssignment(value.data)) return false;
                continue;
            }
            ScriptKey& key = keys.emplace_back();
            if (IsKeyword(t, "NoRemove")) key.mode = ScriptKeyMode::NoRemove;
            else if (IsKeyword(t, "ForceRemove")) key.mode = ScriptKeyMode::ForceRemove;
            else if (IsKeyword(t, "Delete")) key.mode = ScriptKeyMode::Delete;
            else --m_pos;  // t is the key's name
            if (!ParseName(key.name, true)) return false;
            if (Peek().kind == Token::Equals) {
                ScriptData data;
                if (!ParseAssignment(data)) return false;
                key.defaultValue = std::move(data);
            }
            if (Peek().kind == Token::Open) {
                Next();
                if (!ParseBody(key.subkeys, key.values, depth + 1)) return false;
            }
        }
    }

    bool ParseName(std::string& name, bool isKey) {
        const Token& t = Next();
        if (t.kind != Token::Word && t.kind != Token::Quoted)
            return Fail(t, isKey ? "expected a key name" : "expected a value name after 'val'");
        bool valid = isKey ? IsValidKeyName(t.text) : IsValidValueName(t.text);
        if (!valid) return Fail(t, "invalid name \"" + t.text + "\"");
        name = t.text;
        return true;
    }

    // "= s 'text'" or "= d 'number'".
    bool ParseAssignment(ScriptData& data) {
        if (Next().kind != Token::Equals) return Fail(Previous(), "expected '='");
        const Token& type = Next();
        if (type.kind != Token::Word) return Fail(type, "expected a value type (s or d)");
        bool isString = NamesEqual(type.text, "s");
        if (!isString && !NamesEqual(type.text, "d"))
            return Fail(type, "unsupported value type \"" + type.text + "\"");
        const Token& text = Next();
        if (text.kind != Token::Quoted) return Fail(text, "expected a quoted value");
        if (isString) {
            data.type = REG_SZ;
            data.bytes = text.text;
            return true;
        }
        DWORD number = 0;
        if (!ParseNumber(text.text, number)) return Fail(text, "bad number '" + text.text + "'");
        data.type = REG_DWORD;
        data.bytes = DwordBytes(number);
        return true;
    }

    // Decimal, or hexadecimal after 0x; must fit 32 bits.
    static bool ParseNumber(const std::string& s, DWORD& out) {
        uint64_t value = 0;
        bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
        size_t start = hex ? 2 : 0;
        if (s.size() <= start) return false;
        for (size_t i = start; i < s.size(); ++i) {
            int digit = std::isdigit(static_cast<unsigned char>(s[i])) ? s[i] - '0'
                      : (hex && std::isxdigit(static_cast<unsigned char>(s[i])))
                          ? std::tolower(static_cast<unsigned char>(s[i])) - 'a' + 10
                          : -1;
            if (digit < 0) return false;
            value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
            if (value > 0xFFFFFFFFull) return false;
        }
        out = static_cast<DWORD>(value);
        return true;
    }

    std::vector<Token> m_tokens;
    std::string& m_error;
    size_t m_pos = 0;
};

}  // namespace

bool ParseRegistryScript(std::string_view text, const RegistryReplacement* replacements, size_t replacementCount,
                         Script& script, std::string& error) {
    std::vector<Token> tokens;
    if (!Tokenizer(text, replacements, replacementCount).Run(tokens, error)) return false;
    return Parser(std::move(tokens), error).Run(script);
}

}  // namespace quillet::reg
