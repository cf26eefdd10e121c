#include "platform/afx/core/rc/rc_compiler.h"

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

#include "platform/afx/core/dib_qt.h"
#include "platform/win/codepage.h"
#include "platform/win/files.h"

namespace suite::rc {
namespace {

constexpr std::uint32_t kCursor = 1, kBitmap = 2, kIcon = 3, kMenu = 4, kDialog = 5, kString = 6,
                        kAccelerator = 9, kRcData = 10, kToolBar = 241;

struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class Tok { Name, Number, String, Punct };

struct Token {
    Tok kind;
    std::string text;  // name, punctuation, or the string's bytes after escapes
    std::int64_t value = 0;
};

struct Line {
    std::vector<Token> tokens;
    std::string file;
    int number = 0;
};

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Only regular files are read: a folder would read as empty, and a device or
// pipe might never end.
bool IsRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool ReadWhole(const std::string& path, std::string& out) {
    return IsRegularFile(path) && suite::ReadNativeFile(path, out);
}

// Splits text into lines of tokens, dropping comments and joining lines that
// end in ',' or '|'.
class Lexer {
public:
    Lexer(const std::string& text, const std::string& file) : m_text(text), m_file(file) {
        if (m_text.compare(0, 3, "\xEF\xBB\xBF") == 0) m_pos = 3;  // a UTF-8 byte-order mark
    }

    std::vector<Line> Lines() {
        std::vector<Line> lines;
        Line current{{}, m_file, 1};
        int lineNo = 1;
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            if (c == '\n') {
                ++m_pos;
                ++lineNo;
                bool continues = !current.tokens.empty() && current.tokens.back().kind == Tok::Punct &&
                                 (current.tokens.back().text == "," || current.tokens.back().text == "|");
                if (!continues) {
                    if (!current.tokens.empty()) lines.push_back(std::move(current));
                    current = Line{{}, m_file, lineNo};
                }
                continue;
            }
            if (c == '\\' && m_pos + 1 < m_text.size() && (m_text[m_pos + 1] == '\n' || m_text[m_pos + 1] == '\r')) {
                // A backslash at the end of a line (in #define) joins the next line.
                m_pos += m_text[m_pos + 1] == '\r' ? 2 : 1;
                if (m_pos < m_text.size() && m_text[m_pos] == '\n') ++m_pos;
                ++lineNo;
                continue;
            }
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++m_pos;
                continue;
            }
            if (c == '/' && Peek(1) == '/') {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n') ++m_pos;
                continue;
            }
            if (c == '/' && Peek(1) == '*') {
                m_pos += 2;
                while (m_pos < m_text.size() && !(m_text[m_pos] == '*' && Peek(1) == '/')) {
                    if (m_text[m_pos] == '\n') ++lineNo;
                    ++m_pos;
                }
                if (m_pos >= m_text.size()) Fail(lineNo, "unterminated comment");
                m_pos += 2;
                continue;
            }
            if (c == '"') {
                current.tokens.push_back(String(lineNo));
                continue;
            }
            if (std::isdigit(static_cast<unsigned char>(c))) {
                current.tokens.push_back(Number(lineNo));
                continue;
            }
            if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '#') {
                size_t start = m_pos++;
                while (m_pos < m_text.size() &&
                       (std::isalnum(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '_')) {
                    ++m_pos;
                }
                current.tokens.push_back(Token{Tok::Name, m_text.substr(start, m_pos - start)});
                continue;
            }
            ++m_pos;
            current.tokens.push_back(Token{Tok::Punct, std::string(1, c)});
        }
        if (!current.tokens.empty()) lines.push_back(std::move(current));
        return lines;
    }

private:
    char Peek(size_t k) const { return m_pos + k < m_text.size() ? m_text[m_pos + k] : '\0'; }
    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw Error(m_file + ":" + std::to_string(line) + ": " + what);
    }

    Token Number(int line) {
        size_t start = m_pos;
        int base = 10;
        if (m_text[m_pos] == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
            base = 16;
            m_pos += 2;
        }
        std::uint64_t v = 0;
        bool any = false;
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                    : (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
                        ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                        : -1;
            if (d < 0) break;
            v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
            if (v > 0xFFFFFFFFull) Fail(line, "number too large");
            any = true;
            ++m_pos;
        }
        if (!any) Fail(line, "bad number");
        while (m_pos < m_text.size() && (m_text[m_pos] == 'u' || m_text[m_pos] == 'U' || m_text[m_pos] == 'l' ||
                                         m_text[m_pos] == 'L')) {
            ++m_pos;
        }
        if (m_pos < m_text.size() && (std::isalnum(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '_')) {
            Fail(line, "bad number");
        }
        Token t{Tok::Number, m_text.substr(start, m_pos - start)};
        t.value = static_cast<std::int64_t>(v);
        return t;
    }

    Token String(int line) {
        ++m_pos;
        std::string out;
        for (;;) {
            if (m_pos >= m_text.size() || m_text[m_pos] == '\n') Fail(line, "unterminated string");
            char c = m_text[m_pos++];
            if (c == '"') {
                if (Peek(0) == '"') {  // "" is a quote
                    out += '"';
                    ++m_pos;
                    continue;
                }
                break;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size()) Fail(line, "unterminated string");
            char e = m_text[m_pos++];
            switch (e) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'a': out += '\b'; break;
            case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
                int v = e - '0';  // up to three octal digits, as in C
                for (int n = 1; n < 3 && m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '7'; ++n) {
                    v = v * 8 + (m_text[m_pos++] - '0');
                }
                if (v > 0xFF) Fail(line, "bad octal escape");
                out += static_cast<char>(v);
                break;
            }
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'x': {
                int v = 0, n = 0;
                while (n < 2 && m_pos < m_text.size() && std::isxdigit(static_cast<unsigned char>(m_text[m_pos]))) {
                    char h = m_text[m_pos++];
                    v = v * 16 + (std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : std::tolower(h) - 'a' + 10);
                    ++n;
                }
                if (n == 0) Fail(line, "bad \\x escape");
                out += static_cast<char>(v);
                break;
            }
            default: Fail(line, std::string("unknown escape \\") + e);
            }
        }
        bool ok = true;
        suite::Utf8ToUtf16(out, &ok);
        if (!ok) Fail(line, "string is not valid UTF-8");
        return Token{Tok::String, out};
    }

    const std::string& m_text;
    std::string m_file;
    size_t m_pos = 0;
};

