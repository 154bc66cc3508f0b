#pragma once
// The one wildcard matcher. Two syntaxes share it:
//  - Like: "?" one character, "*" any run, "#" one digit, "[list]" / "[!list]"
//    with ranges such as A-Z; the search string's comparison.
//  - FileList: only "?" and "*"; file-name patterns of the file lister.
// Characters compare by code; an unclosed "[" stands for itself.
#include "common/Text.h"

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

enum class WildcardSyntax { Like, FileList };

// Whole-text match, byte by byte, no case folding.
bool wildcardMatch(std::string_view text, std::string_view pattern,
                   WildcardSyntax syntax = WildcardSyntax::Like);

// The search comparison: without matchCase both sides are upper-cased (a-z),
// then leading and trailing blanks are removed from both before matching.
bool likeCompare(std::string_view text, std::string_view pattern, bool matchCase);

// The search comparison prepared once for many texts (the entries of a file).
// The pattern is what the user typed (UTF-8); `shown` says how the compared
// bytes are shown, and each typed character other than ASCII stands for the
// bytes shown as it (none: it never matches), so "?" is one shown character
// and "Märta" finds the Latin-1 bytes shown as "Märta". ASCII characters and
// bytes that are not valid UTF-8 stand for themselves. ShownAs::Itself
// compares the pattern's bytes as they are.
class LikePattern {
  public:
    LikePattern(std::string_view pattern, bool matchCase, ShownAs shown = ShownAs::Itself);
    bool matches(std::string_view text) const;

    struct Token {
        enum Kind { Literal, AnyOne, Digit, Set, Star } kind;
        std::bitset<256> set; // the accepted bytes of Literal and Set
    };

  private:
    std::vector<Token> tokens_;
    bool matchCase_;
    // Every token but "*" takes one character: a text needs at least this
    // many, exactly this many when there is no "*".
    std::size_t fixedLength_ = 0;
    bool hasStar_ = false;
};

// The runs of a search string's characters that each stand for one ASCII
// character however the compared bytes are shown (no wildcard, no "[...]"),
// upper-cased without matchCase, as the comparison takes them: a text that
// matches holds every run, compared without regard to case. An index narrows
// its candidates with them before the comparison itself.
std::vector<std::string> LiteralRuns(std::string_view pattern, bool matchCase);

// The prepared pattern of LikePattern(pattern, matchCase, shown), made once
// per thread and kept while it is asked for again: the matcher needs the same
// few patterns for every file of a search.
const LikePattern& PreparedLikePattern(std::string_view pattern, bool matchCase,
                                       ShownAs shown = ShownAs::Itself);

// A ";"-separated list of file-name patterns, prepared once for many names;
// names fit without regard to case.
class FilePatterns {
  public:
    explicit FilePatterns(std::string_view patternList);
    bool fits(std::string_view name) const;
    // Every pattern fits a name exactly when it fits the name's NameShape:
    // each is an ending that begins with a dot ("*.D64"), or up to two
    // characters, a star, and nothing or a dot and anything ("?!*.*").
    bool seesShapes() const;

  private:
    std::vector<std::string> suffixes_; // of the patterns "*" and a literal ending
    std::bitset<256> suffixEnds_;       // their last characters
    std::vector<std::vector<LikePattern::Token>> pieces_;
};

// What patterns that see shapes see of a file name: its first two
// characters, one mark for the run after them up to the next dot, and all
// from that dot. Names that differ only in that run ("game1.p00",
// "game2.p00") have one shape. A name with a dot in its first two
// characters is its own shape.
std::string NameShape(std::string_view name);

// A file name against a ";"-separated list of patterns, without regard to case.
bool fitsFilePattern(std::string_view name, std::string_view patternList);

} // namespace qs
