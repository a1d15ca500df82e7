#include "editor/ScorePrinting.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "editor/EditorLookups.h"
#include "editor/StaffFurniture.h"
#include "editor/View.h"
#include "framework/CApplication.h"
#include "framework/CPrinter.h"
#include "framework/CResFile.h"
#include "framework/CString.h"
#include "framework/FileDialog.h"
#include "framework/ProgramFiles.h"
#include "framework/UserFiles.h"
#include "platform/FileSystem.h"
#include "platform/PrintJob.h"
#include "layout/PageSetup.h"
#include "layout/SystemHeaders.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/CTextBloc.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"

short imprimer_cadre_decoupe = 0;

namespace {

constexpr int32_t BLACK = 0;

CString texte(short n) {
    CString s;
    gr_string("MISC", "MUSIC.RES", 67, n, &s);
    return s;
}

// Fits the systems of the page for the printer and lines their columns up on the first staff.
void ajuster_systemes(Page* pg, CPrinter* printer, float sx, float sy) {
    short column = 0;
    for (short k = 1; k <= pg->tot_sys; k++) {
        const short s = pg->sys[k];
        Systeme* sys = s >= 1 && s <= doc->max_sys ? doc->sys[s] : nullptr;
        if (!sys || sys->tot_por < 1) continue;
        if (k == 1 || column == 0) column = colonne_du_systeme(s);
        ajuster_mesures_systeme(s, column, sx, sy, printer, nullptr);
        Portee* first = doc->por[sys->por[1]];
        for (short t = 1; t <= first->tot_mes; t++) {
            CMeasure* ref = doc->mes[first->mes[t]];
            const short x = t == 1 ? ref->px : (short)(doc->mes[first->mes[t - 1]]->px + doc->mes[first->mes[t - 1]]->width);
            for (short j = 1; j <= sys->tot_por; j++) {
                Portee* staff = doc->por[sys->por[j]];
                if (t > staff->tot_mes) continue;
                CMeasure* m = doc->mes[staff->mes[t]];
                m->x = x;
                if (t > 1) m->px = x;
            }
        }
        column = (short)(column + first->tot_mes);
    }
}

// Bar lines reach down to the next shown staff when the instruments from this one to it are
// all joined.
void prolonger_barres(Systeme* sys, const short* table) {
    for (short j = 1; j <= sys->tot_por; j++) {
        Portee* staff = doc->por[sys->por[j]];
        Portee* next = j < sys->tot_por ? doc->por[sys->por[j + 1]] : nullptr;
        const short q = table[j];
        bool joined = next && doc->ins[q].relier;
        if (joined)
            for (short r = (short)(q + 1); r < table[j + 1]; r++)
                if (!doc->ins[r].relier) joined = false;
        for (short t = 1; t <= staff->tot_mes; t++) {
            CMeasure* m = doc->mes[staff->mes[t]];
            m->y = m->py;
            const short gap = next && t <= next->tot_mes ? (short)(doc->mes[next->mes[t]]->py - m->y) : (short)0;
            m->ext_start_bar = (t == 1 || joined) ? gap : (short)0;
            m->ext_end_bar = joined ? gap : (short)0;
        }
    }
}

}  // namespace