class Writer {
public:
    void Word(std::uint32_t v) {
        m_out.push_back(static_cast<std::uint8_t>(v));
        m_out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void Dword(std::uint32_t v) {
        Word(v & 0xFFFF);
        Word(v >> 16);
    }
    void WideText(const std::string& utf8) {
        for (char16_t c : suite::Utf8ToUtf16(utf8)) Word(c);
        Word(0);
    }
    void Utf8Text(const std::string& utf8) {
        if (utf8.size() > 0xFFFF) throw Error("text too long");
        Word(static_cast<std::uint32_t>(utf8.size()));
        m_out.insert(m_out.end(), utf8.begin(), utf8.end());
    }
    std::vector<std::uint8_t> Take() { return std::move(m_out); }

private:
    std::vector<std::uint8_t> m_out;
};

class Compiler {
public:
    Compiler(std::vector<std::string> includeDirs, Result& result) : m_includeDirs(std::move(includeDirs)), m_result(result) {}

    void Script(const std::string& text, const std::string& path) {
        Lexer lexer(text, path);
        m_lines = lexer.Lines();
        m_folder = std::filesystem::path(path).parent_path();
        m_at = 0;
        while (SkipDirectives()) Statement();
        if (!m_conditions.empty()) Fail(m_conditions.back().opened, "#if without #endif");
    }

private:
    // ---- lines and arguments

    [[noreturn]] void Fail(const Line& line, const std::string& what) const {
        throw Error(line.file + ":" + std::to_string(line.number) + ": " + what);
    }

    // The next line to compile, after handling the directives before it and
    // skipping the lines of branches not taken.
    const Line& Next() {
        if (!SkipDirectives()) {
            const Line& last = m_lines.back();
            Fail(last, "unexpected end of script (missing END?)");
        }
        return m_lines[m_at++];
    }

    // ---- directives

    struct Conditional {
        Line opened;        // the #if, for a missing #endif
        bool outer;         // whether the enclosing branch is compiled
        bool active;        // whether this branch is compiled
        bool taken;         // whether some branch so far was
        bool sawElse;
    };

    bool Active() const { return m_conditions.empty() || m_conditions.back().active; }
    static bool IsDirective(const Line& l) { return l.tokens[0].kind == Tok::Name && l.tokens[0].text[0] == '#'; }

    // Handles directives up to the next line to compile; false at the end.
    bool SkipDirectives() {
        while (m_at < m_lines.size()) {
            const Line& l = m_lines[m_at];
            if (IsDirective(l)) {
                ++m_at;
                Directive(l);
            } else if (!Active()) {
                ++m_at;
            } else {
                return true;
            }
        }
        return false;
    }

    void Directive(const Line& l) {
        const std::string word = l.tokens[0].text.substr(1);
        if (word == "if" || word == "ifdef" || word == "ifndef") {
            bool outer = Active();
            bool yes = outer && Condition(l, word);
            m_conditions.push_back(Conditional{l, outer, yes, yes, false});
            return;
        }
        if (word == "elif" || word == "else" || word == "endif") {
            if (m_conditions.empty()) Fail(l, "#" + word + " without #if");
            Conditional& c = m_conditions.back();
            if (word == "endif") {
                m_conditions.pop_back();
                return;
            }
            if (c.sawElse) Fail(l, "#" + word + " after #else");
            bool yes = c.outer && !c.taken && (word == "else" || Condition(l, word));
            c.active = yes;
            c.taken = c.taken || yes;
            c.sawElse = word == "else";
            return;
        }
        if (!Active()) return;  // other directives of a branch not taken are not read
        if (word == "include") return Include(l);
        if (word == "define") return Define(l, true);
        if (word == "undef") {
            if (l.tokens.size() != 2 || l.tokens[1].kind != Tok::Name) Fail(l, "expected #undef NAME");
            m_defines.erase(l.tokens[1].text);
            m_defined.erase(l.tokens[1].text);
            return;
        }
        if (word == "pragma") return;
        if (word == "error") Fail(l, "#error");
        Fail(l, "unknown directive " + l.tokens[0].text);
    }

    bool IsDefined(const std::string& name) const { return m_defines.count(name) || m_defined.count(name); }

    // The condition of #if, #elif, #ifdef or #ifndef. In #if and #elif,
    // `defined NAME` and `defined(NAME)` test a name, and names without a
    // value count as 0, as in C.
    bool Condition(const Line& l, const std::string& word) {
        if (word == "ifdef" || word == "ifndef") {
            if (l.tokens.size() != 2 || l.tokens[1].kind != Tok::Name) Fail(l, "expected #" + word + " NAME");
            return IsDefined(l.tokens[1].text) == (word == "ifdef");
        }
        std::vector<Token> expr;
        const std::vector<Token>& t = l.tokens;
        for (size_t i = 1; i < t.size(); ++i) {
            if (t[i].kind == Tok::Name && t[i].text == "defined") {
                bool paren = i + 1 < t.size() && IsPunct(t[i + 1], "(");
                size_t at = i + (paren ? 2 : 1);
                if (at >= t.size() || t[at].kind != Tok::Name || (paren && (at + 1 >= t.size() || !IsPunct(t[at + 1], ")")))) {
                    Fail(l, "expected defined(NAME)");
                }
                expr.push_back(Token{Tok::Number, "", IsDefined(t[at].text) ? 1 : 0});
                i = at + (paren ? 1 : 0);
            } else if (t[i].kind == Tok::Name && !m_defines.count(t[i].text) && !IsWord(t[i], "NOT")) {
                expr.push_back(Token{Tok::Number, "", 0});
            } else {
                expr.push_back(t[i]);
            }
        }
        if (expr.empty()) Fail(l, "expected #" + word + " expression");
        std::optional<std::int64_t> v = TryEval(expr);
        if (!v) Fail(l, "bad #" + word + " expression");
        return *v != 0;
    }

    static bool IsWord(const Token& t, const char* word) { return t.kind == Tok::Name && Upper(t.text) == word; }
    static bool IsPunct(const Token& t, const char* p) { return t.kind == Tok::Punct && t.text == p; }

    // Comma-separated arguments of a line from token `from` on.
    std::vector<std::vector<Token>> Args(const Line& line, size_t from) {
        std::vector<std::vector<Token>> args;
        std::vector<Token> cur;
        for (size_t i = from; i < line.tokens.size(); ++i) {
            if (IsPunct(line.tokens[i], ",")) {
                args.push_back(std::move(cur));
                cur.clear();
            } else {
                cur.push_back(line.tokens[i]);
            }
        }
        if (!cur.empty() || !args.empty()) args.push_back(std::move(cur));
        return args;
    }

