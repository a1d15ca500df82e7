#include "app/OptionFiles.h"

#include "app/Application.h"
#include "app/DocumentLifeCycle.h"
#include "app/UserFolders.h"
#include "editor/Editeur.h"
#include "editor/EditorServices.h"
#include "framework/CUserPanel.h"
#include "framework/ProgramFiles.h"
#include "framework/UserFiles.h"
#include "midi/PlayRecordManager.h"
#include "platform/FileSystem.h"
#include "score/CMeasure.h"
#include "score/CNote.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"

#include <cstdio>
#include <cstring>

short patch_favoris[17] = {};
short pressure_effect = 1, metro_velo = 100, transpo = 0;
short panvol_x = 200, panvol_y = 200, paneffect_x = 300, paneffect_y = 150, paninstru_x = 400,
      paninstru_y = 100;
short panvol_open = 0, paneffect_open = 0, paninstru_open = 0;

namespace {

// The values of "Options.txt" after its version, in the file's order.
short* const kOptionValues[] = {
    &patch_favoris[1], &patch_favoris[2],  &patch_favoris[3],  &patch_favoris[4],
    &patch_favoris[5], &patch_favoris[6],  &patch_favoris[7],  &patch_favoris[8],
    &patch_favoris[9], &patch_favoris[10], &patch_favoris[11], &patch_favoris[12],
    &patch_favoris[13], &patch_favoris[14], &patch_favoris[15], &patch_favoris[16],
    &pressure_effect,  &metro_velo,        &transpo,
    &panvol_x,         &panvol_y,          &paneffect_x,       &paneffect_y,
    &paninstru_x,      &paninstru_y,
    &panvol_open,      &paneffect_open,    &paninstru_open,
};

// The markers of the MIDI threads, waiting for the program's thread. The queue lives as long as
// the program, so that no thread ever reaches a view that is being closed.
ColorNoteQueue g_markers(2001);

}  // namespace

void read_options()
{
    FILE* f = platform::open_file(user_file("Options.txt"), "rb");
    if (!f) return;
    short version = 0;
    if (std::fscanf(f, "%hd", &version) == 1) {
        for (short* value : kOptionValues) {
            short v = 0;
            if (std::fscanf(f, "%hd", &v) != 1) break;
            *value = v;
        }
    }
    std::fclose(f);
}

void write_options()
{
    FILE* f = platform::open_file(user_file("Options.txt"), "wb");
    if (!f) return;
    std::fprintf(f, "1\n");
    for (short i = 1; i <= 16; i++) std::fprintf(f, "%hd ", patch_favoris[i]);
    std::fprintf(f, "\n%hd %hd %hd\n", pressure_effect, metro_velo, transpo);
    std::fprintf(f, "%hd %hd %hd %hd %hd %hd\n", panvol_x, panvol_y, paneffect_x, paneffect_y,
                 paninstru_x, paninstru_y);
    std::fprintf(f, "%hd %hd %hd\n", panvol_open, paneffect_open, paninstru_open);
    std::fclose(f);
}

void read_settings()
{
    for (short i = 1; i <= 16; i++) patch_favoris[i] = 1;
    read_options();
}

void write_last_document(const char* path)
{
    FILE* f = platform::open_file(user_file("LastDoc.txt"), "wb");
    if (!f) return;
    std::fputs(path, f);
    std::fclose(f);
}

std::string read_last_document()
{
    FILE* f = platform::open_file(user_file("LastDoc.txt"), "rb");
    if (!f) return std::string();
    std::string path;
    for (int c; (c = std::fgetc(f)) != EOF && c != '\r' && c != '\n';) path += (char)c;
    std::fclose(f);
    return path;
}

void reopen_last_document()
{
    const std::string path = read_last_document();
    set_main_dir();
    if (path.empty() || !load_document(path.c_str(), DocumentShown::PlayAlong)) return;
    tools_active = 0;
    variation = modification = composition = named = 0;
    // A score of the user's "Mes compositions" folder goes on as a composition.
    if (in_user_folder(path, "Mes compositions")) composition = 1;
    // The score editor edits what it shows: a score that is not a composition is saved as a
    // variation.
    if (!composition) variation = 1;
}

void queue_midi_color(char* marker, short)
{
    if (!marker || ((marker[0] & 7) != 2 && (marker[0] & 7) != 3)) return;
    const int32_t message = (int32_t)((unsigned char)marker[0] | ((unsigned char)marker[1] << 8) |
                                      ((unsigned char)marker[2] << 16) |
                                      ((uint32_t)(unsigned char)marker[3] << 24));
    g_markers.push(message);
}

void draw_queued_highlights()
{
    for (int32_t message : g_markers.take_all()) {
        char marker[4] = {(char)(message & 0xFF), (char)((message >> 8) & 0xFF), (char)((message >> 16) & 0xFF),
                          (char)((message >> 24) & 0xFF)};
        midi_color(marker, 0);
    }
}

void midi_color(char* marker, short)
{
    // Byte 0 also names the staff (above the kind), which gives the size of the head drawn.
    const short kind = (short)(marker[0] & 7);
    if (doc && view && (kind == 2 || kind == 3)) dessiner_marqueur(marker, 0);
    marker[0] = (char)kind;
}
