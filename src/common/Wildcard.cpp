#include "common/Wildcard.h"

#include "common/Text.h"

#include <algorithm>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <vector>

namespace qs {

namespace {

using Token = LikePattern::Token;

std::uint8_t code(char c) {
    return static_cast<std::uint8_t>(c);
}

// One character of a pattern: a byte that stands for itself (ASCII, any byte
// of a pattern compared as it is, a byte that is not part of valid UTF-8), or
// a typed character that stands for the bytes shown as it.
struct Unit {
    char32_t ch;
    bool raw;
    bool is(char c) const { return raw && ch == code(c); }
};

std::vector<Unit> units(std::string_view pattern, ShownAs shown) {
    std::vector<Unit> out;
    for (std::size_t pos = 0; pos < pattern.size();) {
        const std::size_t start = pos;
        const std::optional<char32_t> cp =
            shown == ShownAs::Itself ? std::nullopt : nextUtf8(pattern, pos);
        if (cp && *cp >= 0x80) {
            out.push_back({*cp, false});
        } else {
            out.push_back({code(pattern[start]), true});
            pos = start + 1;
        }
    }
    return out;
}

// The bytes shown as a character from `from` to `to`; typed ASCII (both ends
// raw) stands for its own bytes only, so that ASCII patterns match as ever.
std::bitset<256> bytesShownAs(Unit from, Unit to, ShownAs shown) {
    std::bitset<256> set;
    if (from.raw && to.raw) {
        for (char32_t b = from.ch; b <= to.ch && b < 256; ++b)
            set.set(b);
        return set;
    }
    for (unsigned b = 0; b < 256; ++b) {
        const char32_t c =
            from.raw && to.raw ? b : shownCharacter(shown, static_cast<std::uint8_t>(b));
        if (c >= from.ch && c <= to.ch)
            set.set(b);
    }
    return set;
}

std::vector<Token> tokenize(std::string_view text, WildcardSyntax syntax, ShownAs shown) {
    const std::vector<Unit> pattern = units(text, shown);
    std::vector<Token> tokens;
    const bool like = syntax == WildcardSyntax::Like;
    auto closing = [&](std::size_t from) {
        for (std::size_t k = from; k < pattern.size(); ++k)
            if (pattern[k].is(']'))
                return k;
        return pattern.size();
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const Unit u = pattern[i];
        Token t{Token::Literal, {}};
        if (u.is('*')) {
            if (!tokens.empty() && tokens.back().kind == Token::Star)
                continue; // "**" is the same as "*"
            t.kind = Token::Star;
        } else if (u.is('?')) {
            t.kind = Token::AnyOne;
        } else if (like && u.is('#')) {
            t.kind = Token::Digit;
        } else if (like && u.is('[') && closing(i + 1) < pattern.size()) {
            const std::size_t close = closing(i + 1);
            std::size_t k = i + 1;
            const bool negate = k < close && pattern[k].is('!');
            if (negate)
                ++k;
            t.kind = Token::Set;
            for (; k < close; ++k) {
                if (k + 2 < close && pattern[k + 1].is('-')) {
                    t.set |= bytesShownAs(pattern[k], pattern[k + 2], shown);
                    k += 2;
                } else {
                    t.set |= bytesShownAs(pattern[k], pattern[k], shown);
                }
            }
            if (negate)
                t.set.flip();
            i = close;
        } else {
            t.set = bytesShownAs(u, u, shown);
        }
        tokens.push_back(t);
    }
    return tokens;
}

char upperCode(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool accepts(const Token& t, char c) {
    switch (t.kind) {
    case Token::AnyOne:
        return true;
    case Token::Digit:
        return c >= '0' && c <= '9';
    case Token::Literal:
    case Token::Set:
        return t.set.test(code(c));
    case Token::Star:
        return false;
    }
    return false;
}

// With `upper`, the text's letters a-z are compared as A-Z, without making
// an upper-cased copy (the matcher runs once for every entry of every file).
bool matchTokens(std::string_view text, const std::vector<Token>& tokens, bool upper = false) {
    // Every non-star token takes exactly one character, so the classic
    // two-cursor scan with one remembered star is exact and linear in practice.
    std::size_t t = 0, p = 0;
    std::size_t starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        const char c = upper ? upperCode(text[t]) : text[t];
        if (p < tokens.size() && tokens[p].kind != Token::Star && accepts(tokens[p], c)) {
            ++t;
            ++p;
        } else if (p < tokens.size() && tokens[p].kind == Token::Star) {
            starP = p++;
            starT = t;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < tokens.size() && tokens[p].kind == Token::Star)
        ++p;
    return p == tokens.size();
}

} // namespace

bool wildcardMatch(std::string_view text, std::string_view pattern, WildcardSyntax syntax) {
    return matchTokens(text, tokenize(pattern, syntax, ShownAs::Itself));
}

LikePattern::LikePattern(std::string_view pattern, bool matchCase, ShownAs shown)
    : tokens_(tokenize(matchCase ? trimBlanks(pattern) : trimBlanks(upperAscii(pattern)),
                       WildcardSyntax::Like, shown)),
      matchCase_(matchCase) {
    for (const Token& t : tokens_) {
        hasStar_ = hasStar_ || t.kind == Token::Star;
        fixedLength_ += t.kind == Token::Star ? 0 : 1;
    }
}

bool LikePattern::matches(std::string_view text) const {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return matchTokens({}, tokens_);
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    // Most names of a search fail here, without a scan.
    if (text.size() < fixedLength_ || (!hasStar_ && text.size() != fixedLength_))
        return false;
    return matchTokens(text, tokens_, !matchCase_);
}

const LikePattern& PreparedLikePattern(std::string_view pattern, bool matchCase, ShownAs shown) {
    struct Prepared {
        std::string pattern;
        bool matchCase;
        ShownAs shown;
        LikePattern prepared;
    };
    // Per thread, so that the search's workers share nothing; a handful of
    // entries, as a search asks for one pattern per kind of name. A list, so
    // that the patterns a caller already holds stay put while it asks for
    // more; the one asked for longest ago goes first.
    thread_local std::list<Prepared> cache;
    for (auto it = cache.begin(); it != cache.end(); ++it)
        if (it->matchCase == matchCase && it->shown == shown && it->pattern == pattern) {
            cache.splice(cache.begin(), cache, it);
            return cache.front().prepared;
        }
    if (cache.size() >= 16)
        cache.pop_back();
    return cache
        .emplace_front(Prepared{std::string(pattern), matchCase, shown,
                                LikePattern(pattern, matchCase, shown)})
        .prepared;
}

std::vector<std::string> LiteralRuns(std::string_view pattern, bool matchCase) {
    const std::vector<Unit> typed =
        units(matchCase ? trimBlanks(pattern) : trimBlanks(upperAscii(pattern)), ShownAs::Listing);
    std::vector<std::string> runs(1);
    auto breakRun = [&] {
        if (!runs.back().empty())
            runs.emplace_back();
    };
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const Unit u = typed[i];
        std::size_t close = i + 1;
        while (close < typed.size() && !typed[close].is(']'))
            ++close;
        if (u.is('[') && close < typed.size()) {
            i = close; // a set: one of many characters
            breakRun();
        } else if (u.raw && u.ch < 0x80 && !u.is('*') && !u.is('?') && !u.is('#')) {
            runs.back() += static_cast<char>(u.ch);
        } else {
            breakRun();
        }
    }
    if (runs.back().empty())
        runs.pop_back();
    return runs;
}

bool likeCompare(std::string_view text, std::string_view pattern, bool matchCase) {
    return LikePattern(pattern, matchCase).matches(text);
}

FilePatterns::FilePatterns(std::string_view patternList) {
    std::size_t start = 0;
    while (start <= patternList.size()) {
        std::size_t end = patternList.find(';', start);
        if (end == std::string_view::npos)
            end = patternList.size();
        const std::string_view piece = patternList.substr(start, end - start);
        if (piece.size() > 1 && piece[0] == '*' && piece.find_first_of("*?", 1) == piece.npos) {
            suffixes_.push_back(upperAscii(piece.substr(1)));
            suffixEnds_.set(static_cast<unsigned char>(suffixes_.back().back()));
        } else if (!piece.empty())
            pieces_.push_back(
                tokenize(upperAscii(piece), WildcardSyntax::FileList, ShownAs::Itself));
        start = end + 1;
    }
}

bool FilePatterns::fits(std::string_view name) const {
    // Most patterns are "*.EXT": an ending compared, rather than the
    // matcher trying the star at every place of the name.
    if (!name.empty() && suffixEnds_.test(static_cast<unsigned char>(upperCode(name.back()))))
        for (const std::string& suffix : suffixes_) {
            if (suffix.size() > name.size())
                continue;
            const std::string_view end = name.substr(name.size() - suffix.size());
            if (std::equal(end.begin(), end.end(), suffix.begin(),
                           [](char a, char b) { return upperCode(a) == b; }))
                return true;
        }
    for (const auto& piece : pieces_)
        if (matchTokens(name, piece, true))
            return true;
    return false;
}

bool FilePatterns::seesShapes() const {
    for (const std::string& suffix : suffixes_)
        if (suffix.front() != '.')
            return false;
    for (const auto& piece : pieces_) {
        const auto star = std::find_if(piece.begin(), piece.end(),
                                       [](const Token& t) { return t.kind == Token::Star; });
        // The characters before the star lie in the shape as they are.
        if (star - piece.begin() > 2)
            return false;
        if (star == piece.end() || star + 1 == piece.end())
            continue;
        // After it, what follows a dot: the shape keeps all from the first
        // dot past its first two characters.
        const Token& next = star[1];
        if (next.kind != Token::Literal || next.set.count() != 1 || !next.set.test('.'))
            return false;
    }
    return true;
}

std::string NameShape(std::string_view name) {
    if (name.size() <= 2 || name.substr(0, 2).find('.') != std::string_view::npos)
        return std::string(name);
    const std::size_t dot = std::min(name.find('.', 2), name.size());
    if (dot == 2)
        return std::string(name);
    std::string shape(name.substr(0, 2));
    shape += '\x01';
    shape += name.substr(dot);
    return shape;
}

bool fitsFilePattern(std::string_view name, std::string_view patternList) {
    // Prepared once per thread and list: an archive's members are each
    // looked at against the same few lists.
    thread_local std::list<std::pair<std::string, FilePatterns>> cache;
    for (auto it = cache.begin(); it != cache.end(); ++it)
        if (it->first == patternList) {
            cache.splice(cache.begin(), cache, it);
            return it->second.fits(name);
        }
    if (cache.size() >= 8)
        cache.pop_back();
    return cache.emplace_front(std::string(patternList), FilePatterns(patternList))
        .second.fits(name);
}

} // namespace qs
