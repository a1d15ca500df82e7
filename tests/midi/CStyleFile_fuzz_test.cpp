// Bounded random-input test of the style reader: damaged copies of the authored styles' three
// files (bytes changed, numbers replaced by extreme ones, lines repeated, files cut short or
// lengthened) must load or be refused without any fault, and what loads must play; the
// sanitizer build checks every access.
#include "MidiFixture.h"

#include "midi/CStyleFile.h"
#include "score/CChord.h"

#include <fstream>
#include <random>
#include <sstream>

namespace {

std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

std::string mutate(std::string s, std::mt19937& rng) {
    auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; };
    const char* numbers[] = {"0", "-1", "32767", "-32768", "99999999", "100", "7", "1000", "\r\n", "*"};
    int edits = 1 + (int)pick(4);
    for (int e = 0; e < edits; ++e) {
        switch (pick(6)) {
            case 0:
                if (!s.empty()) s[pick(s.size())] = (char)rng();
                break;
            case 1:  // a number somewhere
                s.insert(pick(s.size() + 1), numbers[pick(10)]);
                break;
            case 2: s.resize(pick(s.size() + 1)); break;
            case 3: s.append(pick(300), (char)rng()); break;
            case 4: {  // a stretch repeated
                size_t at = pick(s.size() + 1), n = pick(200);
                std::string part = s.substr(at, n);
                for (int r = 0; r < 20; r++) s.insert(at, part);
                break;
            }
            default:
                if (!s.empty()) s[pick(s.size())] = numbers[pick(10)][0];
                break;
        }
    }
    return s;
}

}  // namespace

class StyleFuzz : public MidiFixture {};

TEST_F(StyleFuzz, DamagedStylesLoadOrAreRefusedWithoutFault) {
    write_prefs();
    make_midi();
    const std::string from = std::string(BRINDLECOT_BUILD_DATA) + "/misc/Styles/";
    std::mt19937 rng(27);
    CChord chord;
    chord.chord.add(62);
    chord.chord.add(65);
    chord.chord.add(69);
    const char* names[] = {"Pop", "Valse", "Swing", "Bossa"};
    int loaded = 0;
    for (int round = 0; round < 240; round++) {
        const char* name = names[round % 4];
        std::string files[3] = {file_bytes(from + name + ".mid"), file_bytes(from + name + ".dat"),
                                file_bytes(from + name + ".cho")};
        files[round / 4 % 3] = mutate(files[round / 4 % 3], rng);
        if (round % 7 == 0) files[2 - round / 4 % 3] = mutate(files[2 - round / 4 % 3], rng);
        write_file(dir + "/F.mid", files[0]);
        write_file(dir + "/F.dat", files[1]);
        write_file(dir + "/F.cho", files[2]);
        CStyleFile s;
        if (!s.load_from_folder(dir.c_str(), "F")) {
            EXPECT_EQ(s.total_variations(), 0);
            continue;
        }
        loaded++;
        EXPECT_LE(s.total_variations(), STYLE_MAX_VARIATIONS);
        s.arranger(&chord);
        CArrayInt vars;
        for (short v = 0; v <= s.total_variations() + 1; v++) vars.add(v);
        s.start(&vars);
        for (int32_t when : {0, 500, 4000, 1 << 20}) s.play_upto(&vars, when);
        for (short v = 1; v <= s.total_variations(); v++) {
            CStyleVariation* var = s.get_variation(v);
            EXPECT_GE(var->stop_time, var->start_time);
            EXPECT_LE(var->chords.total(), STYLE_MAX_CHORD_LINES);
            EXPECT_EQ(var->comment.total(), var->comnum.total());
        }
        drain(1);
        drain(7);
    }
    EXPECT_GT(loaded, 40) << "most damaged texts still load";
}
