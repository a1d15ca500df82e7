#pragma once
// Writing the score document file: the header, the document's settings, its staves and
// systems, each extract with its instruments, tracks and texts, the libraries and the measures
// with their items, then the check value over the first four bytes.

#include <cstdint>

struct Document;

// The fixed key of the check value: (file length XOR key) modulo 1000.
constexpr int32_t check_key = 0x05D3A61C;

// Writes the document to its file (its path, else its name with ".mrc"). The file is written
// beside the old one under a temporary name and takes the old one's place only once all of it
// is written, so that a failed save leaves the old file as it was. 1 when the file was written;
// 0 when it could not be, after telling the user.
short save_document(Document* d);
// Closes up the document's arrays before saving: frees the linear view's systems of every
// extract's page 0 and fills the holes of the measure, staff, system and library arrays.
void mise_en_ordre(Document* d);
