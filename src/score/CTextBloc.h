#pragma once
// A block of text in a frame, an item of a measure or a document-level block of a page.

#include <cstdint>

#include "framework/CFont.h"
#include "framework/CString.h"
#include "score/CDataObject.h"
#include "score/Placeholders.h"

class CTextBloc : public CDataObject {
public:
    static constexpr short KIND = KIND_TEXTBLOC;
    CTextBloc() { uid = KIND; }
    CDataObject* duplicate() override;
    short read(FILE* f) override;
    short write(FILE* f) override;

    // Fits the frame to the text (unless `align` is 4).
    void ajuster_cadre_texte();

    short x = 0, y = 0, w = 100, h = 20;
    CFont font;
    int32_t color = 0;
    short type = 2;
    short meas = 1, staff = 1, page = 1;  // what the block is attached to
    short align = 1;  // 4: the frame keeps its size
    short flags = 0;
    CString text;     // lines separated by line feeds
    short interligne = 100;  // line spacing in percent
};
