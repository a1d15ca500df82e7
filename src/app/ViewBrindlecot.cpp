#include "app/ViewBrindlecot.h"

#include "app/Application.h"
#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CList.h"
#include "framework/CMenu.h"
#include "framework/CScroll.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"
#include "framework/TabletManager.h"
#include "layout/PageSetup.h"
#include "layout/UtilitairesPartition.h"
#include "midi/CMidi.h"
#include "midi/ScoreRender.h"
#include "score/CMeasure.h"
#include "score/CNote.h"
#include "score/CSymbol.h"
#include "score/Document.h"
#include "score/MidiAutoConfig.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Piste.h"
#include "score/ScoreItems.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

std::atomic<bool> ok_interrupt{true};
short screen_tablet = 0;

namespace {

constexpr short kAccompanimentMenuItem = 304;
constexpr short kCompositionScrollRoom = 16;  // the vertical scroll bar's width
constexpr short kStripHeight = 38;
constexpr short kPlayAlongZoomEntry = 5;
constexpr unsigned char kVolumeController = 7;
constexpr short kWholeMeasureRest = 1;  // the rest value that fills a measure

std::string upper(std::string s)
{
    for (char& c : s) c = (char)std::toupper((unsigned char)c);
    return s;
}

short staves_of_master(Document* d) { return nombre_portees(d); }

short measures_of_master(Document* d)
{
    if (!d || d->tot_sys < 1 || !d->sys[1] || d->sys[1]->tot_por < 1) return 0;
    const Portee* first = d->por[d->sys[1]->por[1]];
    return first ? first->tot_mes : 0;
}

// Keeps only the volume controllers of a soloist track before it is rendered again.
void keep_volume_events(Piste* t)
{
    short kept = 0;
    for (short i = 1; i <= t->tot; i++) {
        const MidiEvent& e = t->event[i];
        if ((e.buf[0] & 0xF0) == 0xB0 && e.buf[1] == kVolumeController && e.buf[3] == 0xFF) t->event[++kept] = e;
    }
    t->tot = kept;
}

// The staves of every system of every page, in reading order, as the jump table reads them.
std::vector<SystemGeometry> page_geometry(Document* d)
{
    std::vector<SystemGeometry> systems;
    for (short p = 1; p <= d->tot_pag; p++) {
        const Page* page = d->pag[p];
        if (!page) continue;
        for (short k = 1; k <= page->tot_sys; k++) {
            const Systeme* sys = d->sys[page->sys[k]];
            if (!sys) continue;
            SystemGeometry g;
            g.page = p;
            g.first_on_page = k == 1;
            g.last_on_page = k == page->tot_sys;
            for (short j = 1; j <= sys->tot_por; j++) {
                const Portee* staff = d->por[sys->por[j]];
                if (!staff || staff->tot_mes < 1) continue;
                const CMeasure* first = d->mes[staff->mes[1]];
                const CMeasure* last = d->mes[staff->mes[staff->tot_mes]];
                if (!first || !last) continue;
                LineGeometry l;
                l.pa = first->pa ? first->pa : j;
                l.first_x = first->px;
                l.first_front = first->front;
                l.first_y = first->py;
                l.last_x = last->px;
                l.last_width = last->width;
                l.last_y = last->py;
                g.lines.push_back(l);
            }
            systems.push_back(std::move(g));
        }
    }
    return systems;
}

// The notes and rests of a measure, as the x-to-tick table reads them.
StaffTouchItems touch_items(CMeasure* s)
{
    StaffTouchItems items;
    items.width = s->width;
    for (short i = 1; i <= s->total(); i++) {
        if (CNote* n = s->get_note_item(i))
            items.items.push_back({n->x, n->rec_start == 32000 ? (int32_t)n->start : (int32_t)n->rec_start});
        else if (CRest* r = s->get_rest_item(i))
            if (r->rythm != kWholeMeasureRest) items.items.push_back({r->x, (int32_t)r->start});
    }
    return items;
}

std::vector<short> symbol_tools(CMeasure* m)
{
    std::vector<short> tools;
    for (short i = 1; i <= m->total(); i++)
        if (CSymbol* s = m->get_symbol_item(i)) tools.push_back(s->tool_id);
    return tools;
}

}  // namespace

