#pragma once
// A time signature: up to five terms of a composite meter.

#include "score/CDataObject.h"

class CTimeSig : public CDataObject {
public:
    static constexpr short KIND = KIND_TIMESIG;
    CTimeSig() { uid = KIND; }
    CDataObject* duplicate() override { return new CTimeSig(*this); }
    short read(FILE* f) override;
    short write(FILE* f) override;

    short x = 20;
    short upper[6] = {0, 4, 0, 0, 0, 0};  // entries 1 to 5: numerators
    short lower[6] = {0, 4, 0, 0, 0, 0};  // entries 1 to 5: denominators
    short flags = 1;  // 0x1: 4/4 drawn as common time, 2/2 as alla breve
};
