#include "layout/PagePlaceholders.h"

#include "score/Document.h"
#include "score/MusicGlobals.h"

short dialogue_mise_en_page(short, float, float, CUserPanel*, short) {
    if (!doc) return 0;
    if (doc->tot_pag >= 1) doc->mise_en_page_ok = 1;
    return doc->mise_en_page_ok;
}
