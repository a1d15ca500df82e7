#include "score/ScoreItems.h"

void CRest::adjust() {
    if (rythm == 0 || rythm == 1)
        y = 13;
    else if (rythm == 2)
        y = 15;
    else if (rythm >= 3 && rythm <= 8)
        y = 24;
}
