#pragma once
// Checks and repairs of a document's numbered references, run once after it is read: pages
// list systems, systems and master systems list staves, staves list measures, libraries and
// library markers list libraries.

struct Document;

// Repairs the page, system, staff and master-system lists that name what does not exist;
// a master staff's bad measure number gets a new empty measure. Tells the user once when it
// found any fault; returns the number of faults.
short verifier_structure_partition(Document* d);
// The number of systems, staves and measures that nothing refers to.
short verifier_objets_perdus(Document* d);
// Frees the systems that no page lists, then the staves that nothing lists, then the measures
// that no staff lists.
void nettoyer_objets_perdus(Document* d);
// Removes the references to library slots that hold nothing; sets tot_lib to the number of
// libraries. Returns the number of references removed.
short verifier_librairies(Document* d);
