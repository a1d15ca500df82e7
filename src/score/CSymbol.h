#pragma once
// A musical symbol placed in a measure, free or attached to a note or rest, with its local
// overrides of the parameters of its symbol definition.

#include "score/CDataObject.h"

struct Definition;

class CSymbol : public CDataObject {
public:
    static constexpr short KIND = KIND_SYMBOL;
    CSymbol() { uid = KIND; }
    CDataObject* duplicate() override;
    short read(FILE* f) override;
    short write(FILE* f) override;

    // The symbol's own value of parameter n, else the definition's default.
    short get_local_param(Definition* def, short n);
    // Sets the local value of parameter n: an existing entry, else a free (0) slot, else a new one.
    void set_local_param(short n, short v);

    short tool_id = 2000;  // id of the symbol definition
    short note_id = 0;     // `sid` of the note or rest it is attached to, 0 when free
    CArrayInt param;       // parameter numbers
    CArrayInt value;       // their values
};
