#pragma once
// The compiled form of an expression: a tree of typed nodes. The parser builds
// it (expr_parser.cpp) through the factories below; the node classes themselves
// live in expr_eval.cpp so that the per-record code stays in one place.
//
// A node is evaluated through the accessor of its own type only (text() of a
// Character node, number() of a Numeric or Date node, logical() of a Logical
// one); the parser guarantees this, so the accessors do not check.

#include "platform/xbase/expression.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qb::xbase {

// What a node reads at evaluation time. Constant folding evaluates with both
// pointers null, which is safe because only impure nodes touch them.
struct EvalContext {
    const RecordSource* source = nullptr;
    const char* record = nullptr;
};

// Binding strength in the canonical text, loosest first.
enum Precedence : int { PrecOr = 1, PrecAnd, PrecNot, PrecCompare, PrecAdd, PrecMul, PrecUnary, PrecPrimary };

enum class Op {
    // Character
    Upper, Lower, Trim, LTrim, AllTrim, Substr, Left, Right, Str, Dtos, Concat, ConcatMoveBlanks,
    // Numeric
    Len, At, Val, Recno, Add, Sub, Mul, Div, Mod, Negate, DateDiff, Year, Month, Day, Int, Abs, Round,
    // Date
    Ctod, Today, DatePlus, DateMinus,
    // Logical
    Deleted, Empty, Contains,
    // Any type
    Iif,
};

class ExprNode {
public:
    enum class Kind { Literal, Field, Function, Operator, Compare, And, Or, Not };

    ExprNode(Kind nodeKind, ValueType valueType) : kind(nodeKind), type(valueType) {}
    virtual ~ExprNode() = default;
    ExprNode(const ExprNode&) = delete;
    ExprNode& operator=(const ExprNode&) = delete;

    virtual std::string_view text(const EvalContext&) const { return {}; }
    virtual double number(const EvalContext&) const { return 0; }
    virtual bool logical(const EvalContext&) const { return false; }

    const Kind kind;
    const ValueType type;
    int width = 0;               // Character: the fixed key width; others as Expression::width()
    bool pure = true;            // result depends on the arguments alone (foldable)
    CompareOp compareOp = CompareOp::Equal;  // Compare only
    std::string canonical;       // as written, in the one spelling
    int precedence = PrecPrimary;
    std::vector<std::unique_ptr<ExprNode>> args;
};

using NodePtr = std::unique_ptr<ExprNode>;

NodePtr makeTextLiteral(std::string value);
NodePtr makeNumberLiteral(double value);
NodePtr makeDateLiteral(double julian);
NodePtr makeLogicalLiteral(bool value);
// The field's type decides the node; nullptr for a type expressions cannot read.
NodePtr makeField(const Field& field, int index);
// Functions and arithmetic; the parser has checked argument types and count
// and computed the width of a Character result.
NodePtr makeOperation(Op op, ValueType resultType, std::vector<NodePtr> args, int width);
NodePtr makeCompare(CompareOp op, NodePtr left, NodePtr right);
NodePtr makeAnd(NodePtr left, NodePtr right);
NodePtr makeOr(NodePtr left, NodePtr right);
NodePtr makeNot(NodePtr operand);

// A constant node holding the value of a pure node whose arguments are constant.
NodePtr foldConstant(const ExprNode& node);

NodePtr parseExpression(std::string_view text, const RecordSource& layout);

// Shared helpers of evaluation, also used by the parser for constant arguments.
double julianFromText(std::string_view yyyymmdd);   // blank or invalid: 0
double parseNumberText(std::string_view text);      // leading blanks, sign, digits, point; stops at anything else
bool isBlankText(std::string_view text);

} // namespace qb::xbase
