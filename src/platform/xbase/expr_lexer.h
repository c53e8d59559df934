#pragma once
// Tokens of the xBase expression language.

#include <string_view>
#include <vector>

namespace qb::xbase {

struct Token {
    enum class Kind {
        End, Name, Number, String, LParen, RParen, Comma,
        Plus, Minus, Star, Slash, Percent,
        Equal, ExactEqual, NotEqual, Less, LessEqual, Greater, GreaterEqual, Dollar,
        And, Or, Not, True, False,
    };
    Kind kind = Kind::End;
    int position = 0;
    std::string_view text;   // Name and Number: the lexeme; String: the contents without delimiters
};

// Throws ExprError for a character that starts no token and for an unterminated string.
std::vector<Token> tokenizeExpression(std::string_view text);

} // namespace qb::xbase