TabletRange tablet_range(const std::string& name)
{
    if (upper(name).find("WACOM") == std::string::npos) return TabletRange{900, 9160, 1340, 9250};
    return TabletRange{0, 10000, 0, 10000};
}

TabletMapping tablet_mapping(const TabletRange& r, short x1, short y1, short x2, short y2)
{
    TabletMapping m;
    if (r.low_x != r.high_x) {
        m.factx = (float)(x1 - x2) / (float)(r.low_x - r.high_x);
        m.offsetx = (int32_t)(x2 - r.high_x * m.factx);
    }
    if (r.low_y != r.high_y) {
        m.facty = (float)(y1 - y2) / (float)(r.low_y - r.high_y);
        m.offsety = (int32_t)(y2 - r.high_y * m.facty);
    }
    return m;
}

bool is_composition_name(const char* name)
{
    if (!name) return false;
    const std::string n = upper(name);
    for (const char* model : {"MISC\\COMPO-640X480.BCC", "MISC\\COMPO-800X600.BCC", "MISC\\COMPO-1024X768.BCC"}) {
        const std::string m = model;
        // The model's name, whatever the folders before it and the separator.
        if (n == m) return true;
        std::string slashed = m;
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
        if (n.size() >= slashed.size() && n.compare(n.size() - slashed.size(), slashed.size(), slashed) == 0) return true;
    }
    return n.find("MES COMPOSITIONS") != std::string::npos;
}

Brindlecot* play_along_view()
{
    return view && view->typ == kPlayAlongViewType ? static_cast<Brindlecot*>(view) : nullptr;
}

short Brindlecot::create()
{
    if (!Editeur::create(1)) return 0;
    typ = kPlayAlongViewType;
    if (win && !win->is_zoomed()) win->zoom();
    play.jeu_bcot_actif = 0;
    play.jeu_auto = 0;
    // No editing strip: one voice at a time, the page view, the zoom fitted.
    for (CPanel* c : {(CPanel*)voice_pop, (CPanel*)justi_check, (CPanel*)lin_pag_pop})
        if (c) c->hide();
    voice = 1;
    composition_document = doc && doc->path && is_composition_name(doc->path->get());
    for (CPanel* c : {(CPanel*)upm, (CPanel*)uprep, (CPanel*)hor, (CPanel*)page_scroll})
        if (c) c->hide();
    if (ver && !composition_document) ver->hide();
    if (up) {
        up->event_handler = bcot_proc;
        up->set_left_side(0, SidePixels, nullptr);
        up->set_top_side(0, SidePixels, nullptr);
        if (composition_document)
            up->set_right_side(-kCompositionScrollRoom, SidePixels, nullptr);
        else
            up->set_right_side(100, SidePercent, nullptr);
        up->set_bottom_side(100, SidePercent, nullptr);
        up->update_size();
    }
    if (uptools) {
        uptools->set_bottom_side(kStripHeight, SidePixels, nullptr);
        uptools->set_right_side(100, SidePercent, nullptr);
        uptools->hide();
    }
    TouchPlayer::reset_touch(play);
    play.psol = 1;
    play.tracc = 0;
    play.nextsyscur = 0;
    play.last_trsol = 0;
    play.next_saut_page = 0;
    posy = proxi = 0;
    play.touch = 0;
    offsetx = offsety = 0;
    factx = facty = 0.1f;
    indic_wait_next_redraw = 0;
    accomp = 0;
    play.accomp_actif = 0;
    fir_mes = las_mes = 1;
    play.appuyer = 0;
    play.relever = 0;
    play.pedale = 0;
    play.soliste_actif = 1;
    jump.clear();
    auto_zoom_position();
    return 1;
}

