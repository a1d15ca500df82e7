// Bounded random-input tests of the chord readers: chord names of every shape given to the
// parser, damaged copies of the shipped dictionary file and of progression records. Each must
// be refused or read without any fault; the sanitizer build checks every access.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "framework/Vector.h"
#include "score/CChord.h"
#include "score/CChordLibrary.h"
#include "score/CChordProgression.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

namespace {

std::string shipped_dictionary() {
    std::ifstream in(std::string(BRINDLECOT_BUILD_DATA) + "/misc/CHORDS.DEF", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string mutate(std::string s, std::mt19937& rng) {
    auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; };
    const char* interesting[] = {"\"", "(", ")", ",", "-1", "32767", "99999", "\n", "\0", "texte(", "dessin("};
    for (int k = 1 + (int)pick(4); k > 0; k--) {
        switch (pick(5)) {
        case 0:
            if (!s.empty()) s[pick(s.size())] = (char)pick(256);
            break;
        case 1: s.insert(pick(s.size() + 1), interesting[pick(11)]); break;
        case 2: s.resize(pick(s.size() + 1)); break;
        case 3:
            if (!s.empty()) s.erase(pick(s.size()), 1 + pick(20));
            break;
        default: s.insert(pick(s.size() + 1), std::string(pick(1500), (char)pick(256))); break;
        }
    }
    return s;
}

TEST(ChordFuzz, ChordNamesOfEveryShape) {
    CChordLibrary library;
    ASSERT_EQ(library.load(), 1);
    chord_library = &library;
    std::mt19937 rng(28);
    const char pieces[][6] = {"C", "d", "Sol", "r\xE9", "#", "b", "m", "Maj7", "SUS", "dim7", "9", "11",
                              "13", "(", ")", "/", " ", "x", "\xFF", ",", "7", "6", "min", "aug"};
    for (int round = 0; round < 4000; round++) {
        std::string text;
        int count = std::uniform_int_distribution<int>(0, round % 50 == 0 ? 400 : 8)(rng);
        for (int i = 0; i < count; i++) text += pieces[std::uniform_int_distribution<int>(0, 23)(rng)];
        std::string copy = text;
        CArrayInt def;
        short root, bass, id;
        if (name_to_chord(&copy[0], &def, &root, &bass, &id)) {
            EXPECT_EQ(copy.size(), text.size());  // respelling never changes the length
            EXPECT_GE(def.total(), 1);
        }
        CChord chord;
        copy = text;
        if (chord.set_chord_name(&copy[0])) {
            EXPECT_LE(chord.chord_name.length(), CHORD_NAME_MAX);
            EXPECT_EQ(std::strchr(chord.chord_name.get(), ','), nullptr);
        }
        chord.transpose((short)(round % 9 - 4), (short)(round % 13 - 6));
        delete_vect_dessin(library.create_chord_symbol(&chord));
    }
    chord_library = nullptr;
}

TEST(ChordFuzz, DamagedDictionaryFiles) {
    const std::string seed = shipped_dictionary();
    ASSERT_FALSE(seed.empty());
    std::mt19937 rng(2801);
    for (int round = 0; round < 600; round++) {
        std::string bytes = mutate(seed, rng);
        FILE* f = fmemopen(bytes.empty() ? nullptr : &bytes[0], bytes.size(), "rb");
        if (!f) continue;
        CChordLibrary library;
        library.load(f);
        std::fclose(f);
        chord_library = &library;
        CChord chord;
        char name[] = "C7/E";
        chord.set_chord_name(name);
        delete_vect_dessin(library.create_chord_symbol(&chord));
        chord_library = nullptr;
    }
}

TEST(ChordFuzz, DamagedProgressionRecords) {
    const std::string seed =
        "3,4,0)\nch(C7,1,0,0)\nch(F#m/A,2,480,4)\n"
        "chan(2,1,0,1,1,2,0,0,12,2,\"F#m\",3,\"A6\",-32763,1289,2,0,1,1289,2)\nch(G,3,0,0)\n";
    std::mt19937 rng(2810);
    for (int round = 0; round < 2000; round++) {
        std::string bytes = mutate(seed, rng);
        FILE* f = fmemopen(bytes.empty() ? nullptr : &bytes[0], bytes.size(), "rb");
        if (!f) continue;
        CChordProgression p;
        p.read(f);
        std::fclose(f);
        char* out = nullptr;
        size_t size = 0;
        FILE* w = open_memstream(&out, &size);
        p.write(w);
        std::fclose(w);
        free(out);
    }
}

}  // namespace
