#pragma once
// Reading a score document file into a document: its settings, staves and systems, every
// extract, the libraries and the measures with their items. Files of the two older format
// versions (3 and 4) and files written on a Macintosh are converted while they are read.

#include "score/ReadReport.h"

struct Document;

// Reads the file named by d->path into d, which the caller made with creer_document. 1 when
// the document was read (d is the current document `doc`, its extract 1 current); 0 when the
// file cannot be opened, is of a newer version, or fails a test, d then holding what was read
// for the caller to destroy, and `why` (when given) telling the reason, which the caller shows
// with report_refused_document. A damaged file is read as far as it goes: a record that cannot
// be read costs only itself, values out of range are brought into range, the measures that the
// file lacks are made empty, and the user is told what was done.
short ouvrir_document_texte(Document* d, DocumentRefusal* why = nullptr);