void dessiner_page_partition(short page, CPrinter* printer, float sx, float sy) {
    if (!doc || !doc->pag || page < 1 || page > doc->tot_pag || !doc->pag[page]) return;
    Page* pg = doc->pag[page];
    ajuster_systemes(pg, printer, sx, sy);
    std::vector<short> table((size_t)nombre_portees(doc) + 64, 1);
    for (short k = 1; k <= pg->tot_sys; k++) {
        Systeme* sys = doc->sys[pg->sys[k]];
        if (!sys) continue;
        if ((size_t)sys->tot_por + 1 > table.size()) table.resize((size_t)sys->tot_por + 1, 1);
        table_des_portees(pg->sys[k], table.data(), 1);
        prolonger_barres(sys, table.data());
        for (short j = 1; j <= sys->tot_por; j++) {
            Portee* staff = doc->por[sys->por[j]];
            for (short t = 1; t <= staff->tot_mes; t++) {
                CMeasure* m = doc->mes[staff->mes[t]];
                for (short i = 1; i <= m->total(); i++)
                    if (CBeams* b = m->get_beams_item(i)) {
                        short gid = b->gid;
                        calcul_groupe(m, &gid, 1.0f, 1.0f, printer);
                    }
            }
        }
    }
    staff_scale = 1.0f;
    for (short i = 1; i <= doc->max_ptx && doc->ptx; i++) {
        CTextBloc* t = doc->ptx[i];
        if (!t) continue;
        if ((t->type == 1 && t->page == page) || (t->type == 3 && t->page <= page)) {
            printer->go_to(0, 0);
            t->draw_object(printer, 1, nullptr, 0, sx, sy);
        }
    }
    for (short k = 1; k <= pg->tot_sys; k++) {
        const short s = pg->sys[k];
        Systeme* sys = doc->sys[s];
        if (!sys) continue;
        table_des_portees(s, table.data(), 1);
        for (short j = 1; j <= sys->tot_por; j++) {
            const short q = table[j];
            couleur_notes = doc->print_color == 0 ? BLACK : couleur_des_notes(0, q, doc->cur_sub_doc);
            voix_visibles = (short)((doc->voix_visibles >> 8) & 0xFF);
            Portee* staff = doc->por[sys->por[j]];
            for (short t = 1; t <= staff->tot_mes; t++) {
                const short id_m = staff->mes[t];
                CMeasure* m = doc->mes[id_m];
                if (!m) continue;
                localiser_mesure(id_m, &last_ma, &last_pa);
                dessiner_liaison_gauche = t == 1;
                limiter_liaison_droite = t == staff->tot_mes ? m->width : (short)0;
                staff_scale = doc->ins[q].staff_size / 100.0f;
                m->draw_object(printer, 1, nullptr, 0, sx, sy);
                dessiner_numero_mesure(printer, m, j, q, t, sx, sy, doc->col[3]);
                if (t != 1) continue;
                dessiner_nom_instrument(printer, m, q, page == 1 && k == 1, sx, sy,
                                        doc->print_color ? doc->col[4] : BLACK);
                printer->set_color(doc->print_color ? doc->col[2] : BLACK);
                dessiner_accolade(printer, s, j, q, m, table.data(), sx, sy);
                printer->set_color(BLACK);
            }
        }
    }
    dessiner_liaison_gauche = 0;
    limiter_liaison_droite = 0;
    staff_scale = 1.0f;
}

namespace {

constexpr char kPrintFolderFile[] = "PrintFolder.txt";  // the folder of the last PDF printed

std::string last_print_folder() {
    std::string folder;
    if (FILE* f = platform::open_file(user_file(kPrintFolderFile), "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF && c != '\n' && c != '\r';) folder += (char)c;
        std::fclose(f);
    }
    if (!folder.empty() && platform::is_directory(folder)) return folder;
    return data_dir ? std::string(data_dir) : platform::current_directory();
}

void remember_print_folder(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return;
    if (FILE* f = platform::open_file(user_file(kPrintFolderFile), "wb")) {
        std::fputs(path.substr(0, cut == 0 ? 1 : cut).c_str(), f);
        std::fclose(f);
    }
}

// Asks where "PDF file" writes this print; false when the user cancels.
bool choose_pdf_file(CPrinter* printer) {
    if (printer->printer_name() != platform::kDefaultPrinter || !printer->output_file.empty()) return true;
    const std::string folder = last_print_folder();
    File_dialog_struct fd;
    fd.prompt.set("Imprimer dans un fichier PDF");
    fd.ext[1].set(".pdf");
    fd.path.set((folder + "/" + proposed_pdf_name(doc && doc->nom ? doc->nom->get() : nullptr)).c_str());
    if (!save_file_dialog(&fd, folder.c_str())) return false;
    const std::string chosen = with_pdf_extension(fd.path.get());
    std::string system;
    if (!platform::resolve_path(chosen, &system)) return false;
    remember_print_folder(chosen);
    printer->output_file = system;
    return true;
}

bool ends_with_folded(const std::string& s, const char* end) {
    const size_t n = std::strlen(end);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; i++)
        if (platform::fold_case(s[s.size() - n + i]) != end[i]) return false;
    return true;
}

}  // namespace

