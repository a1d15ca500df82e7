#include "app/DocumentLifeCycle.h"

#include "app/Application.h"
#include "app/AssistantCommands.h"
#include "app/OptionFiles.h"
#include "app/ViewBrindlecot.h"
#include "editor/Editeur.h"
#include "editor/PaletteWindows.h"
#include "framework/CApplication.h"
#include "framework/CDialog.h"
#include "framework/CLabel.h"
#include "framework/CResFile.h"
#include "framework/ControlHandlers.h"
#include "framework/CUserPanel.h"
#include "framework/FileDialog.h"
#include "framework/ProgramFiles.h"
#include "midi/CMidi.h"
#include "midi/MidiComposition.h"
#include "platform/FileSystem.h"
#include "score/Document.h"
#include "score/DocumentReader.h"
#include "score/DocumentServices.h"
#include "score/DocumentWriter.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/ReadReport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::function<short(const char*)> g_save_question;

// The file name without its folders (either separator).
std::string base_name(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The three-button question: save, cancel or do not save.
short ask_save_question(const char* text)
{
    if (g_save_question) return g_save_question(text);
    // Without a screen nobody can answer: the document stays open.
    if (headless_run()) {
        std::fprintf(stderr, "brindlecot: %s\n", text);
        return kAnswerCancel;
    }
    CDialog* d = new CDialog("MISC", "CLASSES.RES", 6, default_dialog_handler, 0);
    if (CLabel* label = d->label(5)) label->set_text(text);
    Event ev;
    while (d->run_modal(&ev)) {
    }
    const short answer = d->result ? d->result : kAnswerCancel;
    delete d;
    return answer;
}

std::string res_line(short list, short line)
{
    CString s;
    gr_string("MISC", "MUSIC.RES", list, line, &s);
    return s.get();
}

bool ends_with_bcc(const std::string& name)
{
    if (name.size() < 4) return false;
    const char* end = name.c_str() + name.size() - 4;
    return end[0] == '.' && (end[1] | 0x20) == 'b' && (end[2] | 0x20) == 'c' && (end[3] | 0x20) == 'c';
}

// Gives every instrument the synthesizer of output port 1 and routes it there; drops the printer
// settings that came with the file; drums of a sixteen-track score get a neutral map.
void prepare_score(Document* d)
{
    Sub_document& first = d->sub_doc[1];
    std::free(first.printer_setup);
    first.printer_setup = nullptr;
    first.size_printer_setup = 0;
    const char* synth = application && application->midi ? application->midi->midi_prefs.synthe[1] : "";
    for (short i = 1; i <= first.tot_ins && first.ins; i++) {
        std::snprintf(first.ins[i].synthe, sizeof first.ins[i].synthe, "%.9s", synth);
    }
    for (short i = 1; i <= d->tot_ins && d->ins; i++) d->ins[i].port = 1;
    d->busy = 0;
    first.actif_just = 1;
    if (d->tot_piste == 16 && d->tot_ins >= 10 && d->ins[10].canal == 10 && d->ins[10].percu == 0) {
        d->ins[10].percu = 1;
        std::memset(d->ins[10].map, 100, sizeof d->ins[10].map);
    }
}

// The path with its file name as the existing file spells it (the names are matched without
// regard to letter case), so that a replaced file keeps its name and no second one is made.
std::string name_on_disk(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos) return path;
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::list_directory(path, &entries)) return path;
    for (const platform::DirectoryEntry& e : entries)
        if (!e.directory && e.name.size() == path.size() - cut - 1) return path.substr(0, cut + 1) + e.name;
    return path;
}

}  // namespace

std::string native_path(const std::string& path)
{
    std::string resolved;
    return platform::resolve_path(path, &resolved) ? resolved : path;
}

void set_save_question_responder(std::function<short(const char* text)> responder)
{
    g_save_question = std::move(responder);
}

void open_view_of_document()
{
    if (!doc) return;
    view = new Editeur;
    if (!view->create(1)) {  // the open document is document 1
        delete view;
        view = nullptr;
        return;
    }
    vue[1] = view;
    doc->vue[1] = view;
    ouvrir_palettes_partition();  // the tool palettes float over the score
}

void open_play_along_view()
{
    if (!doc) return;
    Brindlecot* played = new Brindlecot;
    view = played;
    if (!played->create()) {
        delete played;
        view = nullptr;
        return;
    }
    vue[1] = played;
    doc->vue[1] = played;
    ouvrir_palettes_partition();  // the palettes still edit the score
    played->transfert();
    played->start_player();
}

