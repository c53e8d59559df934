// Recursive descent over the tokens, with FoxPro's precedence: arithmetic binds
// tighter than comparisons and $, which bind tighter than NOT, then AND, then OR.
// Types are checked and Character widths fixed here, once, so evaluation does
// neither; subtrees without record data are folded to constants, which also
// lets the query planner see "UPPER('ca')" as the constant it is.

#include "platform/xbase/expr_lexer.h"
#include "platform/xbase/expr_nodes.h"

#include "platform/xbase/codepage.h"
#include "platform/xbase/error.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace qb::xbase {
namespace {

constexpr size_t kMaxLength = 255;
// Deep enough for any real tag or filter, shallow enough that neither parsing
// nor evaluation can run out of stack on "((((((...".
constexpr int kMaxDepth = 64;

using K = Token::Kind;

struct FunctionInfo {
    const char* name;
    Op op;
    int minArgs;
    int maxArgs;
};

constexpr FunctionInfo kFunctions[] = {
    {"UPPER", Op::Upper, 1, 1},     {"LOWER", Op::Lower, 1, 1},     {"TRIM", Op::Trim, 1, 1},
    {"RTRIM", Op::Trim, 1, 1},      {"LTRIM", Op::LTrim, 1, 1},     {"ALLTRIM", Op::AllTrim, 1, 1},
    {"SUBSTR", Op::Substr, 2, 3},   {"LEFT", Op::Left, 2, 2},       {"RIGHT", Op::Right, 2, 2},
    {"LEN", Op::Len, 1, 1},         {"AT", Op::At, 2, 2},           {"STR", Op::Str, 1, 3},
    {"VAL", Op::Val, 1, 1},         {"DTOS", Op::Dtos, 1, 1},       {"CTOD", Op::Ctod, 1, 1},
    {"DATE", Op::Today, 0, 0},      {"RECNO", Op::Recno, 0, 0},     {"DELETED", Op::Deleted, 0, 0},
    {"EMPTY", Op::Empty, 1, 1},     {"IIF", Op::Iif, 3, 3},         {"YEAR", Op::Year, 1, 1},
    {"MONTH", Op::Month, 1, 1},     {"DAY", Op::Day, 1, 1},         {"INT", Op::Int, 1, 1},
    {"ABS", Op::Abs, 1, 1},         {"ROUND", Op::Round, 2, 2},     {"MOD", Op::Mod, 2, 2},
};

// FoxPro accepts any abbreviation of a function name down to four letters.
const FunctionInfo* findFunction(std::string_view name)
{
    for (const auto& f : kFunctions)
        if (equalsIgnoreCase(name, f.name))
            return &f;
    if (name.size() < 4)
        return nullptr;
    for (const auto& f : kFunctions) {
        const std::string_view full = f.name;
        if (full.size() > name.size() && equalsIgnoreCase(full.substr(0, name.size()), name))
            return &f;
    }
    return nullptr;
}

// The delimiter that does not occur in the text; a literal can hold at most two
// of the three, having been written with the third.
std::string quoted(std::string_view s)
{
    if (s.find('"') == std::string_view::npos)
        return "\"" + std::string(s) + "\"";
    if (s.find('\'') == std::string_view::npos)
        return "'" + std::string(s) + "'";
    return "[" + std::string(s) + "]";
}

std::string wrap(const ExprNode& n, int minPrecedence)
{
    return n.precedence < minPrecedence ? "(" + n.canonical + ")" : n.canonical;
}

const char* typeName(ValueType t)
{
    switch (t) {
    case ValueType::Character: return "Character";
    case ValueType::Numeric: return "Numeric";
    case ValueType::Date: return "Date";
    case ValueType::Logical: return "Logical";
    }
    return "?";
}

bool constantNumber(const ExprNode& n, double& value)
{
    if (n.kind != ExprNode::Kind::Literal || n.type != ValueType::Numeric)
        return false;
    value = n.number(EvalContext{});
    return std::isfinite(value);
}

int clampWidth(double v, int upper)
{
    return v <= 0 ? 0 : v >= upper ? upper : int(v);
}

class Parser {
public:
    Parser(std::string_view text, const RecordSource& layout)
        : layout_(layout), tokens_(tokenizeExpression(text))
    {
    }

