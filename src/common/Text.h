#pragma once
// Texts of one character per byte, and their conversion to what people read.
// Nothing here depends on the locale: upper-casing means ASCII a-z only.
#include <cstddef>
#include <string>
#include <string_view>

namespace qs {

std::string upperAscii(std::string_view text);
// Removes leading and trailing blanks (only the blank, not other white space).
std::string trimBlanks(std::string_view text);
std::string replaceAll(std::string text, std::string_view from, std::string_view to);

// Display conversions into UTF-8: code page 437 glyphs (CBM media bytes after
// PetsciiToDisplay; control codes show as their glyphs, so a name can never
// break a report line) and Latin-1 (SID header texts).
std::string cp437ToUtf8(std::string_view bytes);
std::string latin1ToUtf8(std::string_view bytes);

// Number of characters (code points) in a UTF-8 text.
std::size_t utf8Length(std::string_view text);

} // namespace qs