std::string proposed_pdf_name(const char* document_name) {
    std::string name = document_name ? document_name : "";
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0 && name.size() - dot <= 5) name.erase(dot);
    for (char& c : name)
        if (c == '/' || c == '\\') c = '_';
    if (name.find_first_not_of(' ') == std::string::npos) name = "Partition";
    return name + ".pdf";
}

std::string with_pdf_extension(const std::string& path) {
    return ends_with_folded(path, ".pdf") ? path : path + ".pdf";
}

short imprimer_partition_sur(CPrinter* printer) {
    View* v = find_view(0, 0, 0, 0, 0);
    if (!v || !printer) return 0;
    set_cur_doc(v->get_doc_id(), v->get_sub_doc_id());
    if (!doc) return 0;
    if (!doc->mise_en_page_ok) {
        dialogue_mise_en_page(1, 1.0f, 1.0f, printer, 1);
        if (!doc->mise_en_page_ok) return 0;
    }
    Sub_document& sd = doc->sub_doc[doc->cur_sub_doc];
    if (sd.printer_setup) printer->set_param(sd.printer_setup, sd.size_printer_setup);
    if ((working_mode & 8) && !printer->setup_printer(1)) return 0;
    printer->verify_printer_driver();
    printer->set_min_max_page(1, doc->tot_pag);
    if (!printer->job_dialog()) return 0;
    if (!choose_pdf_file(printer)) return 0;
    short size = 0;
    if (void* record = printer->get_param(&size); record && size > 0) {
        std::free(sd.printer_setup);
        sd.printer_setup = (char*)std::malloc((size_t)size);
        if (sd.printer_setup) std::memcpy(sd.printer_setup, record, (size_t)size);
        sd.size_printer_setup = sd.printer_setup ? size : (short)0;
    }
    if (application) application->set_cursor_wait();
    short first = printer->get_first_page() < 1 ? (short)1 : printer->get_first_page();
    if (first > doc->tot_pag) {
        if (application) application->set_cursor_arrow();
        return 0;
    }
    short last = printer->get_last_page();
    if (last < first) last = first;
    if (last > doc->tot_pag) last = doc->tot_pag;
    const float reduction = sd.reduction / 100.0f;
    const float sx = reduction * printer->get_printing_width_pixel() / printer->get_printing_width_mm() * 254 / 720;
    const float sy = reduction * printer->get_printing_height_pixel() / printer->get_printing_height_mm() * 254 / 720;
    const CString title = texte(9);
    if (application) application->open_patience(0, 0, title.get(), "", "");
    if (!printer->start_document(title.get())) {
        if (application) application->close_patience();
        return 0;
    }
    editeur_non_affichable = 1;
    const CString line = texte(8);
    short printed = 0;
    for (short p = first; p <= last; p++) {
        if (application) {
            char progress[160];
            std::snprintf(progress, sizeof progress, "%s %hd (%hd --> %hd)", line.get(), p, first, last);
            application->patience_string_1(progress);
            application->do_patience((short)((int32_t)(p - first) * 100 / (last - first + 1)));
        }
        if (!printer->start_page()) break;
        cur_drawing_page = p;
        dessiner_page_partition(p, printer, sx, sy);
        if (imprimer_cadre_decoupe) {
            printer->set_brush(1);
            printer->set_color(BLACK);
            printer->draw_dotted_rect((short)((sd.me_g - 140) * sx), (short)((sd.me_s - 54) * sy), (short)((sd.rmx - sd.me_d + 140) * sx),
                                      (short)((sd.rmy - sd.me_i - 3) * sy), (short)(12 * sx), 0);
            printer->set_brush(0);
        }
        if (!printer->stop_page()) break;
        printed++;
    }
    doc->flag_maj |= 0x10;
    editeur_non_affichable = 0;
    if (application) application->patience_string_1(texte(10).get());
    printer->stop_document();
    if (application) application->close_patience();
    return printed;
}

void imprimer_partition() {
    CPrinter printer;
    imprimer_partition_sur(&printer);
}