    // Evaluates an expression of numbers and names as C does: binary
    // || && | ^ & == != < > <= >= << >> + - * / %, unary - + ~ ! and NOT,
    // parentheses; `x | NOT y` clears the bits y from x. Arithmetic wraps
    // (64 bits); a division by zero, a shift out of range or nesting deeper
    // than kMaxNesting makes the expression bad.
    static constexpr int kMaxNesting = 100;
    using Value = std::optional<std::int64_t>;
    static std::int64_t Wrap(std::uint64_t v) { return static_cast<std::int64_t>(v); }
    static std::uint64_t Bits(std::int64_t v) { return static_cast<std::uint64_t>(v); }

    std::optional<std::int64_t> TryEval(const std::vector<Token>& toks) {
        size_t i = 0;
        Value v = EvalBinary(toks, i, 1, 0);
        if (!v || i != toks.size()) return std::nullopt;
        return v;
    }

    // The binary operator at token i (operators of two characters are two
    // tokens) and its precedence, higher binding tighter; 0 when there is none.
    static int BinaryOperator(const std::vector<Token>& t, size_t i, std::string& op) {
        static const struct {
            const char* text;
            int precedence;
        } operators[] = {{"||", 1}, {"&&", 2}, {"==", 6}, {"!=", 6}, {"<=", 7}, {">=", 7}, {"<<", 8}, {">>", 8},
                         {"|", 3},  {"^", 4},  {"&", 5},  {"<", 7},  {">", 7},  {"+", 9},  {"-", 9},  {"*", 10},
                         {"/", 10}, {"%", 10}};
        if (i >= t.size() || t[i].kind != Tok::Punct) return 0;
        std::string two = t[i].text;
        if (i + 1 < t.size() && t[i + 1].kind == Tok::Punct) two += t[i + 1].text;
        for (const auto& o : operators) {
            size_t n = std::strlen(o.text);
            if (two.compare(0, n, o.text) == 0) {
                op = o.text;
                return o.precedence;
            }
        }
        return 0;
    }

    static Value Apply(const std::string& op, std::int64_t a, std::int64_t b) {
        if (op == "||") return (a || b) ? 1 : 0;
        if (op == "&&") return (a && b) ? 1 : 0;
        if (op == "|") return a | b;
        if (op == "^") return a ^ b;
        if (op == "&") return a & b;
        if (op == "==") return a == b ? 1 : 0;
        if (op == "!=") return a != b ? 1 : 0;
        if (op == "<") return a < b ? 1 : 0;
        if (op == ">") return a > b ? 1 : 0;
        if (op == "<=") return a <= b ? 1 : 0;
        if (op == ">=") return a >= b ? 1 : 0;
        if (op == "<<" || op == ">>") {
            if (b < 0 || b > 63) return std::nullopt;
            return op == "<<" ? Wrap(Bits(a) << b) : a >> b;
        }
        if (op == "+") return Wrap(Bits(a) + Bits(b));
        if (op == "-") return Wrap(Bits(a) - Bits(b));
        if (op == "*") return Wrap(Bits(a) * Bits(b));
        if (b == 0) return std::nullopt;
        if (b == -1) return op == "/" ? Wrap(0 - Bits(a)) : 0;  // no overflow on the lowest value
        return op == "/" ? a / b : a % b;
    }

    // Operators of at least `precedence`, left to right (precedence climbing).
    Value EvalBinary(const std::vector<Token>& t, size_t& i, int precedence, int depth) {
        Value v = EvalUnary(t, i, depth);
        std::string op;
        for (int p; v && (p = BinaryOperator(t, i, op)) >= precedence;) {
            i += op.size();
            bool clear = op == "|" && i < t.size() && IsWord(t[i], "NOT");
            if (clear) ++i;
            Value r = EvalBinary(t, i, p + 1, depth + 1);
            if (!r) return std::nullopt;
            v = clear ? Value(*v & ~*r) : Apply(op, *v, *r);
        }
        return v;
    }

    Value EvalUnary(const std::vector<Token>& t, size_t& i, int depth) {
        if (i >= t.size() || depth > kMaxNesting) return std::nullopt;
        const Token& k = t[i];
        if (IsPunct(k, "-") || IsPunct(k, "+") || IsPunct(k, "~") || IsPunct(k, "!") || IsWord(k, "NOT")) {
            ++i;
            Value r = EvalUnary(t, i, depth + 1);
            if (!r) return std::nullopt;
            if (IsPunct(k, "-")) return Wrap(0 - Bits(*r));
            if (IsPunct(k, "+")) return *r;
            if (IsPunct(k, "!")) return *r == 0 ? 1 : 0;
            return ~*r;
        }
        if (IsPunct(k, "(")) {
            ++i;
            Value r = EvalBinary(t, i, 1, depth + 1);
            if (!r || i >= t.size() || !IsPunct(t[i], ")")) return std::nullopt;
            ++i;
            return r;
        }
        if (k.kind == Tok::Number) {
            ++i;
            return k.value;
        }
        if (k.kind == Tok::Name) {
            auto it = m_defines.find(k.text);
            if (it == m_defines.end()) return std::nullopt;
            ++i;
            return it->second;
        }
        return std::nullopt;
    }
    std::int64_t Eval(const Line& line, const std::vector<Token>& toks, const char* what) {
        if (toks.empty()) Fail(line, std::string("missing ") + what);
        std::optional<std::int64_t> v = TryEval(toks);
        if (!v) Fail(line, std::string("bad ") + what + " (unknown name or malformed expression)");
        return *v;
    }
    std::uint32_t Word16(const Line& line, const std::vector<Token>& toks, const char* what) {
        std::int64_t v = Eval(line, toks, what);
        if (v < -32768 || v > 0xFFFF) Fail(line, std::string(what) + " out of range");
        return static_cast<std::uint32_t>(v) & 0xFFFFu;
    }
    std::string Text(const Line& line, const std::vector<Token>& toks, const char* what) {
        if (toks.size() != 1 || toks[0].kind != Tok::String) Fail(line, std::string("expected a quoted ") + what);
        return toks[0].text;
    }
    // A text stored in a menu or dialog template. Menu texts end at their NUL
    // and dialog texts are read into NUL-terminated strings, so a NUL inside
    // would not come back as written; dialog texts carry a 16-bit length.
    std::string TemplateText(const Line& line, const std::vector<Token>& toks, const char* what) {
        std::string text = Text(line, toks, what);
        CheckTemplateText(line, text, what);
        return text;
    }
    void CheckTemplateText(const Line& line, const std::string& text, const char* what) {
        if (text.find('\0') != std::string::npos) Fail(line, std::string("NUL character in the ") + what);
        if (text.size() > 0xFFFF) Fail(line, std::string(what) + " too long");
    }

