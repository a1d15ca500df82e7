#pragma once
// Makes the chord-choice dialog and the harmonic analysis of this library the ones that the
// score model's chord classes call.

void install_chord_services();
