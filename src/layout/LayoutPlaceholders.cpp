#include "layout/LayoutPlaceholders.h"

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

void ajuster_paroles(short, short) {}