    // A resource id: a number or defined name, else a name.
    void Id(const Line& line, const Token& t, Resource& r) {
        if (t.kind == Tok::String || (t.kind == Tok::Name && !m_defines.count(t.text))) {
            if (t.text.empty()) Fail(line, "empty resource name");
            for (char c : t.text) {
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) Fail(line, "control character in a resource name");
            }
            r.name = Upper(t.text);
            return;
        }
        r.id = Word16(line, {t}, "resource id");
        if (r.id == 0) Fail(line, "resource id 0");
    }

    void Add(const Line& line, Resource r) {
        for (const Resource& o : m_result.resources) {
            if (o.type == r.type && o.id == r.id && o.name == r.name) {
                Fail(line, "duplicate resource " + (r.name.empty() ? std::to_string(r.id) : r.name));
            }
        }
        m_result.resources.push_back(std::move(r));
    }

    void SkipBegin() {
        if (SkipDirectives()) {
            const Line& l = m_lines[m_at];
            if (l.tokens.size() == 1 && (IsWord(l.tokens[0], "BEGIN") || IsPunct(l.tokens[0], "{"))) ++m_at;
        }
    }
    static bool IsEnd(const Line& l) { return l.tokens.size() == 1 && (IsWord(l.tokens[0], "END") || IsPunct(l.tokens[0], "}")); }

    std::string FilePath(const Line& line, const std::vector<Token>& toks) {
        std::string name = Text(line, toks, "file name");
        std::filesystem::path p = m_folder / name;
        if (!IsRegularFile(p)) {
            for (const std::string& d : m_includeDirs) {
                if (IsRegularFile(std::filesystem::path(d) / name)) {
                    p = std::filesystem::path(d) / name;
                    break;
                }
            }
        }
        m_result.inputs.push_back(p.string());
        return p.string();
    }

    std::vector<std::uint8_t> FileBytes(const Line& line, const std::string& path) {
        std::string bytes;
        if (!ReadWhole(path, bytes)) Fail(line, "cannot read " + path);
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }

    // ---- statements

    // Load and memory options after a resource type mean nothing here; they
    // are dropped so that the arguments start right after the type.
    static void DropMemoryOptions(Line& line, size_t from) {
        static const char* const options[] = {"PRELOAD", "LOADONCALL", "FIXED",  "MOVEABLE", "DISCARDABLE",
                                              "PURE",    "IMPURE",     "SHARED", "NONSHARED"};
        while (from < line.tokens.size() && line.tokens[from].kind == Tok::Name &&
               std::any_of(std::begin(options), std::end(options),
                           [&](const char* o) { return IsWord(line.tokens[from], o); })) {
            line.tokens.erase(line.tokens.begin() + static_cast<std::ptrdiff_t>(from));
        }
    }
    void NothingAfter(const Line& line, size_t from, const char* what) const {
        if (line.tokens.size() > from) Fail(line, "unexpected " + line.tokens[from].text + " after " + what);
    }

    void Statement() {
        Line& line = m_lines[m_at];
        Next();
        const Token& first = line.tokens[0];
        if (IsWord(first, "STRINGTABLE")) {
            DropMemoryOptions(line, 1);
            NothingAfter(line, 1, "STRINGTABLE");
            return StringTable(line);
        }
        if (line.tokens.size() < 2 || line.tokens[1].kind != Tok::Name) Fail(line, "expected `id TYPE ...`");
        std::string type = Upper(line.tokens[1].text);
        DropMemoryOptions(line, 2);
        Resource r;
        Id(line, first, r);
        if (type == "MENU" || type == "ACCELERATORS") NothingAfter(line, 2, type.c_str());
        if (type == "MENU") return Menu(line, std::move(r));
        if (type == "DIALOG" || type == "DIALOGEX") return Dialog(line, std::move(r));
        if (type == "ACCELERATORS") return Accelerators(line, std::move(r));
        if (type == "TOOLBAR") return ToolBar(line, std::move(r));
        if (type == "BITMAP") return Bitmap(line, std::move(r));
        if (type == "ICON" || type == "CURSOR" || type == "RCDATA") return RawFile(line, type, std::move(r));
        Fail(line, "unknown resource type " + line.tokens[1].text);
    }

    void Include(const Line& line) {
        if (line.tokens.size() != 2 || line.tokens[1].kind != Tok::String) Fail(line, "expected #include \"file\"");
        if (!IncludeHeader(line.tokens[1].text, m_folder, 0)) Fail(line, "cannot find include file " + line.tokens[1].text);
    }

    // Takes every #define of a header, and of the headers it includes in
    // quotes (found beside it, then in the include folders); anything else in
    // a header is C++ and ignored. A header is read once. False when the
    // header is not found.
    bool IncludeHeader(const std::string& name, const std::filesystem::path& from, int depth) {
        std::vector<std::filesystem::path> tries{from / name};
        for (const std::string& d : m_includeDirs) tries.push_back(std::filesystem::path(d) / name);
        for (const auto& p : tries) {
            std::string text;
            if (!ReadWhole(p.string(), text)) continue;
            std::error_code ec;
            std::filesystem::path canonical = std::filesystem::weakly_canonical(p, ec);
            if (!m_headersRead.insert(ec ? p.string() : canonical.string()).second) return true;
            m_result.inputs.push_back(p.string());
            Lexer lexer(text, p.string());
            std::vector<Line> lines;
            try {
                lines = lexer.Lines();
            } catch (const Error&) {
                lines = DirectiveLinesOnly(text, p.string());
            }
            for (const Line& l : lines) {
                if (l.tokens.size() >= 2 && l.tokens[0].kind == Tok::Name && l.tokens[0].text == "#define") {
                    Define(l, false);
                } else if (l.tokens.size() == 2 && l.tokens[0].kind == Tok::Name && l.tokens[0].text == "#include" &&
                           l.tokens[1].kind == Tok::String && depth < kMaxIncludeDepth) {
                    IncludeHeader(l.tokens[1].text, p.parent_path(), depth + 1);  // one not found is skipped
                }
            }
            return true;
        }
        return false;
    }

