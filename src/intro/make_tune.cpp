// Writes the about window's tune as a standard MIDI file.
// Usage: quillsift-make-tune FILE
#include "common/Files.h"
#include "intro/AboutTune.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quillsift-make-tune FILE\n";
        return 2;
    }
    if (!qs::WriteWholeFile(argv[1], qs::intro::MakeAboutTune())) {
        std::cerr << "cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
