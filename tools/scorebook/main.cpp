// scorebook PROGRAM_DIR OUT_DIR SOURCE...: writes each melody SOURCE ("Name.txt") as the score
// document OUT_DIR/"Name.bcc": one treble staff with its key and time signature, laid out in
// pages as the program lays out scores (PROGRAM_DIR is the program directory, for the music font
// and the resources). Each measure is justified as the editor justifies it, so that the eighths
// and shorter notes are beamed by beat and the stems turn as the layout sets them. The score
// opens maximised in the page view.
//
// Source lines ('#' starts a comment line):
//   time U/L          the time signature (4/4 when absent)
//   key K             the key signature: K sharps, or -K flats (0 when absent)
//   tempo T           quarter notes a minute (100 when absent)
//   empty N           N empty measures (a score to write into)
//   instruments N     N instruments, each with its track and staff (1 when absent): staff 1
//                     the melody, the others the accompaniment that styles are arranged into
//                     (on their own MIDI channels, 10 the drums); the systems of the pages
//                     leave out the staves that hold no notes
// every other line holds notes, measures separated by '|': a note is a letter A to G, its octave
// (C4 is middle C) and its value (w whole, h half, q quarter, e eighth, s sixteenth), a '.'
// after the value dots it; a rest is R and its value. The key signature gives the sharps and
// flats; every measure must be full.

#include "framework/CApplication.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"
#include "layout/Justification.h"
#include "layout/PageLayout.h"
#include "layout/ScoreDrawing.h"
#include "platform/FileSystem.h"
#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"
#include "score/DocumentWriter.h"
#include "score/MusicClasses.h"
#include "score/ScoreBuilder.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Item {
    bool rest = false;
    short y = 0;      // staff position (26 the bottom line of the treble staff, 3 a step)
    short rythm = 3;  // value code
    bool dotted = false;
};

struct Melody {
    short upper = 4, lower = 4, key = 0, tempo = 100, empty = 0, instruments = 1;
    std::vector<std::vector<Item>> measures;
};

bool fail(const std::string& where, const std::string& why)
{
    std::fprintf(stderr, "scorebook: %s: %s\n", where.c_str(), why.c_str());
    return false;
}

// One note or rest token; false when it is not one.
bool parse_item(const std::string& t, Item* item)
{
    static const std::string values = "whqes";
    size_t i = 0;
    if (t.empty()) return false;
    if (t[0] == 'R') {
        item->rest = true;
        i = 1;
    } else {
        static const std::string letters = "CDEFGAB";
        const size_t step = letters.find(t[0]);
        if (step == std::string::npos || t.size() < 3 || !std::isdigit((unsigned char)t[1])) return false;
        const int octave = t[1] - '0';
        // E4 sits on the bottom line; each diatonic step is 3 units up.
        const int from_e4 = (octave - 4) * 7 + (int)step - 2;
        item->y = (short)(26 - 3 * from_e4);
        i = 2;
    }
    if (i >= t.size()) return false;
    const size_t v = values.find(t[i]);
    if (v == std::string::npos) return false;
    item->rythm = (short)(v + 1);
    item->dotted = i + 1 < t.size() && t[i + 1] == '.';
    return i + 1 + (item->dotted ? 1 : 0) == t.size();
}

int32_t ticks(const Item& item)
{
    const int32_t base = 3840 >> item.rythm;
    return item.dotted ? base * 3 / 2 : base;
}

bool read_melody(const std::string& path, Melody* m)
{
    std::ifstream in(path);
    if (!in) return fail(path, "cannot be read");
    std::string line;
    std::vector<Item> current;
    int number = 0;
    while (std::getline(in, line)) {
        number++;
        const std::string where = path + ":" + std::to_string(number);
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "time") {
            char slash = 0;
            words >> m->upper >> slash >> m->lower;
            if (slash != '/' || m->upper < 1 || m->lower < 1) return fail(where, "a time signature is U/L");
            continue;
        }
        if (word == "key") {
            words >> m->key;
            continue;
        }
        if (word == "tempo") {
            words >> m->tempo;
            continue;
        }
        if (word == "empty") {
            words >> m->empty;
            continue;
        }
        if (word == "instruments") {
            words >> m->instruments;
            if (m->instruments < 1 || m->instruments > 16) return fail(path, "1 to 16 instruments");
            continue;
        }
        std::istringstream tokens(line);
        for (std::string t; tokens >> t;) {
            if (t == "|") {
                m->measures.push_back(current);
                current.clear();
                continue;
            }
            Item item;
            if (!parse_item(t, &item)) return fail(where, "not a note: " + t);
            current.push_back(item);
        }
    }
    if (!current.empty()) m->measures.push_back(current);
    const int32_t length = m->upper * (1920 / m->lower);
    for (size_t k = 0; k < m->measures.size(); k++) {
        int32_t sum = 0;
        for (const Item& item : m->measures[k]) sum += ticks(item);
        if (sum != length) return fail(path, "measure " + std::to_string(k + 1) + " is not full");
    }
    return true;
}