    // Lexes only the #define and #include lines of a header that the full lexer rejects.
    static std::vector<Line> DirectiveLinesOnly(const std::string& text, const std::string& file) {
        std::vector<Line> out;
        std::istringstream in(text);
        std::string l;
        while (std::getline(in, l)) {
            size_t p = l.find_first_not_of(" \t");
            if (p == std::string::npos || (l.compare(p, 7, "#define") != 0 && l.compare(p, 8, "#include") != 0)) continue;
            try {
                Lexer lexer(l, file);
                for (Line& x : lexer.Lines()) out.push_back(std::move(x));
            } catch (const Error&) {
            }
        }
        return out;
    }

    void Define(const Line& line, bool strict) {
        if (line.tokens.size() < 2 || line.tokens[1].kind != Tok::Name) {
            if (strict) Fail(line, "expected #define NAME value");
            return;
        }
        // A function-like macro has '(' right after its name; it is not a value.
        std::vector<Token> value(line.tokens.begin() + 2, line.tokens.end());
        if (value.empty()) {  // defined without a value: for #ifdef only
            m_defines.erase(line.tokens[1].text);
            m_defined.insert(line.tokens[1].text);
            return;
        }
        std::optional<std::int64_t> v = TryEval(value);
        if (!v) {
            if (strict) Fail(line, "bad #define value");
            return;
        }
        m_defines[line.tokens[1].text] = *v;
        m_defined.erase(line.tokens[1].text);
    }

    void StringTable(const Line& header) {
        (void)header;
        SkipBegin();
        for (;;) {
            const Line& l = Next();
            if (IsEnd(l)) return;
            auto args = Args(l, 0);
            if (args.size() == 1 && args[0].size() >= 2 && args[0].back().kind == Tok::String) {
                args.push_back({args[0].back()});  // `id "text"`: the comma is optional
                args[0].pop_back();
            }
            if (args.size() != 2) Fail(l, "expected `id, \"text\"`");
            Resource r;
            r.type = kString;
            r.id = Word16(l, args[0], "string id");
            std::string text = Text(l, args[1], "text");
            r.data.assign(text.begin(), text.end());
            Add(l, std::move(r));
        }
    }

    std::uint32_t MenuOptions(const Line& l, const std::vector<std::vector<Token>>& args, size_t from) {
        std::uint32_t flags = 0;
        for (size_t i = from; i < args.size(); ++i) {
            if (args[i].size() != 1 || args[i][0].kind != Tok::Name) Fail(l, "bad menu item option");
            std::string o = Upper(args[i][0].text);
            if (o == "GRAYED") flags |= 0x0001;
            else if (o == "INACTIVE") flags |= 0x0002;
            else if (o == "CHECKED") flags |= 0x0008;
            else if (o == "MENUBARBREAK") flags |= 0x0020;
            else if (o == "MENUBREAK") flags |= 0x0040;
            else if (o == "HELP") flags |= 0x4000;
            else Fail(l, "unknown menu item option " + args[i][0].text);
        }
        return flags;
    }

    void Menu(const Line& line, Resource r) {
        r.type = kMenu;
        std::vector<std::uint8_t> saved;
        saved.swap(m_pending);
        MenuLevelNested(0);
        Writer header;
        header.Word(0);  // version
        header.Word(0);  // header size
        r.data = header.Take();
        r.data.insert(r.data.end(), m_pending.begin(), m_pending.end());
        m_pending.swap(saved);
        Add(line, std::move(r));
    }

    // Writes one level (with nested popups) into m_pending.
    void MenuLevelNested(int depth) {
        if (depth > 8) Fail(m_lines[m_at - 1], "menu nested too deeply");
        SkipBegin();
        struct Item {
            std::uint32_t flags = 0;
            std::uint32_t id = 0;
            std::string text;
            bool popup = false;
            std::vector<std::uint8_t> body;
        };
        std::vector<Item> items;
        for (;;) {
            const Line& l = Next();
            if (IsEnd(l)) break;
            Item it;
            if (IsWord(l.tokens[0], "POPUP")) {
                auto args = Args(l, 1);
                if (args.empty()) Fail(l, "expected POPUP \"text\"");
                it.flags = 0x0010u | MenuOptions(l, args, 1);
                it.text = TemplateText(l, args[0], "popup text");
                it.popup = true;
                std::vector<std::uint8_t> saved;
                saved.swap(m_pending);
                MenuLevelNested(depth + 1);
                it.body.swap(m_pending);
                m_pending.swap(saved);
            } else if (IsWord(l.tokens[0], "MENUITEM")) {
                if (l.tokens.size() == 2 && IsWord(l.tokens[1], "SEPARATOR")) {
                    items.push_back(std::move(it));
                    continue;
                }
                auto args = Args(l, 1);
                if (args.size() < 2) Fail(l, "expected MENUITEM \"text\", id");
                it.text = TemplateText(l, args[0], "item text");
                it.id = Word16(l, args[1], "command id");
                it.flags = MenuOptions(l, args, 2);
            } else {
                Fail(l, "expected POPUP, MENUITEM or END");
            }
            items.push_back(std::move(it));
        }
        if (items.empty()) Fail(m_lines[m_at - 1], "empty menu level");
        for (size_t i = 0; i < items.size(); ++i) {
            const Item& it = items[i];
            Writer one;
            one.Word(it.flags | (i + 1 == items.size() ? 0x0080u : 0u));
            if (!it.popup) one.Word(it.id);
            one.WideText(it.text);
            std::vector<std::uint8_t> bytes = one.Take();
            m_pending.insert(m_pending.end(), bytes.begin(), bytes.end());
            m_pending.insert(m_pending.end(), it.body.begin(), it.body.end());
        }
    }

