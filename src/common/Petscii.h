#pragma once
// The three character mappings between PETSCII and what the PC shows.
#include <string>

namespace qs {

// A-Z (65-90) become 193-218: names from the outside tools' listings.
std::string ShiftListingLetters(std::string text);
// Swaps PETSCII lower/upper case so that names compare as the C64 shows them.
std::string SwapPetsciiCase(std::string text);
// PETSCII graphics to the code page 437 glyphs of the results box.
std::string PetsciiToDisplay(std::string text);

} // namespace qs
