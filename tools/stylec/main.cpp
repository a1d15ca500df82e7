// stylec SOURCE DAT OUT: writes the MIDI pattern of an accompaniment style (a Standard MIDI
// File of format 1, 480 ticks per quarter note) from its text source SOURCE and the style's
// ".dat" file DAT, which gives each variation's meter, tempo and measure count.
//
// The file holds a conductor track (the first variation's meter and tempo at tick 0, then each
// variation's tempo at its first tick) and one track per instrument: its name, at tick 0 its
// bank 0, program, volume, pan, reverb, chorus, arranging mode (controller 3) and delay
// (controller 4), then its notes. The variations lie end to end from tick 1920.
//
// Source lines (a word that begins with '#' starts a comment):
//   track NAME channel C [program P] [volume V] [pan P] [reverb R] [chorus C] [mode M] [delay D]
//   variation N steps S        the variation N (1-based, in the ".dat" order), S steps a measure
//   bars A[-B] ...             the measures (1-based, in the variation) that the next lines fill
//   hit NAME PITCH PATTERN     one character a step: X loud, x medium, o soft, '.' nothing
//   note NAME STEP PITCH[,PITCH...] LENGTH VELOCITY   STEP from 0, LENGTH in steps
// A pitch is a MIDI number or a note name with its octave (C4 = 60, F#2, Bb3).

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Track {
    std::string name;
    int channel = 1;  // 1 to 16
    int program = -1, volume = 100, pan = 64, reverb = 40, chorus = 0, mode = -1, delay = -1;
};

struct Variation {
    int numer = 4, denom = 4, tempo = 100, measures = 0;
    int32_t start = 0, stop = 0;
    int steps = 0;
};

struct Event {
    int32_t when;
    int order;  // at the same tick: note-offs (0) before the rest (1)
    std::vector<unsigned char> bytes;
};

std::string source_name;
int line_number = 0;

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "%s:%d: %s\n", source_name.c_str(), line_number, why.c_str());
    std::exit(1);
}

int to_int(const std::string& s) {
    size_t used = 0;
    int v = 0;
    try {
        v = std::stoi(s, &used);
    } catch (...) {
        used = 0;
    }
    if (used != s.size() || s.empty()) fail("not a number: " + s);
    return v;
}

int to_pitch(const std::string& s) {
    if (!s.empty() && (std::isdigit((unsigned char)s[0]))) {
        int p = to_int(s);
        if (p < 0 || p > 127) fail("pitch out of range: " + s);
        return p;
    }
    static const std::map<char, int> letters = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5},
                                                {'G', 7}, {'A', 9}, {'B', 11}};
    if (s.empty() || !letters.count(s[0])) fail("not a pitch: " + s);
    int pc = letters.at(s[0]);
    size_t i = 1;
    if (i < s.size() && s[i] == '#') pc++, i++;
    else if (i < s.size() && s[i] == 'b') pc--, i++;
    int p = (to_int(s.substr(i)) + 1) * 12 + pc;
    if (p < 0 || p > 127) fail("pitch out of range: " + s);
    return p;
}

// The words of a line, up to a word that begins with '#'.
std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string w;
    while (in >> w && w[0] != '#') out.push_back(w);
    return out;
}

int beat_ticks(int denom) {
    switch (denom) {
        case 1: return 1920;
        case 2: return 960;
        case 8: return 240;
        case 16: return 120;
        case 32: return 60;
        default: return 480;
    }
}

// The variations of the ".dat" file: name, description and a line of four numbers each.
std::vector<Variation> read_dat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "stylec: cannot read %s\n", path.c_str());
        std::exit(1);
    }
    std::vector<std::string> lines;
    std::string l;
    while (std::getline(in, l)) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
    }
    std::vector<Variation> vars;
    int count = lines.size() > 2 ? std::atoi(lines[2].c_str()) : 0;
    int32_t at = 1920;
    for (int v = 0; v < count && 3 + 3 * v + 2 < (int)lines.size(); v++) {
        Variation var;
        std::sscanf(lines[3 + 3 * v + 2].c_str(), "%d%d%d%d", &var.numer, &var.denom, &var.tempo, &var.measures);
        var.start = at;
        var.stop = at + var.numer * var.measures * beat_ticks(var.denom);
        at = var.stop;
        vars.push_back(var);
    }
    if (vars.empty()) {
        std::fprintf(stderr, "stylec: %s describes no variation\n", path.c_str());
        std::exit(1);
    }
    return vars;
}

