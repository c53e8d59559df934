#include "platform/xbase/expr_lexer.h"

#include "platform/xbase/codepage.h"
#include "platform/xbase/error.h"

namespace qb::xbase {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The words FoxPro writes between dots (.AND.) and also accepts bare (AND).
bool keyword(std::string_view word, bool dotted, Token::Kind& kind)
{
    if (equalsIgnoreCase(word, "AND")) kind = Token::Kind::And;
    else if (equalsIgnoreCase(word, "OR")) kind = Token::Kind::Or;
    else if (equalsIgnoreCase(word, "NOT")) kind = Token::Kind::Not;
    else if (dotted && (equalsIgnoreCase(word, "T") || equalsIgnoreCase(word, "Y"))) kind = Token::Kind::True;
    else if (dotted && (equalsIgnoreCase(word, "F") || equalsIgnoreCase(word, "N"))) kind = Token::Kind::False;
    else return false;
    return true;
}

} // namespace

std::vector<Token> tokenizeExpression(std::string_view s)
{
    using K = Token::Kind;
    std::vector<Token> tokens;
    const size_t n = s.size();
    size_t i = 0;
    auto push = [&](K kind, size_t start, size_t length) {
        tokens.push_back(Token{kind, int(start), s.substr(start, length)});
        i = start + length;
    };
    while (i < n) {
        const char c = s[i];
        if (isSpace(c)) {
            ++i;
            continue;
        }
        const char next = i + 1 < n ? s[i + 1] : '\0';
        if (isDigit(c) || (c == '.' && isDigit(next))) {
            size_t j = i;
            while (j < n && isDigit(s[j])) ++j;
            // "1.AND." must leave the dot to the operator; "1." alone is a number.
            if (j < n && s[j] == '.' && !(j + 1 < n && isLetter(s[j + 1]))) {
                ++j;
                while (j < n && isDigit(s[j])) ++j;
            }
            push(K::Number, i, j - i);
            continue;
        }
        if (c == '.') {
            size_t j = i + 1;
            while (j < n && isLetter(s[j])) ++j;
            K kind;
            if (j < n && s[j] == '.' && keyword(s.substr(i + 1, j - i - 1), true, kind)) {
                push(kind, i, j + 1 - i);
                continue;
            }
            throw ExprError("Unexpected character '.'", int(i));
        }
        if (isLetter(c)) {
            size_t j = i;
            while (j < n && (isLetter(s[j]) || isDigit(s[j]))) ++j;
            K kind = K::Name;
            keyword(s.substr(i, j - i), false, kind);
            push(kind, i, j - i);
            continue;
        }
        if (c == '"' || c == '\'' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const size_t end = s.find(close, i + 1);
            if (end == std::string_view::npos)
                throw ExprError("Unterminated string", int(i));
            tokens.push_back(Token{K::String, int(i), s.substr(i + 1, end - i - 1)});
            i = end + 1;
            continue;
        }
        switch (c) {
        case '(': push(K::LParen, i, 1); continue;
        case ')': push(K::RParen, i, 1); continue;
        case ',': push(K::Comma, i, 1); continue;
        case '+': push(K::Plus, i, 1); continue;
        case '-': push(K::Minus, i, 1); continue;
        case '*': push(K::Star, i, 1); continue;
        case '/': push(K::Slash, i, 1); continue;
        case '%': push(K::Percent, i, 1); continue;
        case '$': push(K::Dollar, i, 1); continue;
        case '#': push(K::NotEqual, i, 1); continue;
        case '=': next == '=' ? push(K::ExactEqual, i, 2) : push(K::Equal, i, 1); continue;
        case '!': next == '=' ? push(K::NotEqual, i, 2) : push(K::Not, i, 1); continue;
        case '<':
            if (next == '>') push(K::NotEqual, i, 2);
            else if (next == '=') push(K::LessEqual, i, 2);
            else push(K::Less, i, 1);
            continue;
        case '>': next == '=' ? push(K::GreaterEqual, i, 2) : push(K::Greater, i, 1); continue;
        default: break;
        }
        const unsigned char u = static_cast<unsigned char>(c);
        std::string shown = (u >= 0x20 && u < 0x7F) ? std::string(1, c) : "\\x" + std::string(1, "0123456789ABCDEF"[u >> 4]) + "0123456789ABCDEF"[u & 15];
        throw ExprError("Unexpected character '" + shown + "'", int(i));
    }
    tokens.push_back(Token{K::End, int(n), {}});
    return tokens;
}

} // namespace qb::xbase
