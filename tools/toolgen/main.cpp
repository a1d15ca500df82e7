// toolgen PALETTES SYMBOLS OUTDIR: writes the program's default tool files into OUTDIR
// ("TOOL.PAL", "TOOL.DEF" and "PAL.PFR") from two text sources, in the exact form that the
// program itself writes (so that reading and saving them again changes no byte).
//
// Both sources are UTF-8 lines of words (names are written in Windows-1252); a word that begins with '#' starts a comment; a quoted word
// ("Noire") may hold spaces; a number may be decimal or 0x hexadecimal; a key is a number or a
// character in single quotes ('a').
//
// PALETTES:
//   palette "NAME" ID CELL_WIDTH CELL_HEIGHT
//   tool "NAME" ID KEY1 KEY2 MODE          KEY 0 for none; MODE 1 none, 2 select, 3 spring, 4 both
//   followed by the lines of its icon, a vector drawing whose origin is the cell's centre:
//   glyph 'C' X Y SIZE                      a character of the music font, centred on X
//   text "T" X Y SIZE STYLE FONT            STYLE 1 bold, 2 italic; centred on X
//   line X1 Y1 X2 Y2 PEN                    PEN in tenths of a millimetre
//   rect X1 Y1 X2 Y2 PEN FILL               FILL -1 none, else a colour 0x00BBGGRR
//   ellipse X1 Y1 X2 Y2 PEN FILL
//   poly PEN FILL X1 Y1 X2 Y2 ...           a polygon
//   position ID X1 Y1 X2 Y2                 the window rectangle of palette ID in "PAL.PFR"
//
// SYMBOLS:
//   symbol ID "NAME" DX DY DW DH OPTIONS POS_HOR POS_VER POS_ACC SYM_ID
//   frame X1 Y1 X2 Y2 OX OY                 the vector drawing's frame and origin
//   glyph / text / line / rect / ellipse    its elements, as above (X relative to the frame)
//   rule TYPE OPTIONS MEASURES BEATS TICKS PARAM1 PARAM2 [VALUE...]   a play rule
#include "platform/Cp1252.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Element {
    std::string kind;  // rectangle, ellipse, ligne, texte
    std::vector<long> v;
    std::string text, font;
};

struct Drawing {
    long x1 = -10, y1 = -10, x2 = 10, y2 = 10, ox = 0, oy = 0;
    std::vector<Element> elements;
};

struct Tool {
    std::string name;
    long id = 0, rc1 = 0, rc2 = 0, mode = 1;
    Drawing icon;
};

struct Palette {
    std::string name;
    long id = 0, w = 20, h = 20;
    std::vector<Tool> tools;
};

struct Rule {
    std::vector<long> head;  // type, options, measures, beats, ticks, param1, param2
    std::vector<long> table;
};

struct Symbol {
    std::string name;
    std::vector<long> head;  // id, then dx dy dw dh options pos_hor pos_ver pos_acc sym_id
    Drawing drawing;
    std::vector<long> curve;  // a curve's points (x, y), when the graphic is a curve
    std::vector<Rule> rules;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    std::fprintf(stderr, "toolgen: %s: %s\n", where.c_str(), what.c_str());
    std::exit(1);
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            i++;
            continue;
        }
        if (line[i] == '#') break;
        if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos) end = line.size();
            out.push_back("\"" + line.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        size_t end = line.find_first_of(" \t\r", i);
        if (end == std::string::npos) end = line.size();
        out.push_back(line.substr(i, end - i));
        i = end;
    }
    return out;
}

long number(const std::string& w, const std::string& where) {
    if (w.size() == 3 && w[0] == '\'' && w[2] == '\'') return (unsigned char)w[1];
    char* end = nullptr;
    long v = std::strtol(w.c_str(), &end, 0);
    if (w.empty() || *end) fail(where, "not a number: " + w);
    return v;
}

// A quoted name, from the source's UTF-8 into the program's Windows-1252.
std::string quoted(const std::string& w, const std::string& where) {
    if (w.empty() || w[0] != '"') fail(where, "a quoted name is expected: " + w);
    const std::string s = platform::utf8_to_cp1252(w.substr(1));
    if (s.find('?') != std::string::npos && w.find('?') == std::string::npos)
        fail(where, "a name has only characters of Windows-1252");
    if (s.find(',') != std::string::npos || s.size() > 20) fail(where, "a name has no comma and at most 20 characters");
    return s;
}

