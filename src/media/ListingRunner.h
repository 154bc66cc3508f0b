#pragma once
// The readers of G64 and TAP images do not decode them: an outside program
// lists the image as text. This is how such a reader asks for the listing;
// the program runner of the tools layer answers.
#include "common/ByteView.h"

#include <string>

namespace qs {

enum class ListingProgram { C1541, Tape64 };

class ListingRunner {
  public:
    virtual ~ListingRunner() = default;
    // The program's listing of the image `bytes`, which goes by `path` (a
    // file on disk is handed over as it is; other bytes are written to the
    // temporary folder first). A program that could not list it raises an
    // error that says why; a listing cut short because the user stopped the
    // search is empty.
    virtual std::string listing(ListingProgram program, const std::string& path,
                                const ByteSource& bytes) const = 0;
};

} // namespace qs
