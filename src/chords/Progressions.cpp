#include "chords/Progressions.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "score/CChord.h"
#include "score/CChordProgression.h"
#include "score/CMeasure.h"
#include "score/CTextBloc.h"
#include "score/Document.h"

namespace {

// Reads the bytes line by line; a line ends at CR, LF or CR LF.
class LineReader {
public:
    explicit LineReader(const std::string& b) : bytes(b) {}
    bool at_end() const { return pos >= bytes.size(); }
    bool line(std::string* out)
    {
        if (at_end()) return false;
        const size_t end = bytes.find_first_of("\r\n", pos);
        *out = bytes.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? bytes.size() : end + 1;
        if (end != std::string::npos && bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n') pos++;
        return true;
    }
    // A number and the white space after it, line ends included.
    bool number(long* out)
    {
        skip_blanks();
        size_t end = pos;
        if (end < bytes.size() && (bytes[end] == '-' || bytes[end] == '+')) end++;
        const size_t digits = end;
        while (end < bytes.size() && std::isdigit((unsigned char)bytes[end])) end++;
        if (end == digits) return false;
        *out = std::stol(bytes.substr(pos, end - pos));
        pos = end;
        skip_blanks();
        return true;
    }

private:
    void skip_blanks()
    {
        while (pos < bytes.size() && std::isspace((unsigned char)bytes[pos])) pos++;
    }
    const std::string& bytes;
    size_t pos = 0;
};

constexpr long kMostProgressions = 1000;
constexpr long kMostChords = 1000;

}  // namespace

std::vector<ChordProgressionEntry> parse_progressions(const std::string& bytes)
{
    std::vector<ChordProgressionEntry> out;
    LineReader r(bytes);
    long n = 0;
    if (!r.number(&n) || n < 1) return out;
    for (long i = 0; i < n && i < kMostProgressions; i++) {
        ChordProgressionEntry e;
        long k = 0;
        if (!r.line(&e.name) || !r.number(&k) || k < 0 || k > kMostChords) break;
        bool whole = true;
        for (long j = 0; j < k; j++) {
            std::string chord;
            if (!r.line(&chord)) {
                whole = false;
                break;
            }
            e.chords.push_back(chord);
        }
        if (!whole) break;
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<ChordProgressionEntry> read_progressions_file(const std::string& path, bool* found)
{
    std::ifstream f(path, std::ios::binary);
    *found = f.good();
    if (!f) return {};
    std::ostringstream s;
    s << f.rdbuf();
    return parse_progressions(s.str());
}

std::vector<std::vector<std::string>> progression_lines(const std::vector<ChordProgressionEntry>& p)
{
    std::vector<std::vector<std::string>> lines;
    for (const ChordProgressionEntry& e : p) {
        std::vector<std::string> l{e.name};
        l.insert(l.end(), e.chords.begin(), e.chords.end());
        lines.push_back(std::move(l));
    }
    return lines;
}

short write_progression(Document* d, short first, const std::vector<std::string>& chords)
{
    if (!d || d->tot_sys < 1 || !d->sys[1] || d->sys[1]->tot_por < 1) return 0;
    const Portee* staff = d->por[d->sys[1]->por[1]];
    const short measures = staff ? staff->tot_mes : 0;
    short m = first > 0 ? first : 1;
    short written = 0;
    for (const std::string& name : chords) {
        if (m > measures) break;
        CMeasure* M = mesure_maitre(d, m, 1);
        if (!M) break;
        CTextBloc* block = nullptr;
        for (short i = 1; i <= M->total() && !block; i++)
            if (CTextBloc* b = M->get_textbloc_item(i))
                if (b->color == kChordBlockColour) block = b;
        if (!block) {
            block = new CTextBloc;
            block->color = kChordBlockColour;
            block->meas = m;
            block->staff = 1;
            M->add(block);
        }
        block->x = kChordBlockX;
        block->y = kChordBlockY;
        block->font.set_size(kChordBlockFontSize);
        block->text.set(name.c_str());
        CChord chord;
        std::string text = name;
        if (!text.empty()) chord.set_chord_name(&text[0]);
        if (d->sub_doc && d->sub_doc[1].chprog) d->sub_doc[1].chprog->set_chord(m, 0, &chord);
        written++;
        m++;
    }
    return written;
}
