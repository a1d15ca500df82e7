#include "chords/ChordServices.h"

#include "chords/ChordChoice.h"
#include "chords/HarmonicAnalysis.h"
#include "score/CChordLibrary.h"

void install_chord_services() {
    chord_services.choose_chord = choose_chord;
    chord_services.modify_analyse = modify_analyse;
    chord_services.denombrer = denombrer;
}
