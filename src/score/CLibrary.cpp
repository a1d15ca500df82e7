#include "score/CLibrary.h"

CLibrary::CLibrary(const CLibrary& other)
    : CDataObject(other),
      type(other.type),
      name(other.name),
      flags(other.flags),
      x(other.x),
      y(other.y),
      x1(other.x1),
      y1(other.y1),
      x2(other.x2),
      y2(other.y2),
      tot_par(other.tot_par) {
    append_entries(&par, &other.par);
}