short load_document(const char* path, DocumentShown shown)
{
    if (file_opening || !path || !*path) return 0;
    // The new score is read first: a file that cannot be opened leaves the open one as it is.
    Document* previous = doc;
    file_opening = 1;
    std::string name = base_name(path);
    if (ends_with_bcc(name)) name.resize(name.size() - 4);
    Document* d = creer_document(native_path(path).c_str(), name.c_str());
    DocumentRefusal why;
    const short read = ouvrir_document_texte(d, &why);
    doc = previous;
    if (read != 1 || d->bcot_format != 1) {
        destroy_document(d);
        file_opening = 0;
        if (read == 1) {
            why.why = Refusal::not_a_score;
        }
        if (read != -1) report_refused_document(path, why);
        return 0;
    }
    // Then the open document is closed, with the save question.
    file_opening = 0;
    if (!fermer_document(false)) {
        destroy_document(d);
        return 0;
    }
    file_opening = 1;
    if (application->midi) application->midi->reset_midi_out(1, 1);
    from_midi = 0;
    working_mode = 2;
    doc = d;
    prepare_score(d);
    if (shown == DocumentShown::PlayAlong)
        open_play_along_view();
    else
        open_view_of_document();
    working_mode = 2;
    d->modif = 0;
    if (application->midi) application->midi->tempo = d->tempo;
    file_opening = 0;
    return 1;
}

short fermer_document(bool /*close_assistant*/)
{
    if (!doc) return 1;
    // A demonstration script never meets the question.
    if (application->script.playing) {
        modification = 0;
        doc->modif = 0;
    }
    if (modification || doc->modif) {
        std::string text = res_line(65, 3) + " \"" + (doc->nom ? doc->nom->get() : "") + "\"";
        const short answer = ask_save_question(text.c_str());
        if (answer == kAnswerSave) {
            const short saved = named ? save_document(doc) : save_as(doc);
            if (!saved) return 0;
        } else if (answer != kAnswerDontSave) {
            return 0;
        }
    }
    discard_document();
    return 1;
}

void discard_document()
{
    // The assistant lies over the score's view: it closes with it.
    close_assistant();
    // Markers still waiting belong to this document.
    draw_queued_highlights();
    if (view) {
        view->destroy(1);
        view = nullptr;
        vue[1] = nullptr;
    }
    if (doc) destroy_document(doc);
    doc = nullptr;
}

short save_as(Document* d)
{
    if (!d) return 0;
    std::string folder;
    File_dialog_struct fd;
    const char* sub = from_midi ? "Ma librairie" : composition ? "Mes compositions" : "Mes variations";
    CString dir;
    format_file_data_name(&dir, sub, nullptr, nullptr, nullptr);
    platform::make_directory(dir.get());
    // The dialog shows the folder as the system names it.
    folder = platform::system_path(dir.get());
    if (from_midi) {
        fd.name.set(d->nom ? d->nom->get() : "");
        fd.path.set(d->nom ? d->nom->get() : "");
    }
    fd.prompt.set(res_line(67, composition ? 3 : 2).c_str());
    fd.ext[1].set(".bcc");
    if (!save_file_dialog(&fd, folder.c_str())) return 0;

    // The extension is looked for at the end of the file's own name only.
    std::string path = fd.path.get();
    std::string name = base_name(path);
    if (ends_with_bcc(name))
        name.resize(name.size() - 4);
    else
        path += ".bcc";
    if (platform::file_exists(path)) {
        path = name_on_disk(path);
        const std::string l7 = res_line(65, 7), l8 = res_line(65, 8), l9 = res_line(65, 9),
                          l10 = res_line(65, 10);
        if (!application->question(l7.c_str(), l8.c_str(), l9.c_str(), l10.c_str())) return 0;
    }
    const std::string old_path = d->path ? d->path->get() : "";
    const std::string old_name = d->nom ? d->nom->get() : "";
    const short old_untitled = d->sans_titre;
    d->path->set(native_path(path).c_str());
    d->nom->set(name.c_str());
    d->sans_titre = 0;
    const short saved = save_document(d);
    if (!saved) {
        // The document keeps the file it had.
        d->path->set(old_path.c_str());
        d->nom->set(old_name.c_str());
        d->sans_titre = old_untitled;
        return 0;
    }
    if (view && view->up) view->up->dirty();
    return saved;
}