// An element line of a drawing; false when the line is not one.
bool element(const std::vector<std::string>& w, Drawing* d, const std::string& where) {
    const std::string& k = w[0];
    auto n = [&](size_t i) { return i < w.size() ? number(w[i], where) : (fail(where, "too few values"), 0L); };
    if (k == "glyph" || k == "text") {
        Element e;
        e.kind = "texte";
        if (k == "glyph") {
            if (w.size() != 5 || w[1].size() != 3) fail(where, "glyph 'C' X Y SIZE");
            e.text = w[1].substr(1, 1);
            e.v = {n(2), n(3), 2, n(4), 0};
            e.font = "Marcatino";
        } else {
            if (w.size() != 7 || w[1][0] != '"') fail(where, "text \"T\" X Y SIZE STYLE FONT");
            e.text = w[1].substr(1);
            e.v = {n(2), n(3), 2, n(4), n(5)};
            e.font = w[6][0] == '"' ? w[6].substr(1) : w[6];
        }
        d->elements.push_back(e);
    } else if (k == "line") {
        d->elements.push_back({"ligne", {n(1), n(2), n(3), n(4), n(5)}, "", ""});
    } else if (k == "rect" || k == "ellipse") {
        d->elements.push_back({k == "rect" ? "rectangle" : "ellipse", {n(1), n(2), n(3), n(4), n(5), n(6)}, "", ""});
    } else if (k == "poly") {
        if (w.size() < 5 || w.size() % 2 == 0) fail(where, "poly PEN FILL X1 Y1 ...");
        Element e{"polygone", {}, "", ""};
        for (size_t i = 1; i < w.size(); i++) e.v.push_back(n(i));
        d->elements.push_back(e);
    } else {
        return false;
    }
    return true;
}

void write_drawing(FILE* f, const Drawing& d, const std::string& name) {
    std::fprintf(f, "dessin(%s,%zu,%ld,%ld,%ld,%ld,%ld,%ld)\r", name.substr(0, 15).c_str(), d.elements.size(), d.x1,
                 d.y1, d.x2, d.y2, d.ox, d.oy);
    for (const Element& e : d.elements) {
        if (e.kind == "texte") {
            std::fprintf(f, "texte(%zu,%s,%ld,%ld,%ld,%ld,%ld,%s,0)\r", e.text.size(), e.text.c_str(), e.v[0], e.v[1],
                         e.v[2], e.v[3], e.v[4], e.font.c_str());
        } else if (e.kind == "polygone") {
            std::fprintf(f, "polygone(%zu", (e.v.size() - 2) / 2);
            for (size_t i = 2; i < e.v.size(); i++) std::fprintf(f, ",%ld", e.v[i]);
            std::fprintf(f, ",%ld,0,%ld)\r", e.v[0], e.v[1]);
        } else if (e.kind == "ligne") {
            std::fprintf(f, "ligne(%ld,%ld,%ld,%ld,%ld,0)\r", e.v[0], e.v[1], e.v[2], e.v[3], e.v[4]);
        } else {
            std::fprintf(f, "%s(%ld,%ld,%ld,%ld,%ld,0,%ld)\r", e.kind.c_str(), e.v[0], e.v[1], e.v[2], e.v[3], e.v[4],
                         e.v[5]);
        }
    }
}

std::vector<std::vector<std::string>> lines_of(const char* path) {
    std::ifstream in(path);
    if (!in) fail(path, "cannot be read");
    std::vector<std::vector<std::string>> out;
    std::string line;
    while (std::getline(in, line)) out.push_back(words(line));
    return out;
}

