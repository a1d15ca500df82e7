#include "midi/SmfContainer.h"

#include <cstdio>
#include <cstring>

bool smf_read_file(const char* path, std::vector<unsigned char>* out, const char** why) {
    FILE* f = path ? std::fopen(path, "rb") : nullptr;
    if (!f) {
        *why = "Le fichier ne peut pas \xEAtre ouvert.";
        return false;
    }
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(f) : -1;
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
        *why = "Le fichier ne peut pas \xEAtre lu.";
        std::fclose(f);
        return false;
    }
    if (size > SMF_MAX_FILE_BYTES) {
        *why = "Le fichier est trop grand pour un fichier MIDI.";
        std::fclose(f);
        return false;
    }
    out->resize((size_t)size);
    size_t got = size ? std::fread(out->data(), 1, (size_t)size, f) : 0;
    std::fclose(f);
    if (got != (size_t)size) {
        *why = "Le fichier ne peut pas \xEAtre lu.";
        return false;
    }
    return true;
}

static bool id_is(SmfBytes& b, const char* id) {
    unsigned char got[4];
    for (unsigned char& c : got) c = (unsigned char)b.byte();
    return !b.past_end && std::memcmp(got, id, 4) == 0;
}

// Inside a RIFF file: passes over the chunks up to "data" of an "RMID" form and narrows `b`
// to that chunk.
static bool riff_data(SmfBytes& b, int32_t* base, const char** why) {
    int32_t riff_size;
    read_long_riff(&riff_size, b);
    if (!id_is(b, "RMID")) {
        *why = "Ce fichier RIFF n'est pas un fichier MIDI (RMID).";
        return false;
    }
    while (b.left() >= 8) {
        bool data = id_is(b, "data");
        int32_t size;
        read_long_riff(&size, b);
        if (size < 0 || size > b.left()) break;
        if (data) {
            b.end = b.p + size;
            *base = size;
            return true;
        }
        b.skip((int64_t)size + (size & 1));
    }
    *why = "Le fichier RMID ne contient pas de donn\xE9" "es MIDI compl\xE8tes.";
    return false;
}

bool smf_header(SmfBytes& b, SmfHeader* h, const char** why) {
    h->progress_base = b.left();
    SmfBytes start = b;
    if (id_is(b, "RIFF")) {
        if (!riff_data(b, &h->progress_base, why)) return false;
    } else {
        b = start;
    }
    if (!id_is(b, "MThd")) {
        *why = "Ce n'est pas un fichier MIDI standard (pas d'en-t\xEAte MThd).";
        return false;
    }
    int32_t length;
    read_long(&length, b);
    short division;
    read_int(&h->format, b);
    read_int(&h->tracks, b);
    read_int(&division, b);
    if (b.past_end || length < 6 || length - 6 > b.left()) {
        *why = "L'en-t\xEAte du fichier MIDI est tronqu\xE9.";
        return false;
    }
    b.skip(length - 6);
    if (h->format != 0 && h->format != 1) {
        *why = "Seuls les fichiers MIDI de format 0 et 1 sont lus.";
        return false;
    }
    if (h->tracks <= 0 || division == 0) {
        *why = "L'en-t\xEAte du fichier MIDI est invalide (aucune piste ou division nulle).";
        return false;
    }
    if (division < 0) {
        // Time code: frames a second (-24, -25, -29 for 29.97, -30) and ticks a frame. The
        // ticks are real time, read as quarter notes at 120 a minute: a second is two quarters.
        int32_t fps = -(int32_t)(signed char)((division >> 8) & 0xFF);
        int32_t per_frame = division & 0xFF;
        if (fps <= 0 || per_frame <= 0) {
            *why = "La division temporelle du fichier MIDI est invalide.";
            return false;
        }
        h->time_code = true;
        if (fps == 29) {  // drop frame: 30000/1001 frames a second
            h->division = per_frame * 30000;
            h->scale = 2 * 1001;
        } else {
            h->division = per_frame * fps;
            h->scale = 2;
        }
    } else {
        h->division = division;
    }
    return true;
}

bool smf_track(SmfBytes& b, SmfBytes* track, const char** why) {
    for (;;) {
        if (b.left() < 8) {
            *why = "Le fichier MIDI s'arr\xEAte avant la fin de ses pistes.";
            return false;
        }
        bool is_track = id_is(b, "MTrk");
        int32_t length;
        read_long(&length, b);
        if (length < 0 || length > b.left()) {
            *why = "Une piste du fichier MIDI d\xE9passe la fin du fichier.";
            return false;
        }
        if (!is_track) {  // a chunk of another kind: passed over
            b.skip(length);
            continue;
        }
        track->p = b.p;
        track->end = b.p + length;
        track->past_end = false;
        b.skip(length);
        return true;
    }
}

int32_t smf_time(int64_t tick, int32_t division) {
    int64_t t = tick * 480 / division;
    return t > 0x3FFFFFFF ? -1 : (int32_t)t;
}

int32_t smf_time(int64_t tick, const SmfHeader& h) {
    if (tick > ((int64_t)1 << 40)) return -1;  // far past what a score holds, and no overflow
    int64_t t = tick * 480 * h.scale / h.division;
    return t > 0x3FFFFFFF ? -1 : (int32_t)t;
}