    void Accelerators(const Line& line, Resource r) {
        r.type = kAccelerator;
        SkipBegin();
        struct Entry {
            std::uint32_t flags, key, cmd;
        };
        std::vector<Entry> entries;
        for (;;) {
            const Line& l = Next();
            if (IsEnd(l)) break;
            auto args = Args(l, 0);
            if (args.size() < 2) Fail(l, "expected `key, id [, options]`");
            Entry e{0, 0, Word16(l, args[1], "command id")};
            for (size_t i = 2; i < args.size(); ++i) {
                std::string o = args[i].size() == 1 ? Upper(args[i][0].text) : "";
                if (o == "VIRTKEY") e.flags |= 0x01;
                else if (o == "ASCII") e.flags &= ~0x01u;
                else if (o == "NOINVERT") e.flags |= 0x02;
                else if (o == "SHIFT") e.flags |= 0x04;
                else if (o == "CONTROL") e.flags |= 0x08;
                else if (o == "ALT") e.flags |= 0x10;
                else Fail(l, "unknown accelerator option");
            }
            if (args[0].size() == 1 && args[0][0].kind == Tok::String) {
                const std::string& k = args[0][0].text;
                if (k.size() == 2 && k[0] == '^' && std::isalpha(static_cast<unsigned char>(k[1]))) {
                    e.key = static_cast<std::uint32_t>(std::toupper(static_cast<unsigned char>(k[1])) - 'A' + 1);
                } else if (k.size() == 1) {
                    unsigned char c = static_cast<unsigned char>(k[0]);
                    e.key = (e.flags & 0x01) ? static_cast<std::uint32_t>(std::toupper(c)) : c;
                } else {
                    Fail(l, "an accelerator key is one character or ^letter");
                }
            } else {
                e.key = Word16(l, args[0], "key");
            }
            entries.push_back(e);
        }
        if (entries.empty()) Fail(line, "empty accelerator table");
        Writer w;
        for (size_t i = 0; i < entries.size(); ++i) {
            w.Word(entries[i].flags | (i + 1 == entries.size() ? 0x80u : 0u));
            w.Word(entries[i].key);
            w.Word(entries[i].cmd);
            w.Word(0);
        }
        r.data = w.Take();
        Add(line, std::move(r));
    }

    void ToolBar(const Line& line, Resource r) {
        r.type = kToolBar;
        auto args = Args(line, 2);
        if (args.size() != 2) Fail(line, "expected `id TOOLBAR width, height`");
        std::uint32_t width = Word16(line, args[0], "button width");
        std::uint32_t height = Word16(line, args[1], "button height");
        SkipBegin();
        std::vector<std::uint32_t> ids;
        for (;;) {
            const Line& l = Next();
            if (IsEnd(l)) break;
            if (l.tokens.size() == 1 && IsWord(l.tokens[0], "SEPARATOR")) {
                ids.push_back(0);
            } else if (IsWord(l.tokens[0], "BUTTON")) {
                std::vector<Token> rest(l.tokens.begin() + 1, l.tokens.end());
                ids.push_back(Word16(l, rest, "button id"));
            } else {
                Fail(l, "expected BUTTON, SEPARATOR or END");
            }
        }
        Writer w;
        w.Word(1);
        w.Word(width);
        w.Word(height);
        w.Word(static_cast<std::uint32_t>(ids.size()));
        for (std::uint32_t id : ids) w.Word(id);
        r.data = w.Take();
        Add(line, std::move(r));
    }

    struct Control {
        std::uint32_t id = 0;
        std::uint32_t style = 0, exStyle = 0;
        std::int64_t x = 0, y = 0, cx = 0, cy = 0;
        std::string cls, text;
    };

    std::uint32_t Style(const Line& l, const std::vector<Token>& toks, std::uint32_t base) {
        // A style list may start with NOT or | to change the default bits.
        std::vector<Token> t;
        t.push_back(Token{Tok::Number, "", static_cast<std::int64_t>(base)});
        if (!toks.empty() && !IsPunct(toks[0], "|")) t.push_back(Token{Tok::Punct, "|"});
        t.insert(t.end(), toks.begin(), toks.end());
        return static_cast<std::uint32_t>(Eval(l, t, "style"));
    }

    using SHORT_T = std::int16_t;
    SHORT_T Coord(const Line& l, const std::vector<Token>& t) {
        std::int64_t v = Eval(l, t, "coordinate");
        if (v < -32768 || v > 32767) Fail(l, "coordinate out of range");
        return static_cast<SHORT_T>(v);
    }