void Brindlecot::destroy(short keep)
{
    stop_player();
    jump.clear();
    jump.shrink_to_fit();
    Editeur::destroy(keep);  // deletes the view
}

void Brindlecot::auto_zoom_position()
{
    if (!set_cur_doc(id, sub_id) || !doc) return;
    Document* d = doc;
    const short modified = d->modif;
    // The play-along shows pages: a score laid out in a line is laid out in pages first.
    if (d->cur_pag == 0) {
        if ((d->tot_pag < 1 || !d->mise_en_page_ok) && up) dialogue_mise_en_page(1, scalex, scaley, up, 0);
        if (d->tot_pag >= 1) {
            d->cur_pag = 1;
            d->sub_doc[sub_id].cur_pag = 1;
            dirty_page_lin();
            adjust_scroll();
        }
    }
    if (d->cur_pag == 0) return;
    const Sub_document& s = d->sub_doc[sub_id];
    const short w = up ? up->get_width() : 0, h = up ? up->get_height() : 0;
    if (composition_document) {
        // A composition's pages are made for the screen at the zoom of entry 5 (100 %): its
        // outer margins are scrolled away. A score of the libraries keeps its zoom and shows
        // its whole page as the editor does.
        if (zoom_pop) zoom_pop->set_cur(kPlayAlongZoomEntry);
        appliquer_zoom(zoom_table[kPlayAlongZoomEntry]);
        d->modif = modified;  // fitting the page to the screen is no change of the score
        ox = (short)(s.me_g * scalex - 4);
        oy = (short)(s.me_s * scaley - 4);
    }
    for (CPanel* c : {(CPanel*)hor, (CPanel*)page_scroll})
        if (c) c->hide();
    if (hor) {
        hor->enable();
        hor->set_min_max(-10, (short)(s.mx * scalex + 10 - w / 2));
        hor->set_value(ox);
    }
    if (ver) {
        ver->enable();
        ver->set_min_max(-5, (short)std::max<int32_t>(-5, (int32_t)(s.my * scaley + 10 - h / 2)));
        ver->set_value(oy);
    }
    pox = ox, poy = oy;
    // The tablet covers the page's printed area.
    const Sub_document& first = d->sub_doc[1];
    const short x1 = (short)(first.mi_g + first.me_g), y1 = (short)(first.mi_s + first.me_s);
    const short x2 = (short)(first.mx - first.me_d - first.mi_d), y2 = (short)(first.my - first.me_i - first.mi_i);
    char name[64] = "";
    get_tablet_name(name, sizeof name);
    TabletRange range = tablet_range(name);
    if (upper(name) == "SCREEN WACOM" && up && SCREEN_WIDTH > 0 && SCREEN_HEIGHT > 0) {
        screen_tablet = 1;
        short ax = (short)(x1 - ox + 10), ay = (short)(y1 - oy + 8);
        short bx = (short)(x2 - ox + 6), by = (short)(y2 - oy + 2);
        up->local_to_global(&ax, &ay);
        up->local_to_global(&bx, &by);
        range = TabletRange{(int32_t)ax * 10000 / SCREEN_WIDTH, (int32_t)bx * 10000 / SCREEN_WIDTH,
                            (int32_t)ay * 10000 / SCREEN_HEIGHT, (int32_t)by * 10000 / SCREEN_HEIGHT};
    }
    const TabletMapping m = tablet_mapping(range, x1, y1, x2, y2);
    offsetx = m.offsetx;
    offsety = m.offsety;
    factx = m.factx;
    facty = m.facty;
    if (up) up->dirty();
}

