#include "common/Wildcard.h"

#include "common/Text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qs {

namespace {

using Token = LikePattern::Token;

std::uint8_t code(char c) {
    return static_cast<std::uint8_t>(c);
}

std::vector<Token> tokenize(std::string_view pattern, WildcardSyntax syntax) {
    std::vector<Token> tokens;
    const bool like = syntax == WildcardSyntax::Like;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        Token t{Token::Literal, {}};
        if (c == '*') {
            if (!tokens.empty() && tokens.back().kind == Token::Star)
                continue; // "**" is the same as "*"
            t.kind = Token::Star;
        } else if (c == '?') {
            t.kind = Token::AnyOne;
        } else if (like && c == '#') {
            t.kind = Token::Digit;
        } else if (like && c == '[' && pattern.find(']', i + 1) != std::string_view::npos) {
            const std::size_t close = pattern.find(']', i + 1);
            std::string_view list = pattern.substr(i + 1, close - i - 1);
            bool negate = false;
            if (!list.empty() && list.front() == '!') {
                negate = true;
                list.remove_prefix(1);
            }
            t.kind = Token::Set;
            for (std::size_t k = 0; k < list.size(); ++k) {
                if (k + 2 < list.size() && list[k + 1] == '-') {
                    for (unsigned v = code(list[k]); v <= code(list[k + 2]); ++v)
                        t.set.set(v);
                    k += 2;
                } else {
                    t.set.set(code(list[k]));
                }
            }
            if (negate)
                t.set.flip();
            i = close;
        } else {
            t.set.set(code(c));
        }
        tokens.push_back(t);
    }
    return tokens;
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

bool matchTokens(std::string_view text, const std::vector<Token>& tokens) {
    // Every non-star token takes exactly one character, so the classic
    // two-cursor scan with one remembered star is exact and linear in practice.
    std::size_t t = 0, p = 0;
    std::size_t starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < tokens.size() && tokens[p].kind != Token::Star && accepts(tokens[p], text[t])) {
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
    return matchTokens(text, tokenize(pattern, syntax));
}

LikePattern::LikePattern(std::string_view pattern, bool matchCase)
    : tokens_(tokenize(matchCase ? trimBlanks(pattern) : trimBlanks(upperAscii(pattern)),
                       WildcardSyntax::Like)),
      matchCase_(matchCase) {}

bool LikePattern::matches(std::string_view text) const {
    return matchTokens(matchCase_ ? trimBlanks(text) : trimBlanks(upperAscii(text)), tokens_);
}

bool likeCompare(std::string_view text, std::string_view pattern, bool matchCase) {
    return LikePattern(pattern, matchCase).matches(text);
}

bool fitsFilePattern(std::string_view name, std::string_view patternList) {
    const std::string upperName = upperAscii(name);
    std::size_t start = 0;
    while (start <= patternList.size()) {
        std::size_t end = patternList.find(';', start);
        if (end == std::string_view::npos)
            end = patternList.size();
        const std::string_view piece = patternList.substr(start, end - start);
        if (!piece.empty() && wildcardMatch(upperName, upperAscii(piece), WildcardSyntax::FileList))
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace qs
