#pragma once
// Writing and reading the library's text forms through FILE* in memory, and damaged copies of
// a text for the fuzzed readers.

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

namespace text_forms {

// What `write` puts into a file.
inline std::string written(const std::function<void(FILE*)>& write)
{
    char* buffer = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&buffer, &size);
    write(f);
    std::fclose(f);
    std::string out(buffer, size);
    std::free(buffer);
    return out;
}

// The result of `read` on a file holding `text` (copied, so that the reader can never look
// past it).
template <typename T>
T read_from(const std::string& text, const std::function<T(FILE*)>& read)
{
    std::string copy = text;
    FILE* f = copy.empty() ? std::fopen("/dev/null", "rb") : fmemopen(&copy[0], copy.size(), "rb");
    T result = read(f);
    std::fclose(f);
    return result;
}

// A damaged copy: characters changed, digits and signs put in, pieces cut out or repeated,
// the text cut short.
inline std::string mutate(std::string s, std::mt19937& rng)
{
    auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : size_t(0); };
    const char* interesting[] = {"-1", "0", "32767", "-32768", "99999", ",", ")", "(", "\r", "\0", "9", "-"};
    int edits = 1 + static_cast<int>(pick(4));
    for (int e = 0; e < edits && !s.empty(); ++e) {
        switch (pick(5)) {
        case 0: s[pick(s.size())] = static_cast<char>(rng()); break;
        case 1: {
            const char* piece = interesting[pick(12)];
            s.insert(pick(s.size() + 1), piece[0] ? std::string(piece) : std::string(1, '\0'));
            break;
        }
        case 2: s.resize(pick(s.size() + 1)); break;
        case 3: {
            size_t at = pick(s.size());
            s.erase(at, pick(16));
            break;
        }
        default: {
            size_t at = pick(s.size());
            s.insert(at, s.substr(at, pick(24)));
            break;
        }
        }
    }
    return s;
}

}  // namespace text_forms
