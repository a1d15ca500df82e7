#include "score/ReadReport.h"

#include <cstdio>
#include <cstring>

#include "framework/MessageBoxes.h"
#include "score/Document.h"
#include "score/ValueRanges.h"

namespace {

std::string format(const char* pattern, int a, int b = 0) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

// "n word" with the plural form when n is not 1.
std::string count(int n, const char* one, const char* many) {
    return format("%d ", n) + (n == 1 ? one : many);
}

std::string quoted(const std::string& s) { return "\xAB " + s + " \xBB"; }

// Where the reader was, as the end of a sentence; empty for the header.
std::string where(FilePart part, short index) {
    switch (part) {
        case FilePart::header:
            return "";
        case FilePart::structure:
            return "dans sa structure";
        case FilePart::settings:
            return "dans ses r\xE9glages";
        case FilePart::staves:
            return format(
                "\xE0 la port\xE9"
                "e %d",
                index);
        case FilePart::systems:
            return format("au syst\xE8me %d", index);
        case FilePart::extract:
            return format("dans l'extrait %d", index);
        case FilePart::libraries:
            return format("\xE0 la biblioth\xE8que %d", index);
        case FilePart::measures:
            return format("\xE0 la mesure %d", index);
    }
    return "";
}

std::string in_parentheses(const std::string& s) { return s.empty() ? s : " (" + s + ")"; }

// The staff and place of the measure in slot m, as the staves list it.
std::string measure_name(Document* d, short m) {
    if (m == 0) return "avant la premi\xE8re mesure";
    for (short s = 1; d && d->por && s <= d->max_por; s++) {
        Portee* p = d->por[s];
        for (short c = 1; p && c <= p->tot_mes; c++)
            if (p->mes[c] == m)
                return format(
                    "dans la mesure %d de la port\xE9"
                    "e %d",
                    c, s);
    }
    return format("dans la %de mesure du fichier", m);
}

const char* range_name(short bit) {
    static const char* const names[range_kinds] = {
        "hauteurs de note",        "v\xE9locit\xE9s", "valeurs rythmiques", "cl\xE9s",
        "alt\xE9rations d'armure", "canaux MIDI",     "ports MIDI",         "table de percussion",
        "dur\xE9" "es de mesure"};
    return names[bit];
}

// A line cut at blanks into lines of at most `width` bytes, so that the box fits the screen.
std::vector<std::string> wrapped(const std::string& line, size_t width = 90) {
    std::vector<std::string> out;
    size_t start = 0;
    while (line.size() - start > width) {
        size_t cut = line.rfind(' ', start + width);
        if (cut == std::string::npos || cut <= start) cut = start + width;
        out.push_back(line.substr(start, cut - start));
        start = line[cut] == ' ' ? cut + 1 : cut;
    }
    out.push_back(line.substr(start));
    return out;
}

}  // namespace

std::string refusal_text(const DocumentRefusal& r) {
    switch (r.why) {
        case Refusal::none:
            return "";
        case Refusal::cannot_open:
            return "le fichier ne peut pas \xEAtre lu";
        case Refusal::not_a_score:
            return "ce n'est pas un document de partition";
        case Refusal::check_value:
            return "sa valeur de contr\xF4le ne correspond pas \xE0 sa longueur : il a \xE9t\xE9 "
                   "modifi\xE9 ou coup\xE9";
        case Refusal::old_version:
            return format("sa version de format (%d) est trop ancienne pour ce programme",
                          r.version);
        case Refusal::newer_version:
            return format(
                "il vient d'une version plus r\xE9"
                "cente du programme (format %d)",
                r.version);
        case Refusal::cut_short:
            return "il s'arr\xEAte avant ses mesures" + in_parentheses(where(r.part, r.index));
        case Refusal::damaged_record:
            return "l'enregistrement " + quoted(r.expected) +
                   in_parentheses(where(r.part, r.index)) + " est illisible";
        case Refusal::unexpected_record:
            return quoted(r.found) + " se trouve l\xE0 o\xF9 " + quoted(r.expected) +
                   " est attendu" + in_parentheses(where(r.part, r.index));
    }
    return "";
}

