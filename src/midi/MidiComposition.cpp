#include "midi/MidiComposition.h"

#include <cstring>

#include "framework/CApplication.h"
#include "midi/CMidi.h"
#include "midi/MidiImport.h"
#include "midi/BlockCommands.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentReader.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/StructureSlots.h"

short file_opening = 0;

namespace {

short close_nothing() { return 1; }

short first_staff_alone(Document* d, short* variations) {
    *variations = 0;
    d->ins[1].in_roll |= 3;
    d->ins[1].color = 0;
    return 1;
}

void no_view(Document*) {}

// Staff n of the master system.
Portee* staff(Document* d, short n) { return d->por[d->sys[1]->por[n]]; }

}  // namespace

MidiCompositionHooks default_midi_composition_hooks() { return {close_nothing, first_staff_alone, no_view}; }
MidiCompositionHooks midi_composition_hooks = default_midi_composition_hooks();

short load_midi_document(const char* path) {
    if (file_opening) return 0;
    file_opening = 1;
    working_mode = 2;
    Document* previous = doc;
    std::string template_path = format_file_name("MISC", "Template.dat");
    Document* d = creer_document(template_path.c_str(), "Template.dat");
    const char* why = nullptr;
    if (template_path.empty() || !ouvrir_document_texte(d))
        why = "Le mod\xE8le \"Template.dat\" du dossier \"Misc\" ne peut pas \xEAtre lu.";
    else if (!importer_midi(d, path))
        why = midi_import_error();
    if (why) {
        // Nothing half built is kept; the document that was open stays so.
        destroy_document(d);
        doc = previous;
        file_opening = 0;
        application->warning("Ce fichier MIDI ne peut pas \xEAtre ouvert.", path, why);
        return 0;
    }
    doc = previous;
    if (!midi_composition_hooks.close_document()) {
        destroy_document(d);
        file_opening = 0;
        return 0;
    }
    doc = d;
    d->bcot_format = 1;
    d->sub_doc[1].piste = d->piste;
    d->sub_doc[1].tot_piste = d->tot_piste;
    d->sub_doc[1].max_piste = d->max_piste;
    for (short n = 1; n <= d->sys[1]->tot_por; n++) {
        int32_t start = 0;
        for (short c = 1; c <= staff(d, n)->tot_mes; c++) {
            CMeasure* m = mesure_maitre(d, c, n);
            m->change_mes_flags(0x4, 0);
            m->pa = n;
            m->start = start;
            start += m->length;
        }
    }
    d->sub_doc[1].tempo = d->tempo;
    if (application->midi) application->midi->tempo = d->tempo;
    for (short n = 1; n <= d->tot_ins; n++) d->ins[n].in_roll &= ~3;

    short variations = 0;
    if (!midi_composition_hooks.choose_soloists(d, &variations)) {
        destroy_document(d);
        doc = nullptr;
        file_opening = 0;
        return 0;
    }
    short first_soloist = 0;
    short columns = staff(d, 1)->tot_mes;
    for (short n = 1; n <= d->tot_piste; n++) {
        Ins& ins = d->ins[n];
        if (ins.in_roll & 1) {
            transcrire_proc(d, 1, columns, n);
            if (!first_soloist) first_soloist = n;
            ins.effet[1] = ins.effet[93] = 0;
            ins.effet[91] = 100;
        } else if (ins.effet[7] == 0) {
            ins.effet[7] = 64;
        }
    }
    if (variations && first_soloist) {
        short count = 0;
        if (ajouter_piste_portee_midi(&count, columns)) {
            Ins copy = d->ins[first_soloist];
            copy.buf_msg = nullptr;  // the message list stays with its owner
            copy.tot_msg = 0;
            d->ins[d->tot_piste] = copy;
            d->ins[d->tot_piste].color = 0xFF0000;
        }
    }
    for (short n = 1; n <= d->sys[1]->tot_por; n++) {
        short last = staff(d, n)->tot_mes;
        for (short c = 1; c <= last; c++) mesure_maitre(d, c, n)->change_mes_flags(0, 0x4);
        if (last) mesure_maitre(d, last, n)->end_bar = 4;
        Ins& ins = d->ins[n];
        ins.nom[0] = ins.abrege[0] = 0;
        ins.num_type = 2;
        ins.num_dx = -4;
    }
    d->sub_doc[1].sys = d->sys[1];
    copier_champs_extrait(*d, d->sub_doc[1]);
    midi_composition_hooks.open_view(d);
    d->sub_doc[1].actif_just = 1;
    working_mode = 8;
    d->modif = 1;
    d->sans_titre = 1;
    file_opening = 0;
    return 1;
}

void midifile_captured(const char* path) {
    application->set_cursor_arrow();
    load_midi_document(path);
}
