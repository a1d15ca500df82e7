#pragma once
// The layout tool (61), in the page view: a press on a measure opens dialog 15, in which the
// musician sets the number of measures of the pressed system (for it alone, or for it and all
// the following ones), the number of systems of the pressed page (alone, or with the following
// pages), and whether the systems are then fitted to the page width and spread over its height.
// The layout is rebuilt from the edited counts as one undo level holding a snapshot of the whole
// layout (undo 42). A page is never left without systems.
//
// GUI thread, inside the router (tools/ToolContext.h); the dialog is modal.

#include <vector>

class CUserPanel;
class Editeur;
struct Event;

short dispatch_editeur_disposition(Editeur* v, Event* e);

namespace layout_undo {
enum : short { Layout = 42 };
constexpr short kAction = 3, kKindSnapshot = 7, kSnapshotSpec = 4;
}  // namespace layout_undo

// What the dialog asks for. Scopes: 1 the pressed system (page) only, 2 it and the following.
struct LayoutRequest {
    bool measures = false;
    short measures_scope = 1;
    short M = 1;  // measures per system
    bool systems = false;
    short systems_scope = 1;
    short S = 1;  // systems per page
    bool adjust = false;
    short adjust_scope = 1;
    bool keep_first = false, keep_last = false;
    short spread = -1;  // the extract's even spreading of the systems; -1 left as it is
};

// Dialog 15 for the pressed system's measure count `M` and the pressed page's system count
// `S`: false when cancelled. Tests put a scripted one in its place.
bool ask_layout(short M, short S, LayoutRequest* out);
extern bool (*layout_dialog)(short M, short S, LayoutRequest* out);

short decaler_mesures_systemes(short page, short system, short staff, short measure, short column, short part,
                               float scalex, float scaley, CUserPanel* panel);

// ---- Decisions, on plain data ----

// The two lists of the layout: measures of each system (pages in order, systems top to bottom)
// and systems of each page, as 0-based vectors. `k` is the 1-based rank of the pressed system,
// `page` the 1-based pressed page.
struct LayoutCounts {
    std::vector<short> A;  // measures per system
    std::vector<short> B;  // systems per page
};
// The pressed system alone gets M measures: the surplus flows on to the end of the score (into
// new systems of at most M measures, on the last page while it holds fewer than S systems, else
// on new pages), the shortfall is taken from the last systems.
void set_system_measures(LayoutCounts& c, short k, short M, short S);
// The pressed system and every following one get M measures (the last the remainder); the
// pages are fitted to the new count of systems, the last ones filled up to S.
void set_following_measures(LayoutCounts& c, short k, short M, short S);
// The pressed page alone gets S systems, the surplus or the shortfall at the end of the score.
void set_page_systems(LayoutCounts& c, short page, short S);
// The pressed page and every following one get S systems (the last the remainder).
void set_following_systems(LayoutCounts& c, short page, short S);
// Applies a request to the lists; true when the layout is to be rebuilt from the pressed page.
bool apply_layout_request(LayoutCounts& c, short k, short page, const LayoutRequest& r);
