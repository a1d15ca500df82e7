#pragma once
// Printing the score: the pages of the current extract of the front score view, page by page,
// at the page setup's reduction, with one progress box for the whole run. The printer settings
// chosen in the print dialog are kept in the extract for the next run.

#include <string>

class CPrinter;

// When non-zero, each printed page also gets a dotted frame 140 units outside the side margins
// (a guide for cutting the paper); 0 by default.
extern short imprimer_cadre_decoupe;

// Draws page `page` of the current extract on the printer at scales sx, sy: the page's systems
// are fitted again for the printer, then the text blocks of the page, the measures, their
// numbers, the instruments' names and the brackets and braces are drawn.
void dessiner_page_partition(short page, CPrinter* printer, float sx, float sy);

// The file a print to "PDF file" proposes for a document of that name (Windows-1252): the name
// without its extension, with ".pdf"; "Partition.pdf" for a document without a name.
std::string proposed_pdf_name(const char* document_name);
// The path chosen in the save dialog, with ".pdf" added when it has no such extension.
std::string with_pdf_extension(const std::string& path);

// The print command. Runs the printer dialogs and prints the chosen pages; nothing happens when
// there is no score view, the pages are not laid out, a dialog is cancelled or the first page
// lies beyond the document. On "PDF file", unless the printer was given its output file, the
// save dialog asks where to write it, starting in the folder of the last such print.
void imprimer_partition();
// The same on a given printer; returns the number of pages printed.
short imprimer_partition_sur(CPrinter* printer);