void report_refused_document(const char* path, const DocumentRefusal& refusal) {
    const char* slash = std::strrchr(path, '/');
    MessageBoxRequest box;
    box.text = "Impossible d'ouvrir " + quoted(slash ? slash + 1 : path) + " : " +
               refusal_text(refusal) + ".";
    tell_user(box);
}

void DamageReport::lose(short slot, short n) {
    if (!lost.empty() && lost.back().slot == slot)
        lost.back().records = (short)(lost.back().records + n);
    else
        lost.push_back({slot, n});
}

bool DamageReport::any() const {
    return !lost.empty() || lost_elsewhere || !settings_skipped.empty() || unclosed || beyond || added ||
           first_missing || out_of_range;
}

std::string damage_text(const DamageReport& r, Document* d) {
    std::vector<std::string> lines{"Le fichier est endommag\xE9."};
    if (!r.lost.empty()) {
        constexpr size_t named = 6;
        std::string line = "Enregistrements illisibles ignor\xE9s : ";
        for (size_t k = 0; k < r.lost.size() && k < named; k++)
            line += (k ? ", " : "") + format("%d ", r.lost[k].records) +
                    measure_name(d, r.lost[k].slot);
        if (r.lost.size() > named)
            line += ", et dans " +
                    count((int)(r.lost.size() - named), "autre mesure", "autres mesures");
        lines.push_back(line + ".");
    }
    if (r.lost_elsewhere)
        lines.push_back(count(r.lost_elsewhere, "enregistrement illisible ignor\xE9",
                              "enregistrements illisibles ignor\xE9s") +
                        " hors des mesures.");
    if (!r.settings_skipped.empty()) {
        std::string line = "R\xE9glages illisibles ignor\xE9s : ";
        for (size_t k = 0; k < r.settings_skipped.size(); k++)
            line += (k ? ", " : "") + r.settings_skipped[k];
        lines.push_back(line + ".");
    }
    if (r.unclosed)
        lines.push_back(count(r.unclosed, "enregistrement sans parenth\xE8se fermante lu",
                              "enregistrements sans parenth\xE8se fermante lus") +
                        " en entier.");
    if (r.first_missing) {
        std::string line =
            format("Il s'arr\xEAte avant la mesure %d sur %d", r.first_missing, r.declared);
        std::string done;
        if (r.missing_made)
            done = count(r.missing_made, "mesure vide mise", "mesures vides mises") +
                   " \xE0 la place de celles que les port\xE9"
                   "es attendent";
        if (r.missing_dropped)
            done += (done.empty() ? "" : " ; ") +
                    count(r.missing_dropped,
                          "mesure annonc\xE9"
                          "e qu'aucune port\xE9"
                          "e ne liste",
                          "mesures annonc\xE9"
                          "es qu'aucune port\xE9"
                          "e ne liste") +
                    (r.missing_dropped == 1 ? ", laiss\xE9"
                                              "e de c\xF4t\xE9"
                                            : ", laiss\xE9"
                                              "es de c\xF4t\xE9");
        lines.push_back(line + (done.empty() ? "." : " : " + done + "."));
    }
    if (r.added)
        lines.push_back(format("L'en-t\xEAte annonce %d mesures, le fichier en contient %d de plus : "
                               "elles sont lues.",
                               r.declared, r.added));
    if (r.beyond)
        lines.push_back(count(r.beyond, "enregistrement", "enregistrements") +
                        format(" au-del\xE0 des %d mesures annonc\xE9"
                               "es ",
                               r.declared) +
                        (r.beyond == 1 ? "ignor\xE9." : "ignor\xE9s."));
    if (r.out_of_range) {
        std::string line = count(r.out_of_range,
                                 "valeur hors limites ramen\xE9"
                                 "e",
                                 "valeurs hors limites ramen\xE9"
                                 "es") +
                           " dans les limites (";
        bool first = true;
        for (short bit = 0; bit < range_kinds; bit++) {
            if (!(r.range_kinds & (1u << bit))) continue;
            line += (first ? "" : ", ") + std::string(range_name(bit));
            first = false;
        }
        lines.push_back(line + ").");
    }
    std::string text;
    for (const std::string& line : lines)
        for (const std::string& part : wrapped(line)) text += (text.empty() ? "" : "\r") + part;
    return text;
}
