#include "score/CLibrary.h"

CLibrary* CLibrary::copy_library_fields(CLibrary* to) {
    to->type = type;
    to->x1 = x1;
    to->y1 = y1;
    to->x2 = x2;
    to->y2 = y2;
    to->tot_par = tot_par;
    to->name.set(name.get());
    append_entries(&to->par, &par);
    to->flags = flags;
    to->x = x;
    to->y = y;
    return to;
}

CDataObject* CLibRythm::duplicate() {
    CLibRythm* copy = new CLibRythm;
    copy_library_fields(copy);
    copy->limit = limit;
    copy->rythm = rythm;
    copy->multiply = multiply;
    copy->divide = divide;
    copy->repeat = repeat;
    return copy;
}

CDataObject* CLibMelody::duplicate() {
    CLibMelody* copy = new CLibMelody;
    copy_library_fields(copy);
    copy->limit = limit;
    copy->repeat_note = repeat_note;
    copy->repeat = repeat;
    copy->range = range;
    copy->split = split;
    copy->arrange_level = arrange_level;
    copy->overflow = overflow;
    return copy;
}

CDataObject* CLibChord::duplicate() {
    CLibChord* copy = new CLibChord;
    copy_library_fields(copy);
    copy->rythm = rythm;
    copy->time_limit = time_limit;
    copy->repeat = repeat;
    return copy;
}

CDataObject* CLibTheme::duplicate() {
    CLibTheme* copy = new CLibTheme;
    copy_library_fields(copy);
    copy->limit = limit;
    copy->repeat_note = repeat_note;
    copy->multiply = multiply;
    copy->divide = divide;
    copy->repeat = repeat;
    copy->range = range;
    copy->split = split;
    copy->arrange_level = arrange_level;
    copy->overflow = overflow;
    return copy;
}