void put_var_len(std::vector<unsigned char>& out, uint32_t v) {
    unsigned char b[5];
    int n = 0;
    b[n++] = v & 0x7F;
    while (v >>= 7) b[n++] = (unsigned char)(0x80 | (v & 0x7F));
    while (n) out.push_back(b[--n]);
}

void put_be(std::vector<unsigned char>& out, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; i--) out.push_back((unsigned char)(v >> (8 * i)));
}

std::vector<unsigned char> chunk(std::vector<Event> events) {
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.when != b.when ? a.when < b.when : a.order < b.order;
    });
    std::vector<unsigned char> body;
    int32_t last = 0;
    for (const Event& e : events) {
        put_var_len(body, (uint32_t)(e.when - last));
        last = e.when;
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
    put_var_len(body, 0);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    std::vector<unsigned char> out = {'M', 'T', 'r', 'k'};
    put_be(out, (uint32_t)body.size(), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Event tempo_event(int32_t when, int bpm) {
    uint32_t us = 60000000u / (uint32_t)std::max(bpm, 1);
    return {when, 1, {0xFF, 0x51, 0x03, (unsigned char)(us >> 16), (unsigned char)(us >> 8), (unsigned char)us}};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: stylec SOURCE DAT OUT\n");
        return 2;
    }
    source_name = argv[1];
    std::vector<Variation> vars = read_dat(argv[2]);
    std::ifstream in(argv[1]);
    if (!in) fail("cannot read the source");

    std::vector<Track> tracks;
    std::vector<std::vector<Event>> notes;
    auto track_of = [&](const std::string& name) {
        for (size_t i = 0; i < tracks.size(); i++)
            if (tracks[i].name == name) return (int)i;
        fail("no track " + name);
    };
    int cur_var = -1;
    std::vector<int> bars;
    std::string line;
    while (std::getline(in, line)) {
        line_number++;
        std::vector<std::string> w = words(line);
        if (w.empty()) continue;
        if (w[0] == "track") {
            if (w.size() < 2 || w.size() % 2) fail("track NAME followed by pairs of words");
            Track t;
            t.name = w[1];
            for (size_t i = 2; i + 1 < w.size(); i += 2) {
                int v = to_int(w[i + 1]);
                const std::string& k = w[i];
                if (k == "channel") t.channel = v;
                else if (k == "program") t.program = v;
                else if (k == "volume") t.volume = v;
                else if (k == "pan") t.pan = v;
                else if (k == "reverb") t.reverb = v;
                else if (k == "chorus") t.chorus = v;
                else if (k == "mode") t.mode = v;
                else if (k == "delay") t.delay = v;
                else fail("unknown track setting " + k);
                if (v < 0 || v > 127 || (k == "channel" && (v < 1 || v > 16))) fail("value out of range: " + k);
            }
            tracks.push_back(t);
            notes.emplace_back();
        } else if (w[0] == "variation") {
            if (w.size() != 4 || w[2] != "steps") fail("variation N steps S");
            cur_var = to_int(w[1]) - 1;
            if (cur_var < 0 || cur_var >= (int)vars.size()) fail("no such variation in the .dat file");
            Variation& v = vars[cur_var];
            v.steps = to_int(w[3]);
            int32_t measure = v.numer * beat_ticks(v.denom);
            if (v.steps < 1 || measure % v.steps) fail("the steps do not divide the measure");
            bars.clear();
            for (int m = 1; m <= v.measures; m++) bars.push_back(m);
        } else if (w[0] == "bars") {
            if (cur_var < 0) fail("bars outside a variation");
            bars.clear();
            for (size_t i = 1; i < w.size(); i++) {
                size_t dash = w[i].find('-');
                int a = to_int(w[i].substr(0, dash));
                int b = dash == std::string::npos ? a : to_int(w[i].substr(dash + 1));
                if (a < 1 || b < a || b > vars[cur_var].measures) fail("bars outside the variation");
                for (int m = a; m <= b; m++) bars.push_back(m);
            }
        } else if (w[0] == "hit" || w[0] == "note") {
            if (cur_var < 0) fail("notes outside a variation");
            const Variation& v = vars[cur_var];
            int t = track_of(w[1]);
            int32_t measure = v.numer * beat_ticks(v.denom);
            int32_t step = measure / v.steps;
            unsigned char on = (unsigned char)(0x90 + tracks[t].channel - 1);
            unsigned char off = (unsigned char)(0x80 + tracks[t].channel - 1);
            auto add = [&](int32_t from, int32_t length, int pitch, int velocity) {
                if (velocity < 1 || velocity > 127) fail("velocity out of range");
                for (int m : bars) {
                    int32_t at = v.start + (m - 1) * measure + from;
                    int32_t end = at + length;
                    if (end > v.stop) fail("a note runs past the variation");
                    notes[t].push_back({at, 1, {on, (unsigned char)pitch, (unsigned char)velocity}});
                    notes[t].push_back({end, 0, {off, (unsigned char)pitch, 0}});
                }
            };
            if (w[0] == "hit") {
                if (w.size() != 4) fail("hit TRACK PITCH PATTERN");
                int pitch = to_pitch(w[2]);
                if ((int)w[3].size() != v.steps) fail("the pattern does not have one character a step");
                for (int s = 0; s < v.steps; s++) {
                    char c = w[3][s];
                    int vel = c == 'X' ? 115 : c == 'x' ? 90 : c == 'o' ? 62 : 0;
                    if (c != '.' && !vel) fail(std::string("unknown hit ") + c);
                    if (vel) add(s * step, std::max<int32_t>(step / 2, 1), pitch, vel);
                }
            } else {
                if (w.size() != 6) fail("note TRACK STEP PITCH[,PITCH...] LENGTH VELOCITY");
                int s = to_int(w[2]), length = to_int(w[4]), vel = to_int(w[5]);
                if (s < 0 || s >= v.steps || length < 1) fail("step or length out of range");
                std::stringstream list(w[3]);
                std::string p;
                while (std::getline(list, p, ',')) add(s * step, length * step, to_pitch(p), vel);
            }
        } else {
            fail("unknown line " + w[0]);
        }
    }
    if (tracks.empty()) fail("no track");

    std::vector<unsigned char> file = {'M', 'T', 'h', 'd'};
    put_be(file, 6, 4);
    put_be(file, 1, 2);
    put_be(file, (uint32_t)tracks.size() + 1, 2);
    put_be(file, 480, 2);
    int dd = 0;
    while ((1 << dd) < vars[0].denom && dd < 5) dd++;
    std::vector<Event> conductor = {
        {0, 1, {0xFF, 0x58, 0x04, (unsigned char)vars[0].numer, (unsigned char)dd, 24, 8}},
        tempo_event(0, vars[0].tempo)};
    for (const Variation& v : vars) conductor.push_back(tempo_event(v.start, v.tempo));
    std::vector<unsigned char> c = chunk(conductor);
    file.insert(file.end(), c.begin(), c.end());
    for (size_t i = 0; i < tracks.size(); i++) {
        const Track& t = tracks[i];
        std::vector<Event> head;
        std::vector<unsigned char> name = {0xFF, 0x03, (unsigned char)t.name.size()};
        name.insert(name.end(), t.name.begin(), t.name.end());
        head.push_back({0, 0, name});
        unsigned char cc = (unsigned char)(0xB0 + t.channel - 1);
        head.push_back({0, 0, {cc, 0, 0}});
        head.push_back({0, 0, {cc, 32, 0}});
        if (t.program >= 0) head.push_back({0, 0, {(unsigned char)(0xC0 + t.channel - 1), (unsigned char)t.program}});
        head.push_back({0, 0, {cc, 7, (unsigned char)t.volume}});
        head.push_back({0, 0, {cc, 10, (unsigned char)t.pan}});
        head.push_back({0, 0, {cc, 91, (unsigned char)t.reverb}});
        head.push_back({0, 0, {cc, 93, (unsigned char)t.chorus}});
        if (t.mode >= 0) head.push_back({0, 0, {cc, 3, (unsigned char)t.mode}});
        if (t.delay >= 0) head.push_back({0, 0, {cc, 4, (unsigned char)t.delay}});
        head.insert(head.end(), notes[i].begin(), notes[i].end());
        std::vector<unsigned char> k = chunk(head);
        file.insert(file.end(), k.begin(), k.end());
    }
    FILE* out = std::fopen(argv[3], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "stylec: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
