// Bounded random-input test of the compiler: damaged copies of the real sources must compile
// or be refused with messages, never fault (the sanitizer build checks every access).

#include "ResSource.h"
#include "ResWriter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

namespace {

std::string read_source(const char* name) {
    std::ifstream in(std::string(BRINDLECOT_RESOURCE_SOURCES) + "/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ResSourceFuzz, DamagedSourcesCompileOrAreRefused) {
    std::vector<std::string> sources;
    for (const char* name : {"CLASSES.RES.txt", "MUSIC.RES.txt", "Brindlecot.res.txt"})
        sources.push_back(read_source(name));
    for (const std::string& s : sources) {
        rescomp::Diagnostics diag{"source", {}};
        EXPECT_FALSE(rescomp::compile_source(s, diag).empty());
        EXPECT_TRUE(diag.errors.empty());
    }
    const char specials[] = "@()\",\\\n\r-0x9#= \xC3\xA9\xFF";
    std::mt19937 rng(42);
    int refused = 0;
    for (int i = 0; i < 1500; ++i) {
        std::string s = sources[static_cast<size_t>(i) % sources.size()];
        for (int e = 0, edits = 1 + static_cast<int>(rng() % 6); e < edits; ++e) {
            size_t at = rng() % (s.size() + 1);
            switch (rng() % 4) {
                case 0: s.insert(at, 1, specials[rng() % (sizeof specials - 1)]); break;
                case 1: if (at < s.size()) s.erase(at, 1 + rng() % 20); break;
                case 2: if (at < s.size()) s[at] = static_cast<char>(rng()); break;
                default: s.insert(at, s.substr(rng() % s.size(), rng() % 40)); break;
            }
        }
        rescomp::Diagnostics diag{"source", {}};
        std::vector<rescomp::Resource> res = rescomp::compile_source(s, diag);
        rescomp::build_resource_file(res, diag);
        refused += diag.errors.empty() ? 0 : 1;
    }
    EXPECT_GT(refused, 100);
}

}  // namespace
