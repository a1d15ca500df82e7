#include "ResSource.h"

#include "ResEncoders.h"
#include "platform/Cp1252.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <utility>

namespace rescomp {

void Diagnostics::error(int line, const std::string& text) {
    errors.push_back(source + ":" + std::to_string(line) + ": " + text);
}

namespace {

// Decodes one UTF-8 sequence starting at s[i]; returns its length, 0 when malformed.
size_t decode_utf8(const std::string& s, size_t i, unsigned& cp) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d >> 6) != 2) return 0;
        cp = (cp << 6) | (d & 0x3F);
    }
    static const unsigned smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < smallest[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

const std::map<unsigned, char>& cp1252_bytes() {
    static const std::map<unsigned, char> table = [] {
        std::map<unsigned, char> t;
        for (unsigned b = 0; b < 256; ++b) {
            unsigned cp = platform::cp1252_code_point(static_cast<unsigned char>(b));
            if (cp != 0xFFFD) t[cp] = static_cast<char>(b);
        }
        return t;
    }();
    return table;
}

struct Block {
    std::string kind;
    std::vector<std::string> args;
    int line = 0;
    std::vector<BodyLine> body;
};

std::vector<std::string> split_words(const std::string& s) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
        size_t start = i;
        while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) ++i;
        if (i > start) words.push_back(s.substr(start, i - start));
    }
    return words;
}

bool parse_id(const std::string& word, short& id) {
    char* end = nullptr;
    long v = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || v < -32768 || v > 32767) return false;
    id = static_cast<short>(v);
    return true;
}

// Splits the source into blocks; body lines are converted to Windows-1252.
std::vector<Block> read_blocks(const std::string& text, Diagnostics& diag) {
    std::vector<Block> blocks;
    bool inside = false;
    int line_no = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.pop_back();

        if (inside && line.rfind("@@", 0) == 0) {
            line.erase(0, 1);
        } else if (inside && !line.empty() && line[0] == '@') {
            inside = false;
            if (split_words(line) == std::vector<std::string>{"@end"}) continue;
            // Another block starts: report the missing @end and read on from there.
            diag.error(line_no, "block started at line " + std::to_string(blocks.back().line) +
                                    " is not closed with @end");
        }
        if (!inside) {
            std::vector<std::string> words = split_words(line);
            if (words.empty() || words[0][0] == '#') continue;
            if (words[0].size() < 2 || words[0][0] != '@' || words[0] == "@end") {
                diag.error(line_no, "expected the start of a block (@strings, @dialog, ...)");
                continue;
            }
            Block b;
            b.kind = words[0].substr(1);
            b.args.assign(words.begin() + 1, words.end());
            b.line = line_no;
            blocks.push_back(b);
            inside = true;
            continue;
        }
        BodyLine body{std::string(), line_no};
        if (!utf8_to_cp1252_strict(line, body.text))
            diag.error(line_no, "text that Windows-1252 cannot hold (or malformed UTF-8)");
        blocks.back().body.push_back(body);
    }
    if (inside)
        diag.error(line_no, "block started at line " + std::to_string(blocks.back().line) +
                                " is not closed with @end");
    return blocks;
}

bool compile_block(const Block& b, Resource& res, Diagnostics& diag) {
    static const std::map<std::string, short> types = {
        {"strings", type_strings}, {"dialog", type_dialog},       {"menu", type_menu},
        {"bindialog", type_bindialog}, {"picture", type_picture},
    };
    auto type = types.find(b.kind);
    if (type == types.end()) {
        diag.error(b.line, "unknown block @" + b.kind);
        return false;
    }
    res.type = type->second;
    bool picture = res.type == type_picture;
    bool args_ok = picture ? b.args.size() == 2 || (b.args.size() == 3 && b.args[2] == "256")
                           : b.args.size() == 1;
    if (!args_ok || !parse_id(b.args[0], res.id)) {
        diag.error(b.line, picture ? "expected @picture <number> <name> [256]"
                                   : "expected @" + b.kind + " <number>");
        return false;
    }
    bool ok = true;
    switch (res.type) {
        case type_strings: break;
        case type_dialog: ok = check_text_dialog(b.body, b.line, diag); break;
        case type_menu: ok = check_menu(b.body, diag); break;
        case type_bindialog: return encode_bindialog(res.id, b.body, res.bytes, b.line, diag);
        default:
            return encode_picture(b.args[1], b.args.size() == 3 ? 256 : 16, b.body, res.bytes,
                                  b.line, diag);
    }
    res.bytes = encode_text(b.body);
    return ok;
}

}  // namespace