    NodePtr parse()
    {
        NodePtr root = parseOr();
        const Token& t = peek();
        if (t.kind == K::RParen)
            throw ExprError("Unbalanced parenthesis", t.position);
        if (t.kind != K::End)
            unexpected(t);
        return root;
    }

private:
    struct DepthGuard {
        explicit DepthGuard(Parser& p, int position) : parser(p)
        {
            if (++parser.depth_ > kMaxDepth)
                throw ExprError("Expression too deeply nested", position);
        }
        ~DepthGuard() { --parser.depth_; }
        Parser& parser;
    };

    const Token& peek() const { return tokens_[pos_]; }
    const Token& take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }

    [[noreturn]] static void unexpected(const Token& t)
    {
        switch (t.kind) {
        case K::End: throw ExprError("Unexpected end of expression", t.position);
        case K::Name: throw ExprError("Unexpected name " + std::string(t.text), t.position);
        case K::Number: throw ExprError("Unexpected number " + std::string(t.text), t.position);
        case K::String: throw ExprError("Unexpected string", t.position);
        case K::RParen: throw ExprError("Unbalanced parenthesis", t.position);
        default: throw ExprError("Unexpected operator", t.position);
        }
    }

    static void requireType(const ExprNode& n, ValueType type, int position)
    {
        if (n.type != type)
            throw ExprError(std::string("Type mismatch: ") + typeName(type) + " expected", position);
    }

    // Replaces a pure node whose arguments are all constants by its value.
    static NodePtr fold(NodePtr node)
    {
        if (!node->pure || node->kind == ExprNode::Kind::Literal || node->kind == ExprNode::Kind::Field)
            return node;
        for (const auto& a : node->args)
            if (a->kind != ExprNode::Kind::Literal)
                return node;
        return foldConstant(*node);
    }

    NodePtr binary(Op op, ValueType type, NodePtr a, NodePtr b, int width, const std::string& canonical, int precedence)
    {
        std::vector<NodePtr> args;
        args.push_back(std::move(a));
        args.push_back(std::move(b));
        NodePtr node = makeOperation(op, type, std::move(args), width);
        node->canonical = canonical;
        node->precedence = precedence;
        return fold(std::move(node));
    }

    NodePtr parseOr()
    {
        NodePtr left = parseAnd();
        while (peek().kind == K::Or) {
            const int at = take().position;
            NodePtr right = parseAnd();
            requireType(*left, ValueType::Logical, at);
            requireType(*right, ValueType::Logical, at);
            std::string canonical = wrap(*left, PrecOr) + ".OR." + wrap(*right, PrecOr + 1);
            left = makeOr(std::move(left), std::move(right));
            left->canonical = std::move(canonical);
            left->precedence = PrecOr;
            left = fold(std::move(left));
        }
        return left;
    }

    NodePtr parseAnd()
    {
        NodePtr left = parseNot();
        while (peek().kind == K::And) {
            const int at = take().position;
            NodePtr right = parseNot();
            requireType(*left, ValueType::Logical, at);
            requireType(*right, ValueType::Logical, at);
            std::string canonical = wrap(*left, PrecAnd) + ".AND." + wrap(*right, PrecAnd + 1);
            left = makeAnd(std::move(left), std::move(right));
            left->canonical = std::move(canonical);
            left->precedence = PrecAnd;
            left = fold(std::move(left));
        }
        return left;
    }

    NodePtr negation(int at, NodePtr operand)
    {
        requireType(*operand, ValueType::Logical, at);
        std::string canonical = ".NOT." + wrap(*operand, PrecNot);
        NodePtr node = makeNot(std::move(operand));
        node->canonical = std::move(canonical);
        node->precedence = PrecNot;
        return fold(std::move(node));
    }

