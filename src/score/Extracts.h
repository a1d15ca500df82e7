#pragma once
// Switching between the extracts of a document, and the internal clipboard of a block of
// measures.

class CMeasure;
class CChordProgression;
struct Document;
struct Piste;

// The internal clipboard of a block of measures; empty when `mes` is null. It owns what it holds.
struct Select_mes {
    short w;    // columns copied
    short h;    // staves copied
    short max;  // capacity of mes
    short tot;  // measure copies, w x h
    CMeasure** mes;  // 1..tot
    short docid;     // identity of the document copied from
    Piste** piste;   // 1..h, copies of the copied staves' tracks
    CChordProgression* chprog;  // chord entries of the copied columns, or null
};

extern Select_mes sm;

// Makes extract n current: stores the document's extract fields into the record of the extract
// that was current and loads those of record n. 0, with nothing changed, when d is null or n is
// outside 1..tot_sub_doc.
short permuter_contexte(Document* d, short n);
// Frees everything the clipboard holds and empties it.
void cancel_internal_clipboard();
