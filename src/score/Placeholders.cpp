#include "score/Placeholders.h"

#include <cstdlib>
#include <initializer_list>
#include <cstring>
#include <memory>
#include <string>

#include "platform/Font.h"
#include "platform/MusicFont.h"
#include "platform/Surface.h"

void CFont::set(CFont* other) {
    name.set(other->name.get());
    size = other->size;
    style = other->style;
    color = other->color;
}

short CUserPanel::set_font(CFont* f, float factor) {
    font.set(f);
    font.size = (short)(f->size * factor);
    return 1;
}

void CUserPanel::set_font(const char* name, short size, short style) {
    font.set_name(name);
    font.size = size;
    font.style = style;
}

// The platform font of a font description; the music font's points become its drawing units.
static std::shared_ptr<const platform::Font> platform_font(CFont& f) {
    platform::FontSpec spec;
    spec.name = f.get_name();
    bool music = spec.name == platform::kMusicFontName;
    spec.size = music ? platform::music_font_units(f.size) : f.size;
    spec.style = f.style;
    return platform::Font::create(spec);
}

short CUserPanel::char_width(char c) {
    return (short)platform_font(font)->char_width((unsigned char)c);
}

short CUserPanel::string_width(const char* s) {
    short w = 0;
    for (; *s; s++) w = (short)(w + char_width(*s));
    return w;
}

short CUserPanel::string_width_ascii(const char* s) {
    std::string text;
    for (; *s && text.size() < 100; s++)
        if (*s != '\n' && *s != '\r') text += *s;
    return string_width(text.c_str());
}

void CUserPanel::draw_char(char c, short mode) {
    std::shared_ptr<const platform::Font> f = platform_font(font);
    if (dc) {
        dc->set_font(f);
        dc->set_text_color(mode == 1 ? back_color : color);
        dc->set_paint(mode == 0 || mode == 1 ? platform::Paint::normal : platform::Paint::invert);
        dc->draw_text(pen_x, pen_y, std::string(1, c));
        dc->set_paint(platform::Paint::normal);
    }
    pen_x = (short)(pen_x + f->char_width((unsigned char)c));
}

void CUndoManager::replace_object_location(void**, void**) {}

void CUndoManager::add_obj(void** location, short, short, short) { recorded.add((intptr_t)location); }

int beep_count = 0;

void beep() { beep_count++; }


short Definition::get_global_param(short) { return 0; }

Definition* CToolsManager::get_definition(short id) {
    for (short i = 1; i <= definitions.total(); i++) {
        Definition* d = (Definition*)definitions.get(i);
        if (d->id == id) return d;
    }
    return nullptr;
}

short deplacer_symbole(short, CMeasure*, short, short, short, short, short, short, short,
                       CUserPanel*, Editeur*) {
    return 0;
}

char* CChordLibrary::get_name_id(short id) {
    for (short i = 1; i <= ids.total(); i++)
        if (ids.get(i) == id) return names.get(i)->get();
    return nullptr;
}

void CChordLibrary::add_chord(short id, const char* name) {
    ids.add(id);
    names.add();
    names.get(names.total())->set(name);
}

Piste* creer_piste(short max) {
    Piste* p = (Piste*)std::calloc(1, sizeof(Piste));
    p->max = max;
    p->event = (MidiEvent*)std::calloc((size_t)max + 1, sizeof(MidiEvent));
    return p;
}

void detruire_piste(Piste* p) {
    if (!p) return;
    std::free(p->event);
    std::free(p);
}

static CString loaded_synthe_name;
static Synthe* loaded_synthe = nullptr;

Synthe* get_synthe(const char* name) {
    return loaded_synthe && std::strcmp(name, loaded_synthe_name.get()) == 0 ? loaded_synthe : nullptr;
}

void set_synthe(const char* name, Synthe* s) {
    loaded_synthe_name.set(name);
    loaded_synthe = s;
}

const char* synthe_port(short) { return "GM-1"; }

// ---- Application object, messages and progress ------------------------------------------

CApplication application;

void CApplication::warning(const char* s1, const char* s2, const char* s3, const char* s4) {
    last_warning.set("");
    for (const char* s : {s1, s2, s3, s4}) {
        if (!s) continue;
        if (last_warning.length()) last_warning.add("\r");
        last_warning.add(s);
    }
    warnings++;
}

void program_path(CString* out, const char* folder, const char* file) {
    const char* dir = std::getenv("BRINDLECOT_DATA");
    out->set(dir && *dir ? dir : ".");
    out->add("\\");
    out->add(folder);
    if (file) {
        out->add("\\");
        out->add(file);
    }
}

int CKeyboard::prefs_written = 0;
