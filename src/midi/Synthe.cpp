#include "midi/Synthe.h"

#include "framework/CApplication.h"
#include "midi/CMidi.h"
#include "score/Placeholders.h"

#include <cstring>

short envoyer_message_banque(Synthe* syn, short index, short port, short canal, char* buffer)
{
    // A bank the definition does not hold (a definition without banks asks for bank 1) sends
    // nothing.
    if (!syn || index < 1 || index > syn->tot_banque)
        return 0;
    const unsigned char* t = syn->banque[index].msg;
    unsigned char out[24];
    short n = 0;
    for (int i = 0; i < 24 && t[i] != 0xFF; i++) {
        if (t[i] == 0xFE) {
            if (n)
                out[n - 1] = static_cast<unsigned char>(out[n - 1] + canal - 1);
        } else if (t[i] == 0xFD) {
            if (n)
                out[n - 1] = static_cast<unsigned char>(out[n - 1] + (canal - 1) * 16);
        } else {
            out[n++] = t[i];
        }
    }
    if (n == 0)
        return 0;
    if (buffer) {
        std::memcpy(buffer, out, static_cast<size_t>(n));
        return n;
    }
    CMidi* midi = application->midi;
    if (!midi)
        return n;
    char* bytes = reinterpret_cast<char*>(out);
    if (t[0] == 0xF0) {
        midi->midi_exclusif_out(n, bytes, port, midi->time_unit);
        return n;
    }
    for (short i = 0; i < n; i += 3) {
        char group[3] = {bytes[i], i + 1 < n ? bytes[i + 1] : static_cast<char>(0), i + 2 < n ? bytes[i + 2] : static_cast<char>(0)};
        midi->midi_out(static_cast<short>(n - i < 3 ? n - i : 3), group, port);
    }
    return n;
}