bool utf8_to_cp1252_strict(const std::string& utf8, std::string& out) {
    out.clear();
    const auto& table = cp1252_bytes();
    for (size_t i = 0; i < utf8.size();) {
        unsigned cp = 0;
        size_t n = decode_utf8(utf8, i, cp);
        auto byte = table.find(cp);
        if (n == 0 || byte == table.end()) return false;
        out += byte->second;
        i += n;
    }
    return true;
}

bool parse_record(const BodyLine& line, Record& out, Diagnostics& diag) {
    const std::string& s = line.text;
    size_t i = 0;
    auto fail = [&](const std::string& what) {
        diag.error(line.line, what + " in \"" + s + "\"");
        return false;
    };
    auto skip_blanks = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    };
    skip_blanks();
    size_t start = i;
    while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_')) ++i;
    out.keyword = s.substr(start, i - start);
    out.params.clear();
    out.line = line.line;
    if (out.keyword.empty() || i >= s.size() || s[i] != '(') return fail("expected keyword(");
    ++i;
    skip_blanks();
    if (i < s.size() && s[i] == ')') {
        ++i;
    } else {
        for (;;) {
            skip_blanks();
            Param p{false, 0, std::string()};
            if (i < s.size() && s[i] == '"') {
                p.is_text = true;
                for (++i;; ++i) {
                    if (i >= s.size()) return fail("unterminated text");
                    if (s[i] == '"') break;
                    if (s[i] == '\\') {
                        if (++i >= s.size()) return fail("unterminated text");
                        p.text += s[i] == 'n' ? '\r' : s[i];
                    } else {
                        p.text += s[i];
                    }
                }
                ++i;
            } else {
                const char* begin = s.c_str() + i;
                char* end = nullptr;
                long long v = std::strtoll(begin, &end, 0);
                if (end == begin) return fail("expected a number or a quoted text");
                if (v < INT32_MIN || v > INT32_MAX) return fail("number out of range");
                p.number = static_cast<int32_t>(v);
                i += static_cast<size_t>(end - begin);
            }
            out.params.push_back(p);
            skip_blanks();
            if (i < s.size() && s[i] == ',') {
                ++i;
                continue;
            }
            if (i < s.size() && s[i] == ')') {
                ++i;
                break;
            }
            return fail("expected ',' or ')'");
        }
    }
    skip_blanks();
    if (i != s.size()) return fail("unexpected text after ')'");
    return true;
}

std::vector<Resource> compile_source(const std::string& text, Diagnostics& diag) {
    std::vector<Resource> resources;
    std::map<std::pair<short, short>, int> seen;  // (type, id) -> line of its block
    for (const Block& b : read_blocks(text, diag)) {
        Resource res{0, 0, std::string()};
        if (!compile_block(b, res, diag)) continue;
        if (res.bytes.size() > max_resource_size) {
            diag.error(b.line, "resource of " + std::to_string(res.bytes.size()) +
                                   " bytes; the program reads at most " +
                                   std::to_string(max_resource_size));
            continue;
        }
        auto key = std::make_pair(res.type, res.id);
        auto first = seen.find(key);
        if (first != seen.end()) {
            diag.error(b.line, "@" + b.kind + " " + std::to_string(res.id) +
                                   " is already defined at line " + std::to_string(first->second));
            continue;
        }
        seen[key] = b.line;
        resources.push_back(std::move(res));
    }
    return resources;
}

}  // namespace rescomp
