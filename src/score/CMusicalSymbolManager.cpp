#include "score/CMusicalSymbolManager.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/CUserPanel.h"
#include "score/Placeholders.h"

CMusicalSymbolManager* msm = nullptr;

namespace {

struct FontTable {
    const char* font;
    const char* file;
};

const FontTable kTables[] = {
    {"Marcatino", "mst-01.tbl"},
    {"Solbrane", "mst-02.tbl"},
    {"Quelvinda", "mst-03.tbl"},
    {"Tremblet", "mst-04.tbl"},
};

// Upper bounds of the size bands 0 to 8; band 9 ends at 1.95.
const double kBandBounds[9] = {0.42, 0.58, 0.74, 0.92, 1.08, 1.23, 1.42, 1.58, 1.74};
const double kLastBound = 1.95;

}  // namespace

// A table being read, committed only once the whole file was read.
struct CMusicalSymbolManager::Table {
    short total = 0, stdsize = 0;
    float dx[MAX_SYMBOLS + 1] = {}, dy[MAX_SYMBOLS + 1] = {}, scale[MAX_SYMBOLS + 1] = {};
    float w[MAX_SYMBOLS + 1] = {};
    short symbol[MAX_SYMBOLS + 1] = {};
    SizeException* ex[MAX_SYMBOLS + 1] = {};

    ~Table() {
        for (SizeException* e : ex) delete e;
    }
};

CMusicalSymbolManager::CMusicalSymbolManager() {
    uid = 501;
    for (short i = 0; i <= MAX_SYMBOLS; i++) {
        dx[i] = dy[i] = scale[i] = w[i] = 0.0f;
        symbol[i] = 0;
        ex[i] = nullptr;
    }
}

CMusicalSymbolManager::~CMusicalSymbolManager() { free_exceptions(); }

void CMusicalSymbolManager::free_exceptions() {
    for (short i = 1; i <= total; i++) {
        delete ex[i];
        ex[i] = nullptr;
    }
}

short CMusicalSymbolManager::size_band(float size) {
    double s = size;
    if (s > kLastBound) return -1;
    short k = 0;
    while (k < 9 && s > kBandBounds[k]) k++;
    return k;
}

short CMusicalSymbolManager::load_table(const char* font_wanted) {
    if (std::strcmp(font_wanted, font_name.get()) == 0 && font_name.length() > 0) return 1;
    for (const FontTable& t : kTables) {
        if (std::strcmp(font_wanted, t.font) != 0) continue;
        CString path;
        program_path(&path, "misc", t.file);
        CString previous;
        previous.set(file_name.get());
        file_name.set(path.get());
        Table table;
        if (!read(table)) {
            file_name.set(previous.get());
            return 0;
        }
        free_exceptions();
        total = table.total;
        stdsize = table.stdsize;
        for (short i = 1; i <= total; i++) {
            dx[i] = table.dx[i];
            dy[i] = table.dy[i];
            scale[i] = table.scale[i];
            w[i] = table.w[i];
            symbol[i] = table.symbol[i];
            ex[i] = table.ex[i];
            table.ex[i] = nullptr;
        }
        font_name.set(t.font);
        font.set_name(t.font);
        font.set_style(std::strcmp(t.font, "Marcatino") == 0 ? 0 : 0x8000);
        last_size = 0;
        return 1;
    }
    return 0;
}

bool CMusicalSymbolManager::read(Table& table) {
    std::string path(file_name.get());
    for (char& c : path)
        if (c == '\\') c = '/';
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return false;
    bool ok = std::fscanf(f, "%hd %hd", &table.total, &table.stdsize) == 2 && table.total >= 0;
    if (table.total > MAX_SYMBOLS) table.total = MAX_SYMBOLS;
    for (short i = 1; ok && i <= table.total; i++) {
        short flag = 0;
        ok = std::fscanf(f, "%hd %f %f %f %f %hd", &table.symbol[i], &table.dx[i], &table.dy[i],
                         &table.scale[i], &table.w[i], &flag) == 6;
        if (!ok || flag == 0) continue;
        SizeException* e = table.ex[i] = new SizeException;
        for (short k = 0; ok && k < 10; k++)
            ok = std::fscanf(f, " %hd %hd %hd %hd", &e->dx[k], &e->dy[k], &e->size[k], &e->w[k]) == 4;
    }
    std::fclose(f);
    return ok;
}

void CMusicalSymbolManager::use_point_size(short p) {
    if (p == last_size) return;
    last_size = p;
    font.set_size(p);
}

short CMusicalSymbolManager::width(short n, float size, CUserPanel* panel) {
    if (!defined(n)) return 0;
    short band = ex[n] ? size_band(size) : -1;
    if (band >= 0) return ex[n]->w[band];
    float s = size * scale[n];
    use_point_size((short)(stdsize * s));
    panel->set_font(&font, 1.0f);
    return (short)(panel->char_width((char)(symbol[n] & 0xFF)) * w[n]);
}

void CMusicalSymbolManager::draw(short n, float size, short x, short y, CUserPanel* panel,
                                 short mode) {
    if (!defined(n)) return;
    short band = ex[n] ? size_band(size) : -1;
    if (band >= 0) {
        use_point_size(ex[n]->size[band]);
        panel->set_font(&font, 1.0f);
        panel->go_to((short)(x + ex[n]->dx[band]), (short)(y + ex[n]->dy[band]));
    } else {
        float s = size * scale[n];
        use_point_size((short)(stdsize * s));
        panel->set_font(&font, 1.0f);
        panel->go_to((short)(x + s * dx[n]), (short)(y + s * dy[n]));
    }
    panel->draw_char((char)(symbol[n] & 0xFF), mode);
}
