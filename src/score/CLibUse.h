#pragma once
// A library-use marker: the library elements applied from this measure, each with four values.

#include "score/CDataObject.h"

class CLibUse : public CDataObject {
public:
    static constexpr short KIND = KIND_LIBUSE;
    CLibUse() { uid = KIND; }
    CDataObject* duplicate() override;
    short read(FILE* f) override;
    short write(FILE* f) override;
    short total() { return libid.total(); }

    short res[4] = {};
    CArrayInt libid;    // ids of the library elements
    CArrayInt tres[4];  // four further values per element, parallel to libid
};