void Brindlecot::transfert()
{
    if (!set_cur_doc(id, sub_id) || !doc) return;
    Document* d = doc;
    const short n = std::min<short>(staves_of_master(d), std::min(d->tot_ins, d->tot_piste));
    const short N = measures_of_master(d);
    if (n < 1 || N < 1) return;
    PlayerPause pause;
    selectionner(1, N, 1, n);
    portee_metronome = 0;
    if (application && application->midi) application->midi->tempo = d->tempo;
    for (short s = 1; s <= n; s++) d->ins[s].play = 1;

    for (short s = 1; s <= n; s++) {
        const Ins& ins = d->ins[s];
        Piste* t = d->piste[s];
        if (!t) continue;
        if (ins.in_roll & 1) {
            // The soloist's track is rebuilt from its notation (the player is paused).
            keep_volume_events(t);
            maj_rel_piste_mesures(s);
            midi_auto_config();
            CScoreRender render;
            render.reset_effets();
            d->piste[s] = render.jouer_mesures(1, N, 0, 0, s, d->piste[s], 1);
            maj_rel_piste_mesures(s);
            t = d->piste[s];
        } else if (ins.canal == 10) {
            if (metronome_track(t->event, t->tot)) portee_metronome = s;
        } else {
            maj_rel_piste_mesures(s);
        }
        std::memset(t->tab, 0, sizeof t->tab);
        std::memset(t->mesi, 0, sizeof t->mesi);
        std::memset(t->noti, 0, sizeof t->noti);
        t->next = 0;
        t->arp_cur = 0;
        if (ins.accol_type == 1 && ins.accol_tot == 1) {
            t->last_tsol = 0;
            std::vector<short> starts, stops;
            chord_groups(t->event, t->tot, &starts, &stops);
            t->arp_start.clear();
            t->arp_stop.clear();
            for (short i : starts) t->arp_start.add(i);
            for (short i : stops) t->arp_stop.add(i);
        }
        for (short m = 1; m <= N; m++)
            if (CMeasure* measure = mesure_maitre(d, m, s)) {
                measure->pa = s;
                measure->ma = m;
            }
    }
    maj_duree_mesures();
    selectionner(0, 0, 0, 0);
    accomp = 1;
    play.accomp_actif = 1;

    jump = jump_table(page_geometry(d));
    touch_columns.assign((size_t)N + 1, TouchColumn{});

    short mode = kModeDefault;
    int32_t column_start = 0;
    for (short m = 1; m <= N; m++) {
        CMeasure* M = mesure_maitre(d, m, 1);
        if (!M) continue;
        mode = column_mode(mode, symbol_tools(M));
        M->bcot_mode = mode;
        if (mode == kModeAccompanimentOff) {
            accomp = 0;
            play.accomp_actif = 0;
        }
        std::vector<StaffTouchItems> staves;
        std::vector<CMeasure*> measures;
        for (short s = 1; s <= n; s++)
            if (CMeasure* S = mesure_maitre(d, m, s)) {
                staves.push_back(touch_items(S));
                measures.push_back(S);
            }
        const ColumnTouch c = column_touch(M->front, M->width, M->length, staves);
        for (size_t i = 0; i < measures.size(); i++) {
            measures[i]->start_time = column_start;
            measures[i]->jump_next = c.jump_next[i];
        }
        M->tabtu.clear();
        for (size_t x = 1; x < c.tabtu.size(); x++) M->tabtu.set((intptr_t)c.tabtu[x], (short)x);
        TouchColumn& tc = touch_columns[(size_t)m];
        tc.start_time = column_start;
        tc.length = M->length;
        tc.bcot_mode = mode;
        tc.tabtu.assign(c.tabtu.begin(), c.tabtu.end());
        column_start += M->length;
    }
    to_be_transfered = 0;
    if (application && application->menu) application->menu->set_check_state(kAccompanimentMenuItem, play.accomp_actif ? 1 : 0);
}

void recalculer_la_partition()
{
    if (Brindlecot* v = play_along_view()) v->arrange(1, 10000);
}