FILE* create(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) fail(path, "cannot be created");
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: toolgen PALETTES SYMBOLS OUTDIR\n");
        return 2;
    }
    std::vector<Palette> palettes;
    long positions[33][4];
    for (auto& p : positions) p[0] = 320, p[1] = 100, p[2] = 400, p[3] = 220;
    int number_of_line = 0;
    for (const auto& w : lines_of(argv[1])) {
        const std::string where = std::string(argv[1]) + ":" + std::to_string(++number_of_line);
        if (w.empty()) continue;
        if (w[0] == "palette") {
            if (w.size() != 5) fail(where, "palette \"NAME\" ID W H");
            palettes.push_back({quoted(w[1], where), number(w[2], where), number(w[3], where), number(w[4], where), {}});
        } else if (w[0] == "tool") {
            if (palettes.empty() || w.size() != 6) fail(where, "tool \"NAME\" ID KEY1 KEY2 MODE, inside a palette");
            Tool t;
            t.name = quoted(w[1], where);
            t.id = number(w[2], where), t.rc1 = number(w[3], where), t.rc2 = number(w[4], where);
            t.mode = number(w[5], where);
            t.icon.x1 = -palettes.back().w / 2, t.icon.y1 = -palettes.back().h / 2;
            t.icon.x2 = palettes.back().w / 2, t.icon.y2 = palettes.back().h / 2;
            palettes.back().tools.push_back(t);
        } else if (w[0] == "position") {
            if (w.size() != 6) fail(where, "position ID X1 Y1 X2 Y2");
            long id = number(w[1], where);
            if (id < 1 || id > 32) fail(where, "a palette id from 1 to 32");
            for (int k = 0; k < 4; k++) positions[id][k] = number(w[2 + k], where);
        } else if (palettes.empty() || palettes.back().tools.empty() ||
                   !element(w, &palettes.back().tools.back().icon, where)) {
            fail(where, "unknown line: " + w[0]);
        }
    }
    std::vector<Symbol> symbols;
    number_of_line = 0;
    for (const auto& w : lines_of(argv[2])) {
        const std::string where = std::string(argv[2]) + ":" + std::to_string(++number_of_line);
        if (w.empty()) continue;
        if (w[0] == "symbol") {
            if (w.size() != 12) fail(where, "symbol ID \"NAME\" DX DY DW DH OPTIONS POS_HOR POS_VER POS_ACC SYM_ID");
            Symbol s;
            s.name = quoted(w[2], where);
            s.head.push_back(number(w[1], where));
            for (size_t k = 3; k < w.size(); k++) s.head.push_back(number(w[k], where));
            symbols.push_back(s);
        } else if (symbols.empty()) {
            fail(where, "a symbol line is expected first");
        } else if (w[0] == "frame") {
            if (w.size() != 7) fail(where, "frame X1 Y1 X2 Y2 OX OY");
            Drawing& d = symbols.back().drawing;
            d.x1 = number(w[1], where), d.y1 = number(w[2], where), d.x2 = number(w[3], where);
            d.y2 = number(w[4], where), d.ox = number(w[5], where), d.oy = number(w[6], where);
        } else if (w[0] == "curve") {
            if (w.size() != 7) fail(where, "curve X1 Y1 X2 Y2 X3 Y3");
            for (size_t k = 1; k < 7; k++) symbols.back().curve.push_back(number(w[k], where));
        } else if (w[0] == "rule") {
            if (w.size() < 8) fail(where, "rule TYPE OPTIONS MEASURES BEATS TICKS PARAM1 PARAM2 [VALUE...]");
            Rule r;
            for (size_t k = 1; k < 8; k++) r.head.push_back(number(w[k], where));
            for (size_t k = 8; k < w.size(); k++) r.table.push_back(number(w[k], where));
            symbols.back().rules.push_back(r);
        } else if (!element(w, &symbols.back().drawing, where)) {
            fail(where, "unknown line: " + w[0]);
        }
    }

    const std::string out = argv[3];
    FILE* f = create(out + "/TOOL.PAL");
    std::fputs("D921-TW002FR\n", f);
    for (const Palette& p : palettes) {
        std::fprintf(f, "palette(%s,%ld,0,0,0,0,%zu,%ld,%ld,0)\r", p.name.c_str(), p.id, p.tools.size(), p.h, p.w);
        for (const Tool& t : p.tools) {
            std::fprintf(f, "outil(%s,%ld,%ld,%ld,3,%ld)\r", t.name.c_str(), t.id, t.rc1, t.rc2, t.mode);
            write_drawing(f, t.icon, "icone");
        }
    }
    std::fclose(f);

    f = create(out + "/TOOL.DEF");
    std::fputs("D920-TW002FR\n", f);
    for (const Symbol& s : symbols) {
        const std::vector<long>& h = s.head;
        long options = h[5] | (s.rules.empty() ? 0 : 0x2000);
        const bool curve = !s.curve.empty();
        std::fprintf(f, "definition(%ld,%s,%d,%ld,%ld,%ld,%ld,0,0,%ld,%ld,%ld,%ld,%ld,0)\r", h[0], s.name.c_str(),
                     curve ? 3 : 2, h[1], h[2], h[3], h[4], (long)(short)options, h[6], h[7], h[8], h[9]);
        if (curve) {
            std::fprintf(f, "courbe(%zu", s.curve.size() / 2);
            for (long v : s.curve) std::fprintf(f, ",%ld", v);
            std::fputs(")\r", f);
        } else {
            write_drawing(f, s.drawing, s.name);
        }
        for (size_t k = 0; k < s.rules.size(); k++) {
            const Rule& r = s.rules[k];
            std::fprintf(f, "jeu(%ld,%ld,%ld,%ld,%ld,%ld,%ld,%zu,%d)\r", r.head[0], r.head[1], r.head[2], r.head[3],
                         r.head[4], r.head[5], r.head[6], r.table.size(), k + 1 < s.rules.size() ? 1 : 0);
            if (!r.table.empty()) {
                std::fputs("tableau(", f);
                for (size_t i = 0; i < r.table.size(); i++)
                    std::fprintf(f, i + 1 < r.table.size() ? "%ld," : "%ld)\r", r.table[i]);
            }
        }
    }
    std::fclose(f);

    f = create(out + "/PAL.PFR");
    for (int id = 1; id <= 32; id++)
        std::fprintf(f, "%ld %ld %ld %ld\n", positions[id][0], positions[id][1], positions[id][2], positions[id][3]);
    std::fclose(f);
    return 0;
}
