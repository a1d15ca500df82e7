#include "editor/EditorLookups.h"

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

CMeasure* mesure_systeme(short s, short p, short t) {
    if (!doc || s < 1 || s > doc->max_sys || !doc->sys[s]) return nullptr;
    Systeme* sys = doc->sys[s];
    if (p < 1 || p > sys->tot_por) return nullptr;
    Portee* staff = doc->por[sys->por[p]];
    if (!staff || t < 1 || t > staff->tot_mes) return nullptr;
    return doc->mes[staff->mes[t]];
}