bool write_score(const Melody& m, const std::string& out)
{
    const short columns = (short)(m.empty ? m.empty : (short)m.measures.size());
    ScoreBuilder score(m.instruments, columns);
    Document* d = score.d;
    score.clef(1, 1, 1);
    // The accompaniment: a channel each, unnamed, empty staves left out of the pages.
    constexpr short kDrums = 10;
    for (short s = 2; s <= m.instruments; s++) {
        Ins& ins = d->ins[s];
        ins.nom[0] = 0;
        ins.abrege[0] = 0;
        ins.canal = s;
        ins.autom = (short)(ins.autom & ~0x0002);  // the channel stays the staff's number
        ins.in_roll = 0;
        if (s == kDrums) {
            ins.percu = 1;
            std::memset(ins.map, 100, sizeof ins.map);
        }
        score.clef(1, s, 1);
        score.time(1, s, m.upper, m.lower);
    }
    if (m.instruments > 1) d->sub_doc[d->cur_sub_doc].opti_sys = 1;
    // A melody alone on its staff goes without a staff name.
    d->ins[1].nom[0] = 0;
    d->ins[1].abrege[0] = 0;
    if (m.key) score.key(1, 1, m.key);
    score.time(1, 1, m.upper, m.lower);
    for (size_t k = 0; k < m.measures.size(); k++) {
        const short column = (short)(k + 1);
        for (const Item& item : m.measures[k]) {
            if (item.rest) {
                CRest* r = score.rest(column, 1, item.rythm);
                if (item.dotted) {
                    r->point = 1;
                    r->length = (short)(r->length * 3 / 2);
                }
                continue;
            }
            CNote* n = score.note(column, 1, item.y, item.rythm);
            if (item.dotted) {
                n->point = 1;
                n->length = (short)(n->length * 3 / 2);
                n->adjust();
            }
        }
    }
    // Stems, beams and spacing as the editor lays out a measure that was just written.
    CUserPanel measuring(nullptr);
    for (short column = 1; column <= columns; column++)
        justifier_mesure(column, 1, 1, 1, 1.0f, 1.0f, &measuring, nullptr);
    d->tempo = m.tempo;
    d->sub_doc[1].tempo = m.tempo;
    d->sub_doc[d->cur_sub_doc].rpar = CRect{};
    d->sub_doc[d->cur_sub_doc].rpar.x2 = -1;  // the window opens maximised
    mise_en_page(1.0f, 1.0f, nullptr);
    d->cur_pag = 1;
    d->sub_doc[d->cur_sub_doc].cur_pag = 1;
    d->path->set(out.c_str());
    return save_document(d) == 1 || fail(out, "cannot be written");
}

std::string stem(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: scorebook PROGRAM_DIR OUT_DIR SOURCE...\n");
        return 2;
    }
    const std::string out_dir = argv[2];
    if (!platform::set_current_directory(argv[1])) return fail(argv[1], "no such folder"), 1;
    platform::WindowManager wm(std::make_unique<platform::HeadlessBackend>(platform::Point{1024, 768}));
    if (!register_window_classes()) return 1;
    application = new CApplication("");
    win_array = new CArrayPtr;
    init_music_classes();
    install_score_drawing();
    int failed = 0;
    for (int i = 3; i < argc; i++) {
        Melody m;
        if (!read_melody(argv[i], &m) || !write_score(m, out_dir + "/" + stem(argv[i]) + ".bcc")) failed++;
    }
    quit_music_classes();
    delete application;
    application = nullptr;
    delete win_array;
    win_array = nullptr;
    return failed ? 1 : 0;
}
