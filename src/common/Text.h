#pragma once
// Texts of one character per byte, and their conversion to what people read.
// Nothing here depends on the locale: upper-casing means ASCII a-z only.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

std::string upperAscii(std::string_view text);
// Removes leading and trailing blanks (only the blank, not other white space).
std::string trimBlanks(std::string_view text);
std::string replaceAll(std::string text, std::string_view from, std::string_view to);

// `length` characters from `offset`, clipped to the text (empty past its end).
std::string slice(std::string_view text, std::size_t offset,
                  std::size_t length = std::string_view::npos);

// What a carriage return before a line feed is: part of the line, or part of
// the line end.
enum class CrRule { Keep, Drop };
// The lines of a text split at every line feed; an empty text has none, and a
// text that ends in a line feed has an empty last line.
std::vector<std::string> SplitLines(std::string_view text, CrRule cr);

// Leading: the decimal integer at the start of the text; blanks are skipped
// wherever they occur, a sign may lead, and reading stops at the first
// character that cannot continue the number (no digits: 0).
// Whole: the text, blanks around it aside, must be such a number, else
// "Type mismatch". Either way a value beyond 32 bits raises "Overflow".
enum class NumberSyntax { Leading, Whole };
std::int32_t ParseInteger(std::string_view text, NumberSyntax syntax);

// Display conversions into UTF-8: code page 437 glyphs (CBM media bytes after
// PetsciiToDisplay; control codes show as their glyphs, so a name can never
// break a report line) and Latin-1 (SID header texts).
std::string cp437ToUtf8(std::string_view bytes);
std::string latin1ToUtf8(std::string_view bytes);

// How the bytes of a text are shown: as themselves (paths, already UTF-8),
// as Latin-1 (SID header texts), as code page 437 glyphs (medium names), or
// as code page 437 glyphs after PetsciiToDisplay (entry names).
enum class ShownAs { Itself, Latin1, Cp437, Listing };
// The character that byte `b` shows as (for Itself: the byte's own code).
char32_t shownCharacter(ShownAs how, std::uint8_t b);

// The character of a UTF-8 text that starts at `pos`, which moves past it.
// A byte that does not start a valid sequence (also overlong forms and
// surrogates) answers nothing and `pos` moves past that one byte.
std::optional<char32_t> nextUtf8(std::string_view text, std::size_t& pos);

// A path or name as one report line or status text shows it. What could break
// the line or its UTF-8 is escaped: a backslash as \\, CR, LF and TAB as \r,
// \n, \t, every other control character (C0, DEL, C1), the line and paragraph
// separators and every byte that is not part of valid UTF-8 as \xNN, one per
// byte, two upper-case hex digits. All other text, such as "Jörg", stays
// exactly as it is.
std::string escapedForLine(std::string_view text);
// True when escapedForLine would give the text back unchanged (printable
// ASCII without a backslash, as most names are).
bool isPlainLine(std::string_view text);

// Number of characters (code points) in a UTF-8 text.
std::size_t utf8Length(std::string_view text);

} // namespace qs
