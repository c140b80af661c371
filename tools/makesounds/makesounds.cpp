// makesounds OUTDIR: writes the game's ten sound effects as wave files into
// OUTDIR. The sounds are synthesized here, so the build needs no samples;
// the output is the same bytes on every run.

#include "SoundSynth.h"

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: makesounds OUTDIR\n";
        return 2;
    }
    std::string error;
    if (!tessarin::sounds::writeSoundSet(argv[1], &error)) {
        std::cerr << "makesounds: " << error << '\n';
        return 1;
    }
    return 0;
}
