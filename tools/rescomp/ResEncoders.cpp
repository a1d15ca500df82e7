#include "ResEncoders.h"

#include <cctype>
#include <cstring>

namespace rescomp {

namespace {

void put16(std::string& out, int32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void patch16(std::string& out, size_t at, int32_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

// A text area: a word giving the size of itself plus the text, the text with its zero, and
// one more zero when needed so that the words after it stay aligned.
void put_area(std::string& out, const std::string& text) {
    size_t size = (2 + text.size() + 1 + 1) & ~size_t(1);
    put16(out, static_cast<int32_t>(size));
    out += text;
    out.append(size - 2 - text.size(), '\0');
}

bool is_hex(const std::string& s) {
    for (char c : s)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// The value of the n hexadecimal digits of s from at.
size_t hex_value(const std::string& s, size_t at, size_t n) {
    return std::stoul(s.substr(at, n), nullptr, 16);
}

bool is_blank(const std::string& s) {
    for (char c : s)
        if (c != ' ' && c != '\t') return false;
    return true;
}

// Checks that a record has the expected parameters: 'n' a 16-bit number, 't' a text.
bool check_params(const Record& r, const char* shape, Diagnostics& diag) {
    size_t n = std::strlen(shape);
    if (r.params.size() != n) {
        diag.error(r.line, r.keyword + " takes " + std::to_string(n) + " parameters, not " +
                               std::to_string(r.params.size()));
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        const Param& p = r.params[i];
        if ((shape[i] == 't') != p.is_text) {
            diag.error(r.line, r.keyword + ": parameter " + std::to_string(i + 1) +
                                   (p.is_text ? " must be a number" : " must be a quoted text"));
            return false;
        }
        if (!p.is_text && (p.number < -32768 || p.number > 65535)) {
            diag.error(r.line, r.keyword + ": parameter " + std::to_string(i + 1) +
                                   " does not fit in 16 bits");
            return false;
        }
    }
    return true;
}

// Item layouts of the binary dialog record, after the common left, top, right, bottom, id.
enum Layout { titled, listed, ranged, edit, bare, picture };

struct ItemKind {
    const char* keyword;
    short kind;
    Layout layout;
};

const ItemKind item_kinds[] = {
    {"button", 1, titled}, {"check", 2, titled},   {"radio", 3, titled},   {"list", 4, listed},
    {"popup", 5, listed},  {"hslider", 6, ranged}, {"vslider", 7, ranged}, {"text", 8, edit},
    {"label", 9, titled},  {"line", 10, bare},     {"nothing", 11, bare},  {"picture", 12, picture},
    {"hscroll", 13, ranged}, {"vscroll", 14, ranged},
};

const char* layout_shape(Layout layout) {
    switch (layout) {
        case titled: return "nnnnnnt";      // flags, title
        case listed: return "nnnnnnnnnt";   // flags, strings, list number, current, caption
        case ranged: return "nnnnnnnnn";    // flags, minimum, maximum, value
        case edit: return "nnnnnnnnt";      // flags, lines, maximum characters, text
        case bare: return "nnnnn";
        default: return "nnnnnn";           // picture number
    }
}

// The item's bytes up to its pairs.
std::string encode_item(const ItemKind& k, const Record& r) {
    auto n = [&](size_t i) { return r.params[i].number; };
    std::string item;
    put16(item, 0);  // size, patched when the pairs are known
    put16(item, k.kind);
    for (size_t i = 0; i < 5; ++i) put16(item, n(i));
    put16(item, 0);  // pair count, patched
    switch (k.layout) {
        case titled: put16(item, n(5)); put_area(item, r.params[6].text); break;
        case listed:
            put16(item, n(5)); put16(item, n(6)); put16(item, 0); put16(item, n(7));
            put16(item, n(8)); put_area(item, r.params[9].text);
            break;
        case ranged:
            put16(item, n(5)); put16(item, n(6)); put16(item, n(7)); put16(item, 0);
            put16(item, n(8)); put_area(item, std::string());
            break;
        case edit:
            put16(item, n(5)); put16(item, n(6)); put16(item, n(7)); put16(item, 0);
            put_area(item, r.params[8].text);
            break;
        case bare: break;
        case picture: put16(item, 0); put16(item, n(5)); break;
    }
    return item;
}

struct Item {
    std::string bytes;
    int pairs = 0;
};

void close_item(Item& item) {
    patch16(item.bytes, 0, static_cast<int32_t>(item.bytes.size()));
    patch16(item.bytes, 14, item.pairs);
}

// Keywords of the text dialogs, compared on their start as the program does.
const char* const dialog_keywords[] = {"button", "list",  "popup",  "check",    "radio",
                                       "te",     "scroll", "slider", "label",   "frame",
                                       "bitmap", "progress", "userpane", "colorchoice", "items"};

}  // namespace

std::string encode_text(const std::vector<BodyLine>& body) {
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        if (i > 0) out += "\r\n";
        out += body[i].text;
    }
    out += '\0';
    return out;
}

bool check_text_dialog(const std::vector<BodyLine>& body, int block_line, Diagnostics& diag) {
    if (body.empty() || body[0].text.rfind("dialog(", 0) != 0) {
        diag.error(block_line, "a text dialog starts with its dialog(...) line");
        return false;
    }
    bool ok = true;
    auto fail = [&](int line, const std::string& text) {
        diag.error(line, text);
        ok = false;
    };
    const char* const missing_items = "this control needs an items(...) line right after it";
    int items_due = 0;  // line of a list, pop-up or radio group whose items record comes next
    for (size_t i = 0; i < body.size(); ++i) {
        const BodyLine& line = body[i];
        int due = items_due;
        items_due = 0;
        Record r;
        bool parsed = false;
        if (!line.text.empty() && (line.text[0] == ' ' || line.text[0] == '\t'))
            fail(line.line, "a line starting with a blank is skipped by the program");
        else if (!line.text.empty())
            parsed = parse_record(line, r, diag);
        ok = ok && (parsed || line.text.empty());
        // The program takes the line after such a control as its items, whatever it holds.
        if (due && (!parsed || r.keyword != "items")) fail(due, missing_items);
        if (!parsed) continue;
        bool known = i == 0;
        for (const char* k : dialog_keywords) known = known || r.keyword.rfind(k, 0) == 0;
        if (!known || (i > 0 && r.keyword == "dialog")) fail(line.line, "unknown control " + r.keyword);
        bool has_entries = r.keyword == "list" || r.keyword == "popup" || r.keyword == "radio";
        if (has_entries && r.params.size() >= 6 && !r.params[5].is_text && r.params[5].number != 0)
            items_due = line.line;
    }
    if (items_due) fail(items_due, missing_items);
    return ok;
}

bool check_menu(const std::vector<BodyLine>& body, Diagnostics& diag) {
    bool ok = true;
    int depth = 0;
    for (const BodyLine& line : body) {
        if (is_blank(line.text)) continue;
        Record r;
        if (!parse_record(line, r, diag)) {
            ok = false;
            continue;
        }
        if (r.keyword == "popup") {
            ok = check_params(r, "t", diag) && ok;
            ++depth;
        } else if (r.keyword == "end") {
            ok = check_params(r, "", diag) && ok;
            if (--depth < 0) {
                diag.error(r.line, "end() without a popup");
                ok = false;
                depth = 0;
            }
        } else if (r.keyword == "separator") {
            ok = check_params(r, "", diag) && ok;
        } else if (r.keyword == "item") {
            const char* shapes[] = {"nt", "ntt", "nttt"};
            size_t count = r.params.size();
            ok = check_params(r, count >= 2 && count <= 4 ? shapes[count - 2] : "nt", diag) && ok;
            if (count >= 3 && r.params[2].is_text && r.params[2].text.size() > 1) {
                diag.error(r.line, "the accelerator is one letter (Ctrl + the letter)");
                ok = false;
            }
        } else {
            diag.error(r.line, "unknown menu line " + r.keyword);
            ok = false;
        }
    }
    if (depth != 0) {
        diag.error(body.empty() ? 0 : body.back().line, "popup without its end()");
        ok = false;
    }
    return ok;
}

bool encode_bindialog(short id, const std::vector<BodyLine>& body, std::string& out,
                      int block_line, Diagnostics& diag) {
    std::string header;
    std::string header_pairs;
    int header_pair_count = 0;
    std::vector<Item> items;
    bool ok = true;
    for (const BodyLine& line : body) {
        if (is_blank(line.text) || line.text.find_first_not_of(" \t") == line.text.find('#'))
            continue;
        Record r;
        if (!parse_record(line, r, diag)) {
            ok = false;
            continue;
        }
        if (r.keyword == "dialog") {
            if (!header.empty()) {
                diag.error(r.line, "a second dialog(...) line");
                ok = false;
            } else if (check_params(r, "nnnnnt", diag)) {
                put16(header, 0);
                for (size_t i = 0; i < 5; ++i) put16(header, r.params[i].number);
                put16(header, id);
                put16(header, 0);  // item count, patched
                put16(header, 0);  // header pair count, patched
                put16(header, 0);
                put_area(header, r.params[5].text);
            } else {
                ok = false;
            }
            continue;
        }
        if (header.empty()) {
            diag.error(r.line, "a binary dialog starts with its dialog(...) line");
            ok = false;
            continue;
        }
        if (r.keyword == "pair") {
            if (!check_params(r, "nn", diag)) {
                ok = false;
                continue;
            }
            std::string& target = items.empty() ? header_pairs : items.back().bytes;
            put16(target, r.params[0].number);
            put16(target, r.params[1].number);
            ++(items.empty() ? header_pair_count : items.back().pairs);
            continue;
        }
        const ItemKind* kind = nullptr;
        for (const ItemKind& k : item_kinds)
            if (r.keyword == k.keyword) kind = &k;
        if (!kind) {
            diag.error(r.line, "unknown item " + r.keyword);
            ok = false;
        } else if (check_params(r, layout_shape(kind->layout), diag)) {
            items.push_back(Item{encode_item(*kind, r), 0});
        } else {
            ok = false;
        }
    }
    if (header.empty()) {
        if (ok) diag.error(block_line, "a binary dialog starts with its dialog(...) line");
        return false;
    }
    patch16(header, 14, static_cast<int32_t>(items.size()));
    patch16(header, 16, header_pair_count);
    out = header + header_pairs;
    for (Item& item : items) {
        close_item(item);
        out += item.bytes;
    }
    return ok;
}

bool encode_picture(const std::string& name, int colours, const std::vector<BodyLine>& body,
                    std::string& out, int block_line, Diagnostics& diag) {
    std::string name1252;
    if (!utf8_to_cp1252_strict(name, name1252) || name1252.size() > 15) {
        diag.error(block_line, "a picture name has at most 15 Windows-1252 characters");
        return false;
    }
    // The palette: entry n as blue, green, red and a zero byte.
    std::string palette(colours == 256 ? 1024 : 0, '\0');
    size_t first_row = 0;
    for (; colours == 256 && first_row < body.size(); ++first_row) {
        const std::string& t = body[first_row].text;
        if (t.find('=') == std::string::npos) break;
        if (t.size() != 9 || t[2] != '=' || !is_hex(t.substr(0, 2)) || !is_hex(t.substr(3))) {
            diag.error(body[first_row].line, "a palette line is NN=RRGGBB");
            return false;
        }
        size_t entry = hex_value(t, 0, 2);
        for (size_t c = 0; c < 3; ++c)
            palette[4 * entry + 2 - c] = static_cast<char>(hex_value(t, 3 + 2 * c, 2));
    }

    size_t digits = colours == 256 ? 2 : 1;
    size_t height = body.size() - first_row;
    size_t width = height ? body[first_row].text.size() / digits : 0;
    if (width == 0 || width > 1024 || height > 1024) {
        diag.error(block_line, "a picture has 1 to 1024 rows of 1 to 1024 pixels");
        return false;
    }
    for (size_t r = first_row; r < body.size(); ++r) {
        if (body[r].text.size() != width * digits || !is_hex(body[r].text)) {
            diag.error(body[r].line, "every row holds " + std::to_string(width * digits) +
                                         " hexadecimal digits (" + std::to_string(digits) +
                                         " a pixel)");
            return false;
        }
    }
    out.clear();
    put16(out, colours);
    put16(out, static_cast<int32_t>(width));
    put16(out, static_cast<int32_t>(height));
    out += name1252;
    out.append(16 - name1252.size(), '\0');
    out += palette;
    // Rows from the bottom up, each padded to a multiple of 4 bytes; with 16 colours the
    // first pixel of a byte is in its high four bits.
    size_t row_bytes = colours == 256 ? (width + 3) / 4 * 4 : (width + 7) / 8 * 4;
    for (size_t r = body.size(); r-- > first_row;) {
        std::string row(row_bytes, '\0');
        const std::string& t = body[r].text;
        for (size_t x = 0; x < width; ++x) {
            int v = static_cast<int>(hex_value(t, x * digits, digits));
            if (colours == 256)
                row[x] = static_cast<char>(v);
            else
                row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 ? v : v << 4));
        }
        out += row;
    }
    return true;
}

}  // namespace rescomp
