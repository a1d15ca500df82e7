// Drawing of text blocks (with the text layout they use), lyrics and chord symbols.
#include <algorithm>
#include <string>

#include "framework/CUserPanel.h"
#include "layout/DrawingRules.h"
#include "layout/DrawingServices.h"
#include "layout/ScoreDrawing.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Placeholders.h"

namespace {

// The text with every "$1" replaced by the number of the page being drawn; as long as it
// needs to be, however many placeholders it holds.
std::string expand_page_number(const char* text, short length) {
    std::string out;
    const std::string page = std::to_string(cur_drawing_page);
    for (short i = 0; i < length && text[i]; i++) {
        if (text[i] == '$' && i + 1 < length && text[i + 1] == '1') {
            out += page;
            i++;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The text of one line: the characters from `from` to `to` (included) without carriage
// returns and trailing blanks; line feeds become a single space when justified.
std::string line_text(const std::string& buf, size_t from, size_t to, bool justified) {
    std::string line;
    for (size_t j = from; j <= to && j < buf.size(); j++) {
        char c = buf[j];
        if (c == '\r') continue;
        if (c == '\n') {
            if (justified && (line.empty() || line.back() != ' ')) line += ' ';
            continue;
        }
        if (c == ' ') {
            bool followed = false;
            for (size_t k = j + 1; k <= to && k < buf.size() && !followed; k++)
                followed = buf[k] != ' ' && buf[k] != '\n' && buf[k] != '\r';
            if (!followed) continue;
        }
        line += c;
    }
    return line;
}

void draw_line_of_text(CUserPanel* p, const std::string& line, short align, short mode, short x,
                       short y, short w) {
    short lw = p->string_width(line.c_str());
    short lx = align == 2 ? (short)(x + w - lw) : align == 3 ? (short)(x + (w - lw) / 2) : x;
    p->go_to(lx, y);
    if (align != 4) {
        p->draw_string(line.c_str(), mode);
        return;
    }
    // Justified: the free width spread one pixel at a time over the gaps between characters,
    // unless it is more than a third of the frame (a short last line).
    int n = (int)line.size() - 1;
    int extra = w - lw;
    if (extra > w / 3) extra = 0;
    int acc = 0;
    for (char c : line) {
        p->draw_char(c, mode);
        acc += extra;
        while (n > 0 && acc > n) {
            p->go(1, 0);
            acc -= n;
        }
    }
}

// A lyric syllable as it is shown: without line feeds and carriage returns, at most 100
// characters.
std::string syllable_text(const char* text) {
    std::string out;
    for (const char* c = text; *c && out.size() < 100; c++)
        if (*c != '\n' && *c != '\r') out += *c;
    return out;
}

}  // namespace

void draw_justifie_texte(CUserPanel* p, const char* text, short length, short align, short mode,
                         short x, short y, short* w, short*, short interligne) {
    const std::string buf = expand_page_number(text, length);
    const bool justified = align == 4;
    const float f = interligne / 100.0f;
    const short size = p->get_font()->get_size();
    short line_y = (short)(y + size);
    size_t start = 0;
    long brk = -1;
    int line_w = 0, word_w = 0, words = 0;
    bool word_open = false;
    auto flush = [&](size_t to) {
        draw_line_of_text(p, line_text(buf, start, to, justified), align, mode, x, line_y, *w);
        line_y = T(line_y + size * f);
        start = to + 1;
        line_w = word_w = words = 0;
        word_open = false;
    };
    auto end_word = [&] {
        if (!word_open) return;
        line_w += word_w;
        word_w = 0;
        words++;
        word_open = false;
    };
    for (size_t i = start; i <= buf.size();) {
        if (i == buf.size()) {
            if (start < buf.size()) flush(buf.size() - 1);
            break;
        }
        char c = buf[i];
        if (c == '\r') {
            i++;
            continue;
        }
        if (c == '\n' || c == ' ') {
            end_word();
            brk = (long)i;
            if (c == '\n' && !justified) {
                flush(i);
                i = start;
                continue;
            }
        } else {
            word_open = true;
        }
        short cw = p->char_width(c == '\n' ? ' ' : c);
        if (justified && line_w + word_w + cw > *w && words > 0) {
            flush((size_t)brk);
            i = start;
            continue;
        }
        word_w += cw;
        i++;
    }
}

void draw_textbloc(CTextBloc* t, CUserPanel* p, short mode, float sx, float sy) {
    short px, py;
    p->get_pc(&px, &py);
    p->set_font(&t->font, 1.0f);
    p->set_font_size(T(t->font.get_size() * sy * staff_scale));
    p->set_color(print_in_black(p) ? BLACK : t->color);
    short w = T(t->w * sx * staff_scale), h = T(t->h * sy * staff_scale);
    short x = T(px + t->x * sx), y = T(py + t->y * sy * staff_scale);
    draw_justifie_texte(p, t->text.get(), (short)t->text.length(), t->align, mode, x, y, &w, &h,
                        t->interligne);
    if (marks_shown(p)) {
        p->set_color(RED);
        p->draw_rect(x, y, (short)(x + w), (short)(y + h), mode);
        p->draw_rect((short)(x + w - 6), (short)(y + h - 6), (short)(x + w), (short)(y + h), mode);
    }
    p->go_to(px, py);
}

void draw_lyrics(CLyrics* l, CUserPanel* p, short mode, float sx, float sy) {
    float s = sy * staff_scale;
    short t = thickness(&Document::epaisseur_autres, s);
    short px, py;
    p->get_pc(&px, &py);
    CFont fallback;
    for (short v = 0; v < CLyrics::VERSES; v++) {
        int32_t colour = doc ? doc->col[v == 0 ? 8 : v + 10] : BLACK;
        p->set_color(print_in_black(p) ? BLACK : colour);
        CFont* font = doc && doc->cha_font[v] ? doc->cha_font[v] : &fallback;
        p->set_font(font, 1.0f);
        p->set_font_size(T(font->get_size() * s));
        const std::string syllable = syllable_text(l->text[v].get());
        short width = p->string_width_ascii(syllable.c_str());
        p->go_to(T(px + l->x * sx - width / 2), T(py + (l->y[v] + 24) * s));
        p->draw_string_ascii(syllable.c_str(), mode);
        if (l->l[v] != -1) {
            short cx, cy;
            p->get_pc(&cx, &cy);
            p->fill_rect(T(cx + 3 * sx), cy, T(cx + (l->l[v] + 3) * sx), (short)(cy + t), mode);
        }
        if (l->d[v] != -1)
            p->fill_rect(T(px + (l->d[v] + l->x) * sx), T(py + (l->y[v] + 20) * s),
                         T(px + (l->d[v] + l->x + 5) * sx), T(t + py + (l->y[v] + 20) * s), mode);
    }
    p->go_to(px, py);
}

void draw_chorduse(CChordUse* c, CUserPanel* p, short mode, float sx, float sy) {
    short px, py;
    p->get_pc(&px, &py);
    CChordProgression* prog = doc && doc->sub_doc ? doc->sub_doc[doc->cur_sub_doc].chprog : nullptr;
    CChord* chord = prog ? prog->get_chord(prog->get_chord_index(last_ma, c->offset, 0)) : nullptr;
    Vect_dessin* d = chord_library ? chord_library->create_chord_symbol(chord) : nullptr;
    if (!d) return;
    float ssx = sx * staff_scale, ssy = sy * staff_scale;
    short w = T((d->x2 - d->x1) * ssx), h = T((d->y2 - d->y1) * ssy);
    if (chord)
        draw_dessin_etendu(p, d, T(px + c->x * sx), T(py + c->y * ssy), T(sx * 100 * staff_scale),
                           T(sy * 100 * staff_scale), 0, 0, mode, ssx, ssy);
    if (marks_shown(p)) {
        p->set_color(RED);
        short x = T(px + c->x * sx - d->ox * ssx), y = T(py + c->y * ssy - d->oy * ssy);
        p->draw_rect(x, y, (short)(x + w), (short)(y + h), mode);
    }
    delete_vect_dessin(d);
    p->go_to(px, py);
}