    NodePtr parseNot()
    {
        if (peek().kind == K::Not) {
            DepthGuard guard(*this, peek().position);
            const int at = take().position;
            return negation(at, parseNot());
        }
        return parseComparison();
    }

    NodePtr parseComparison()
    {
        NodePtr left = parseAdditive();
        for (;;) {
            const Token& t = peek();
            CompareOp op;
            const char* symbol;
            switch (t.kind) {
            case K::Equal: op = CompareOp::Equal, symbol = "="; break;
            case K::ExactEqual: op = CompareOp::ExactEqual, symbol = "=="; break;
            case K::NotEqual: op = CompareOp::NotEqual, symbol = "<>"; break;
            case K::Less: op = CompareOp::Less, symbol = "<"; break;
            case K::LessEqual: op = CompareOp::LessEqual, symbol = "<="; break;
            case K::Greater: op = CompareOp::Greater, symbol = ">"; break;
            case K::GreaterEqual: op = CompareOp::GreaterEqual, symbol = ">="; break;
            case K::Dollar: {
                const int at = take().position;
                NodePtr right = parseAdditive();
                requireType(*left, ValueType::Character, at);
                requireType(*right, ValueType::Character, at);
                std::string canonical = wrap(*left, PrecCompare) + "$" + wrap(*right, PrecCompare + 1);
                left = binary(Op::Contains, ValueType::Logical, std::move(left), std::move(right), 1, canonical, PrecCompare);
                continue;
            }
            default: return left;
            }
            const int at = take().position;
            NodePtr right = parseAdditive();
            if (left->type != right->type)
                throw ExprError("Type mismatch", at);
            std::string canonical = wrap(*left, PrecCompare) + symbol + wrap(*right, PrecCompare + 1);
            // "=" and "<>" between texts follow SET EXACT, which may change after compiling.
            const bool followsExact = left->type == ValueType::Character && (op == CompareOp::Equal || op == CompareOp::NotEqual);
            left = makeCompare(op, std::move(left), std::move(right));
            left->canonical = std::move(canonical);
            left->precedence = PrecCompare;
            left->pure = !followsExact;
            left = fold(std::move(left));
        }
    }

    NodePtr parseAdditive()
    {
        NodePtr left = parseMultiplicative();
        while (peek().kind == K::Plus || peek().kind == K::Minus) {
            const bool plus = peek().kind == K::Plus;
            const int at = take().position;
            NodePtr right = parseMultiplicative();
            std::string canonical = wrap(*left, PrecAdd) + (plus ? "+" : "-") + wrap(*right, PrecAdd + 1);
            const ValueType a = left->type, b = right->type;
            Op op;
            ValueType type;
            int width = 8;
            if (a == ValueType::Character && b == ValueType::Character) {
                op = plus ? Op::Concat : Op::ConcatMoveBlanks;
                type = ValueType::Character;
                width = left->width + right->width;
            } else if (a == ValueType::Numeric && b == ValueType::Numeric) {
                op = plus ? Op::Add : Op::Sub;
                type = ValueType::Numeric;
            } else if (a == ValueType::Date && b == ValueType::Numeric) {
                op = plus ? Op::DatePlus : Op::DateMinus;
                type = ValueType::Date;
            } else if (plus && a == ValueType::Numeric && b == ValueType::Date) {
                op = Op::DatePlus;
                type = ValueType::Date;
                std::swap(left, right);  // the date goes first; the canonical keeps the written order
            } else if (!plus && a == ValueType::Date && b == ValueType::Date) {
                op = Op::DateDiff;
                type = ValueType::Numeric;
            } else {
                throw ExprError("Type mismatch", at);
            }
            left = binary(op, type, std::move(left), std::move(right), width, canonical, PrecAdd);
        }
        return left;
    }

