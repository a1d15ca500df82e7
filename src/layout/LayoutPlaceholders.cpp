#include "layout/LayoutPlaceholders.h"

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

void conversion_graphique_midi(short, short, short) {}

void ajuster_paroles(short, short) {}

