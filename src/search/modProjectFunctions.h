#pragma once
// Routines shared by the search and the readers: the header check and the
// three character mappings between PETSCII and what the PC shows.
#include "media/Reader.h"

#include <string>

namespace qs {

enum class HeaderKind { G64 = 0, PC64 = 1, TapeRaw = 2, Cartridge = 3, T64 = 4 };

// True when the file starts with the signature of `kind` (letters in either
// case). Otherwise the records describe an invalid file and the answer is false.
// Read errors pass to the caller.
bool HeaderCheck(ReaderContext& ctx, const std::string& path, HeaderKind kind);

// A-Z (65-90) become 193-218: names from the outside tools' listings.
std::string ShiftListingLetters(std::string text);
// Swaps PETSCII lower/upper case so that names compare as the C64 shows them.
std::string SwapPetsciiCase(std::string text);
// PETSCII graphics to the code page 437 glyphs of the results box.
std::string PetsciiToDisplay(std::string text);

} // namespace qs