    NodePtr parseMultiplicative()
    {
        NodePtr left = parseUnary();
        while (peek().kind == K::Star || peek().kind == K::Slash || peek().kind == K::Percent) {
            const K kind = peek().kind;
            const int at = take().position;
            NodePtr right = parseUnary();
            requireType(*left, ValueType::Numeric, at);
            requireType(*right, ValueType::Numeric, at);
            const char* symbol = kind == K::Star ? "*" : kind == K::Slash ? "/" : "%";
            const Op op = kind == K::Star ? Op::Mul : kind == K::Slash ? Op::Div : Op::Mod;
            std::string canonical = wrap(*left, PrecMul) + symbol + wrap(*right, PrecMul + 1);
            left = binary(op, ValueType::Numeric, std::move(left), std::move(right), 8, canonical, PrecMul);
        }
        return left;
    }

    NodePtr parseUnary()
    {
        const K kind = peek().kind;
        if (kind == K::Minus || kind == K::Plus || kind == K::Not) {
            DepthGuard guard(*this, peek().position);
            return parseUnaryOperator(kind);
        }
        return parsePrimary();
    }

    NodePtr parseUnaryOperator(K kind)
    {
        const int at = take().position;
        if (kind == K::Not)  // "A = !B": a NOT inside an operand takes just the next operand
            return negation(at, parseUnary());
        NodePtr operand = parseUnary();
        requireType(*operand, ValueType::Numeric, at);
        if (kind == K::Plus)
            return operand;
        std::string canonical = "-" + wrap(*operand, PrecUnary);
        std::vector<NodePtr> args;
        args.push_back(std::move(operand));
        NodePtr node = makeOperation(Op::Negate, ValueType::Numeric, std::move(args), 8);
        node->canonical = std::move(canonical);
        node->precedence = PrecUnary;
        return fold(std::move(node));
    }

    NodePtr parsePrimary()
    {
        const Token t = take();
        switch (t.kind) {
        case K::Number: {
            double value = 0;
            std::from_chars(t.text.data(), t.text.data() + t.text.size(), value, std::chars_format::fixed);
            NodePtr node = makeNumberLiteral(value);
            node->canonical = std::string(t.text);
            return node;
        }
        case K::String: {
            NodePtr node = makeTextLiteral(std::string(t.text));
            node->canonical = quoted(t.text);
            return node;
        }
        case K::True:
        case K::False: {
            NodePtr node = makeLogicalLiteral(t.kind == K::True);
            node->canonical = t.kind == K::True ? ".T." : ".F.";
            return node;
        }
        case K::LParen: {
            DepthGuard guard(*this, t.position);
            NodePtr inner = parseOr();
            const Token& close = peek();
            if (close.kind == K::End)
                throw ExprError("Unbalanced parenthesis", t.position);
            if (close.kind != K::RParen)
                unexpected(close);
            take();
            return inner;
        }
        case K::Name:
            if (peek().kind == K::LParen)
                return parseCall(t);
            return fieldReference(t);
        default: unexpected(t);
        }
    }

    NodePtr fieldReference(const Token& t)
    {
        const int index = layout_.fieldIndex(t.text);
        if (index < 0)
            throw ExprError("Unknown field " + asciiUpper(t.text), t.position);
        const Field& f = layout_.field(index);
        NodePtr node = makeField(f, index);
        if (!node)
            throw ExprError("Field " + f.name + " has a type expressions cannot read", t.position);
        node->canonical = asciiUpper(f.name);
        return node;
    }