    Control ParseControl(const Line& l) {
        constexpr std::uint32_t WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_TABSTOP = 0x00010000,
                                WS_GROUP = 0x00020000, WS_BORDER = 0x00800000, WS_VSCROLL = 0x00200000;
        std::string kind = Upper(l.tokens[0].text);
        auto a = Args(l, 1);
        Control c;
        auto rect = [&](size_t at) {
            if (a.size() < at + 4) Fail(l, "expected x, y, width, height");
            c.x = Coord(l, a[at]);
            c.y = Coord(l, a[at + 1]);
            c.cx = Coord(l, a[at + 2]);
            c.cy = Coord(l, a[at + 3]);
        };
        auto tail = [&](size_t at, std::uint32_t base) {
            c.style = a.size() > at ? Style(l, a[at], base) : base;
            if (a.size() > at + 1) c.exStyle = static_cast<std::uint32_t>(Eval(l, a[at + 1], "extended style"));
            if (a.size() > at + 2) Fail(l, "too many arguments");
        };
        auto textAndId = [&]() {
            if (a.size() < 2) Fail(l, "expected \"text\", id");
            c.text = TemplateText(l, a[0], "control text");
            c.id = Word16(l, a[1], "control id");
        };
        struct Shape {
            const char* kind;
            const char* cls;
            std::uint32_t style;
        };
        static const Shape withText[] = {
            {"LTEXT", "Static", WS_CHILD | WS_VISIBLE | WS_GROUP | 0x0},
            {"CTEXT", "Static", WS_CHILD | WS_VISIBLE | WS_GROUP | 0x1},
            {"RTEXT", "Static", WS_CHILD | WS_VISIBLE | WS_GROUP | 0x2},
            {"PUSHBUTTON", "Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | 0x0},
            {"DEFPUSHBUTTON", "Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | 0x1},
            {"CHECKBOX", "Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | 0x2},
            {"AUTOCHECKBOX", "Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | 0x3},
            {"RADIOBUTTON", "Button", WS_CHILD | WS_VISIBLE | 0x4},
            {"AUTORADIOBUTTON", "Button", WS_CHILD | WS_VISIBLE | 0x9},
            {"GROUPBOX", "Button", WS_CHILD | WS_VISIBLE | 0x7},
        };
        static const Shape withoutText[] = {
            {"EDITTEXT", "Edit", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | 0x0},
            {"COMBOBOX", "ComboBox", WS_CHILD | WS_VISIBLE | WS_TABSTOP | 0x0},
            {"LISTBOX", "ListBox", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | 0x1},
            {"SCROLLBAR", "ScrollBar", WS_CHILD | WS_VISIBLE | 0x0},
        };
        if (kind == "CONTROL") {
            if (a.size() < 8) Fail(l, "expected CONTROL \"text\", id, \"class\", style, x, y, width, height");
            textAndId();
            c.cls = TemplateText(l, a[2], "class name");
            c.style = Style(l, a[3], WS_CHILD | WS_VISIBLE);
            rect(4);
            if (a.size() > 8) c.exStyle = static_cast<std::uint32_t>(Eval(l, a[8], "extended style"));
            if (a.size() > 9) Fail(l, "too many arguments");
            return c;
        }
        if (kind == "ICON") {
            if (a.size() < 4 || a.size() == 5 || a.size() > 7) Fail(l, "expected ICON icon, id, x, y [, width, height [, style]]");
            if (a[0].size() == 1 && a[0][0].kind == Tok::String) {
                c.text = TemplateText(l, a[0], "icon name");
            } else {
                c.text = "#" + std::to_string(Word16(l, a[0], "icon id"));
            }
            c.id = Word16(l, a[1], "control id");
            c.cls = "Static";
            c.x = Coord(l, a[2]);
            c.y = Coord(l, a[3]);
            if (a.size() >= 6) {
                c.cx = Coord(l, a[4]);
                c.cy = Coord(l, a[5]);
            }
            c.style = a.size() > 6 ? Style(l, a[6], WS_CHILD | WS_VISIBLE | 0x3) : WS_CHILD | WS_VISIBLE | 0x3;
            return c;
        }
        for (const Shape& s : withText) {
            if (kind == s.kind) {
                textAndId();
                c.cls = s.cls;
                rect(2);
                tail(6, s.style);
                return c;
            }
        }
        for (const Shape& s : withoutText) {
            if (kind == s.kind) {
                if (a.empty()) Fail(l, "expected id");
                c.id = Word16(l, a[0], "control id");
                c.cls = s.cls;
                rect(1);
                tail(5, s.style);
                return c;
            }
        }
        Fail(l, "unknown dialog statement " + l.tokens[0].text);
    }

    void Dialog(const Line& line, Resource r) {
        r.type = kDialog;
        auto args = Args(line, 2);
        if (args.size() != 4) Fail(line, "expected `id DIALOG x, y, width, height`");
        SHORT_T x = Coord(line, args[0]), y = Coord(line, args[1]), cx = Coord(line, args[2]), cy = Coord(line, args[3]);
        std::uint32_t style = 0x80000000u | 0x00C00000u | 0x00080000u | 0x80u;  // popup, caption, system menu, modal frame
        std::uint32_t exStyle = 0, pointSize = 0;
        std::string caption, font, menu, cls;
        std::vector<Control> controls;
        bool inBody = false, hasFont = false;
        for (;;) {
            const Line& l = Next();
            if (!inBody) {
                const Token& k = l.tokens[0];
                if (IsWord(k, "BEGIN") || IsPunct(k, "{")) {
                    inBody = true;
                    continue;
                }
                auto a = Args(l, 1);
                if (IsWord(k, "STYLE")) {
                    style = static_cast<std::uint32_t>(Eval(l, std::vector<Token>(l.tokens.begin() + 1, l.tokens.end()), "style"));
                } else if (IsWord(k, "EXSTYLE")) {
                    exStyle = static_cast<std::uint32_t>(Eval(l, std::vector<Token>(l.tokens.begin() + 1, l.tokens.end()), "extended style"));
                } else if (IsWord(k, "CAPTION")) {
                    if (a.size() != 1) Fail(l, "expected CAPTION \"text\"");
                    caption = TemplateText(l, a[0], "caption");
                } else if (IsWord(k, "FONT")) {
                    if (a.size() < 2) Fail(l, "expected FONT size, \"name\"");
                    pointSize = Word16(l, a[0], "font size");
                    font = TemplateText(l, a[1], "font name");
                    hasFont = true;
                } else if (IsWord(k, "MENU")) {
                    if (l.tokens.size() != 2) Fail(l, "expected MENU id");
                    Resource m;
                    Id(l, l.tokens[1], m);
                    menu = m.name.empty() ? "#" + std::to_string(m.id) : m.name;
                    CheckTemplateText(l, menu, "menu name");
                } else if (IsWord(k, "CLASS")) {
                    if (a.size() != 1) Fail(l, "expected CLASS \"name\"");
                    cls = TemplateText(l, a[0], "class name");
                } else {
                    Fail(l, "expected STYLE, EXSTYLE, CAPTION, FONT, MENU, CLASS or BEGIN");
                }
                continue;
            }
            if (IsEnd(l)) break;
            controls.push_back(ParseControl(l));
            if (controls.size() > 0xFFFF) Fail(l, "too many controls");
        }
        if (hasFont) style |= 0x40u;  // DS_SETFONT, whether STYLE came before FONT or after
        Writer w;
        w.Dword(0x474C4453u);  // "SDLG"
        w.Dword(style);
        w.Dword(exStyle);
        w.Word(static_cast<std::uint16_t>(x));
        w.Word(static_cast<std::uint16_t>(y));
        w.Word(static_cast<std::uint16_t>(cx));
        w.Word(static_cast<std::uint16_t>(cy));
        w.Word(pointSize);
        w.Word(static_cast<std::uint32_t>(controls.size()));
        w.Utf8Text(caption);
        w.Utf8Text(font);
        w.Utf8Text(menu);
        w.Utf8Text(cls);
        for (const Control& c : controls) {
            w.Word(c.id);
            w.Dword(c.style);
            w.Dword(c.exStyle);
            w.Word(static_cast<std::uint16_t>(c.x));
            w.Word(static_cast<std::uint16_t>(c.y));
            w.Word(static_cast<std::uint16_t>(c.cx));
            w.Word(static_cast<std::uint16_t>(c.cy));
            w.Utf8Text(c.cls);
            w.Utf8Text(c.text);
        }
        r.data = w.Take();
        Add(line, std::move(r));
    }

    void Bitmap(const Line& line, Resource r) {
        r.type = kBitmap;
        auto args = Args(line, 2);
        if (args.size() != 1) Fail(line, "expected `id BITMAP \"file\"`");
        std::string path = FilePath(line, args[0]);
        std::vector<std::uint8_t> bytes = FileBytes(line, path);
        r.data = PackedDibOfBmp(bytes);
        if (r.data.empty()) {
            QImage image;
            if (!image.loadFromData(bytes.data(), static_cast<int>(bytes.size()))) {
                Fail(line, "cannot read the bitmap " + path);
            }
            r.data = AfxImageToDib(image);
            if (r.data.empty()) Fail(line, "cannot convert the bitmap " + path);
        }
        Add(line, std::move(r));
    }

    // An uncompressed BMP file as a packed DIB: the file less its file header,
    // with the rows brought up to the colour table when the file leaves a gap
    // before them (its offset of the rows says where they are). Empty when
    // the file is not such a BMP.
    static std::vector<std::uint8_t> PackedDibOfBmp(const std::vector<std::uint8_t>& bytes) {
        constexpr size_t kFileHeader = 14;
        AfxDibLayout layout;
        if (bytes.size() <= kFileHeader || bytes[0] != 'B' || bytes[1] != 'M' ||
            !AfxDibLayoutOf(bytes.data() + kFileHeader, bytes.size() - kFileHeader, layout)) {
            return {};
        }
        size_t rows = static_cast<size_t>(bytes[10]) | (static_cast<size_t>(bytes[11]) << 8) |
                      (static_cast<size_t>(bytes[12]) << 16) | (static_cast<size_t>(bytes[13]) << 24);
        size_t packedRows = kFileHeader + layout.bitsOffset;
        if (rows <= packedRows || rows >= bytes.size()) {
            return std::vector<std::uint8_t>(bytes.begin() + kFileHeader, bytes.end());
        }
        std::vector<std::uint8_t> dib(bytes.begin() + kFileHeader, bytes.begin() + static_cast<std::ptrdiff_t>(packedRows));
        dib.insert(dib.end(), bytes.begin() + static_cast<std::ptrdiff_t>(rows), bytes.end());
        if (!AfxDibLayoutOf(dib.data(), dib.size(), layout)) return {};
        return dib;
    }

    void RawFile(const Line& line, const std::string& type, Resource r) {
        auto args = Args(line, 2);
        r.type = type == "ICON" ? kIcon : type == "CURSOR" ? kCursor : kRcData;
        if (args.empty() || (type == "CURSOR" ? (args.size() != 1 && args.size() != 3) : args.size() != 1)) {
            Fail(line, "expected `id " + type + " \"file\"" + (type == "CURSOR" ? " [, x, y]`" : "`"));
        }
        std::string path = FilePath(line, args[0]);
        std::vector<std::uint8_t> bytes = FileBytes(line, path);
        if (r.type == kIcon || r.type == kCursor) {
            QImage probe;
            if (!probe.loadFromData(bytes.data(), static_cast<int>(bytes.size()))) {
                Fail(line, "cannot read the image " + path);
            }
        }
        if (r.type == kCursor) {
            Writer w;
            w.Word(args.size() == 3 ? Word16(line, args[1], "hot spot x") : 0);
            w.Word(args.size() == 3 ? Word16(line, args[2], "hot spot y") : 0);
            r.data = w.Take();
        }
        r.data.insert(r.data.end(), bytes.begin(), bytes.end());
        Add(line, std::move(r));
    }

    std::vector<std::string> m_includeDirs;
    Result& m_result;
    std::vector<Line> m_lines;
    size_t m_at = 0;
    std::filesystem::path m_folder;
    std::map<std::string, std::int64_t> m_defines;
    std::set<std::string> m_defined;  // defined without a value
    std::set<std::string> m_headersRead;
    static constexpr int kMaxIncludeDepth = 16;
    std::vector<Conditional> m_conditions;
    std::vector<std::uint8_t> m_pending;
};

}  // namespace

Result CompileText(const std::string& text, const std::string& path, const std::vector<std::string>& includeDirs) {
    Result result;
    try {
        Compiler compiler(includeDirs, result);
        compiler.Script(text, path);
    } catch (const Error& e) {
        result.resources.clear();
        result.error = e.what();
    }
    return result;
}

Result CompileFile(const std::string& path, const std::vector<std::string>& includeDirs) {
    std::string text;
    if (!ReadWhole(path, text)) {
        Result r;
        r.error = path + ": cannot read the file";
        return r;
    }
    Result r = CompileText(text, path, includeDirs);
    r.inputs.insert(r.inputs.begin(), path);
    return r;
}

std::string EmitLibrarySource(const std::vector<Resource>& resources) {
    std::ostringstream out;
    out << "// Generated by the resource compiler; do not edit.\n"
           "#include \"platform/afx/core/resource.h\"\n\n"
           "namespace {\n";
    for (size_t i = 0; i < resources.size(); ++i) {
        const auto& d = resources[i].data;
        out << "const BYTE d" << i << "[] = {";
        if (d.empty()) out << "0";
        for (size_t k = 0; k < d.size(); ++k) {
            if (k % 24 == 0) out << "\n";
            out << static_cast<unsigned>(d[k]) << ",";
        }
        out << "};\n";
    }
    out << "const SuiteResourceEntry entries[] = {\n";
    for (size_t i = 0; i < resources.size(); ++i) {
        const Resource& r = resources[i];
        out << "    {" << r.type << "u, " << r.id << "u, ";
        if (r.name.empty()) {
            out << "nullptr";
        } else {
            // Anything but plain printable ASCII goes out as an octal escape,
            // so no byte of a name can end or bend the literal.
            out << '"';
            for (char c : r.name) {
                unsigned char b = static_cast<unsigned char>(c);
                if (b >= 0x20 && b < 0x7F && c != '"' && c != '\\' && c != '?') {
                    out << c;
                } else {
                    char esc[8];
                    std::snprintf(esc, sizeof esc, "\\%03o", b);
                    out << esc;
                }
            }
            out << '"';
        }
        out << ", d" << i << ", " << r.data.size() << "u},\n";
    }
    if (resources.empty()) out << "    {0u, 0u, nullptr, nullptr, 0u},\n";
    out << "};\n"
           "}  // namespace\n\n"
           "extern \"C\" __attribute__((visibility(\"default\"))) const SuiteResourceTable suite_resource_table;\n"
           "const SuiteResourceTable suite_resource_table = {kSuiteResourceMagic, "
        << resources.size() << "u, entries};\n";
    return out.str();
}

}  // namespace suite::rc
