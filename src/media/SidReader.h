#pragma once
// SID tunes (PSID/RSID): the header's texts and addresses into SidInfo, and
// the fixed-width formatters they are written with.
#include "media/Reader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qs {

// Files longer than this are not read as SID tunes.
inline constexpr std::uint64_t kSidSizeLimit = 130000;

void readSid(ReadInput& in);

// Bytes 0 become blanks, then blanks go at both ends; stored back and returned.
std::string TrimSidField(std::string& text);

// Fixed-width text. The value is trimmed of blanks first; then by mode:
//  1 blanks right, 2 blanks left, 3 zeros left, 4 zeros left (blanks when empty),
//    each cutting longer text to its first `width` characters;
//  0 a number: integer part (before the first ",") zero-filled or cut to
//    `width`, then "," when `separator`, then exactly `decimals` digits;
//  any other mode gives empty text.
std::string FieldNormalizer(std::string_view value, int mode, int width, int decimals = 0,
                            bool separator = false);
std::string FieldNormalizer(std::int64_t value, int mode, int width, int decimals = 0,
                            bool separator = false);

// Upper-case hexadecimal of `value`, zero-filled on the left to `width` or cut
// to its first `width` digits.
std::string GetHexByte(std::int64_t value, int width);

// The decimal number at the start of a text as text: blanks are skipped,
// reading stops at the first character that cannot continue it, "0" when
// there is none.
std::string LeadingNumberText(std::string_view text);

} // namespace qs