    NodePtr parseCall(const Token& name)
    {
        const FunctionInfo* info = findFunction(name.text);
        if (!info)
            throw ExprError("Unknown function " + asciiUpper(name.text), name.position);
        const Token& open = take();
        DepthGuard guard(*this, open.position);
        std::vector<NodePtr> args;
        std::vector<int> positions;
        if (peek().kind != K::RParen) {
            for (;;) {
                positions.push_back(peek().position);
                args.push_back(parseOr());
                if (peek().kind != K::Comma)
                    break;
                take();
            }
        }
        if (peek().kind == K::End)
            throw ExprError("Unbalanced parenthesis", open.position);
        if (peek().kind != K::RParen)
            unexpected(peek());
        take();
        const int count = int(args.size());
        if (count < info->minArgs || count > info->maxArgs)
            throw ExprError(std::string("Wrong number of arguments to ") + info->name + "()", name.position);

        std::string canonical = std::string(info->name) + "(";
        for (int i = 0; i < count; ++i)
            canonical += (i ? "," : "") + args[i]->canonical;
        canonical += ")";

        auto expect = [&](int i, ValueType type) {
            if (args[i]->type != type)
                throw ExprError(std::string("Type mismatch in argument ") + std::to_string(i + 1) + " of " + info->name + "()",
                                positions[i]);
        };
        const ValueType C = ValueType::Character, N = ValueType::Numeric, D = ValueType::Date, L = ValueType::Logical;
        ValueType type = N;
        int width = 8;
        switch (info->op) {
        case Op::Upper:
        case Op::Lower:
        case Op::Trim:
        case Op::LTrim:
        case Op::AllTrim:
            // Trimmed keys are padded back to the argument's width, as FoxPro does.
            expect(0, C);
            type = C;
            width = args[0]->width;
            break;
        case Op::Substr: {
            expect(0, C);
            expect(1, N);
            if (count == 3)
                expect(2, N);
            type = C;
            const int full = args[0]->width;
            double start = 0, length = 0;
            const bool constStart = constantNumber(*args[1], start);
            const bool constLength = count == 3 && constantNumber(*args[2], length);
            // As wide as the longest result the argument's width allows.
            int available = full;
            if (constStart)
                available = start < 1 ? 0 : clampWidth(full - std::trunc(start) + 1, full);
            width = constLength ? std::min(available, clampWidth(length, full)) : available;
            break;
        }
        case Op::Left:
        case Op::Right: {
            expect(0, C);
            expect(1, N);
            type = C;
            double n = 0;
            width = constantNumber(*args[1], n) ? clampWidth(n, args[0]->width) : args[0]->width;
            break;
        }
        case Op::Str: {
            expect(0, N);
            for (int i = 1; i < count; ++i)
                expect(i, N);
            type = C;
            double length = 10;
            width = (count < 2 || constantNumber(*args[1], length)) ? clampWidth(length, 255) : 10;
            break;
        }
        case Op::Dtos:
            expect(0, D);
            type = C;
            width = 8;
            break;
        case Op::Len:
        case Op::Val:
            expect(0, C);
            break;
        case Op::At:
            expect(0, C);
            expect(1, C);
            break;
        case Op::Ctod:
            expect(0, C);
            type = D;
            break;
        case Op::Today: type = D; break;
        case Op::Recno: break;
        case Op::Deleted:
            type = L;
            width = 1;
            break;
        case Op::Empty:
            type = L;
            width = 1;
            break;
        case Op::Iif:
            expect(0, L);
            if (args[1]->type != args[2]->type)
                throw ExprError("Type mismatch in argument 3 of IIF()", positions[2]);
            type = args[1]->type;
            width = type == C ? std::max(args[1]->width, args[2]->width) : type == L ? 1 : 8;
            break;
        case Op::Year:
        case Op::Month:
        case Op::Day: expect(0, D); break;
        case Op::Int:
        case Op::Abs: expect(0, N); break;
        case Op::Round:
        case Op::Mod:
            expect(0, N);
            expect(1, N);
            break;
        default: break;
        }
        NodePtr node = makeOperation(info->op, type, std::move(args), width);
        node->canonical = std::move(canonical);
        node->precedence = PrecPrimary;
        return fold(std::move(node));
    }

    const RecordSource& layout_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    int depth_ = 0;
};

} // namespace

NodePtr parseExpression(std::string_view text, const RecordSource& layout)
{
    if (text.size() > kMaxLength)
        throw ExprError("Expression too long", int(kMaxLength));
    return Parser(text, layout).parse();
}

} // namespace qb::xbase
