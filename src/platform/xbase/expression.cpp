#include "platform/xbase/expression.h"

#include "platform/xbase/error.h"
#include "platform/xbase/expr_nodes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qb::xbase {
namespace {

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

[[noreturn]] void wrongResult(ValueType actual, const char* wanted)
{
    throw XbaseError({}, std::string("The expression is ") + typeName(actual) + ", not " + wanted);
}

Value constantValue(const ExprNode& n)
{
    const EvalContext none;
    Value v;
    v.type = n.type;
    switch (n.type) {
    case ValueType::Character: v.text = std::string(n.text(none)); break;
    case ValueType::Logical: v.logical = n.logical(none); break;
    default: v.number = n.number(none); break;
    }
    return v;
}

CompareOp mirrored(CompareOp op)
{
    switch (op) {
    case CompareOp::Less: return CompareOp::Greater;
    case CompareOp::LessEqual: return CompareOp::GreaterEqual;
    case CompareOp::Greater: return CompareOp::Less;
    case CompareOp::GreaterEqual: return CompareOp::LessEqual;
    default: return op;
    }
}

QueryNode plan(const ExprNode& n)
{
    QueryNode q;
    q.canonical = n.canonical;
    switch (n.kind) {
    case ExprNode::Kind::And:
    case ExprNode::Kind::Or:
        q.kind = n.kind == ExprNode::Kind::And ? QueryNode::Kind::And : QueryNode::Kind::Or;
        for (const auto& a : n.args) {
            QueryNode child = plan(*a);
            if (child.kind == q.kind) {
                for (auto& grandchild : child.children)
                    q.children.push_back(std::move(grandchild));
            } else {
                q.children.push_back(std::move(child));
            }
        }
        return q;
    case ExprNode::Kind::Not:
        q.kind = QueryNode::Kind::Not;
        q.children.push_back(plan(*n.args[0]));
        return q;
    case ExprNode::Kind::Compare: {
        const ExprNode& left = *n.args[0];
        const ExprNode& right = *n.args[1];
        const bool leftConstant = left.kind == ExprNode::Kind::Literal;
        const bool rightConstant = right.kind == ExprNode::Kind::Literal;
        if (rightConstant && !leftConstant) {
            q.kind = QueryNode::Kind::Compare;
            q.op = n.compareOp;
            q.canonical = left.canonical;
            q.constant = constantValue(right);
        } else if (leftConstant && !rightConstant) {
            // "=" and "<>" between texts mean "begins with" under SET EXACT OFF,
            // which does not survive swapping the sides.
            const bool asymmetric = left.type == ValueType::Character &&
                                    (n.compareOp == CompareOp::Equal || n.compareOp == CompareOp::NotEqual);
            if (asymmetric) {
                q.kind = QueryNode::Kind::Opaque;
                return q;
            }
            q.kind = QueryNode::Kind::Compare;
            q.op = mirrored(n.compareOp);
            q.canonical = right.canonical;
            q.constant = constantValue(left);
        } else {
            q.kind = QueryNode::Kind::Opaque;
        }
        return q;
    }
    case ExprNode::Kind::Field:
    case ExprNode::Kind::Function:
        q.kind = n.type == ValueType::Logical ? QueryNode::Kind::Bool : QueryNode::Kind::Opaque;
        return q;
    default:
        q.kind = QueryNode::Kind::Opaque;
        return q;
    }
}

} // namespace

Expression::Expression(std::unique_ptr<ExprNode> root, std::string text) : root_(std::move(root)), text_(std::move(text)) {}
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;
Expression::~Expression() = default;

Expression Expression::compile(std::string_view text, const RecordSource& layout)
{
    return Expression(parseExpression(text, layout), std::string(text));
}

ValueType Expression::type() const { return root_->type; }

int Expression::width() const
{
    switch (root_->type) {
    case ValueType::Character: return root_->width;
    case ValueType::Logical: return 1;
    default: return 8;
    }
}

bool Expression::evalLogical(const RecordSource& record) const
{
    if (root_->type != ValueType::Logical)
        wrongResult(root_->type, "Logical");
    return root_->logical(EvalContext{&record, record.recordBuffer()});
}

std::string_view Expression::evalText(const RecordSource& record) const
{
    if (root_->type != ValueType::Character)
        wrongResult(root_->type, "Character");
    return root_->text(EvalContext{&record, record.recordBuffer()});
}

double Expression::evalNumber(const RecordSource& record) const
{
    if (root_->type != ValueType::Numeric && root_->type != ValueType::Date)
        wrongResult(root_->type, "Numeric");
    return root_->number(EvalContext{&record, record.recordBuffer()});
}

void Expression::evalKey(const RecordSource& record, uint8_t* out) const
{
    const EvalContext ctx{&record, record.recordBuffer()};
    switch (root_->type) {
    case ValueType::Character: {
        const std::string_view s = root_->text(ctx);
        const size_t width = size_t(root_->width);
        const size_t n = s.size() < width ? s.size() : width;
        if (n)
            std::memcpy(out, s.data(), n);
        std::memset(out + n, ' ', width - n);
        break;
    }
    case ValueType::Logical: *out = root_->logical(ctx) ? 'T' : 'F'; break;
    default: encodeNumericKey(root_->number(ctx), out); break;
    }
}

std::string Expression::canonical() const { return root_->canonical; }

QueryNode Expression::queryPlan() const
{
    if (root_->type != ValueType::Logical)
        wrongResult(root_->type, "Logical");
    return plan(*root_);
}

// ---- fuzzing ----------------------------------------------------------------

namespace {

class FuzzRecord final : public RecordSource {
public:
    FuzzRecord()
    {
        add("NAME", 'C', 10);
        add("AMOUNT", 'N', 8, 2);
        add("FLAG", 'L', 1);
        add("BORN", 'D', 8);
        add("NOTES", 'M', 10);
        record_ = std::string("*") + "Miller    " + "  -12.50" + "T" + "19991231" + "         7";
    }
    int fieldCount() const override { return int(fields_.size()); }
    const Field& field(int index) const override { return fields_[size_t(index)]; }
    int fieldIndex(std::string_view name) const override
    {
        for (size_t i = 0; i < fields_.size(); ++i)
            if (fields_[i].name.size() == name.size() &&
                std::equal(name.begin(), name.end(), fields_[i].name.begin(),
                           [](char a, char b) { return (a >= 'a' && a <= 'z' ? char(a - 32) : a) == b; }))
                return int(i);
        return -1;
    }
    const char* recordBuffer() const override { return record_.data(); }
    uint32_t recordNumber() const override { return 42; }
    std::string memoBytes(int) const override { return "A memo line\r\nand \xe9t\xe9 "; }

private:
    void add(const char* name, char type, uint16_t length, uint8_t decimals = 0)
    {
        Field f;
        f.name = name;
        f.type = type;
        f.length = length;
        f.decimals = decimals;
        f.offset = next_;
        next_ += length;
        fields_.push_back(f);
    }
    std::vector<Field> fields_;
    std::string record_;
    uint32_t next_ = 1;
};

} // namespace

void fuzzExpression(const uint8_t* data, size_t size)
{
    static const FuzzRecord record;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const Expression e = Expression::compile(text, record);
        try { (void)e.evalLogical(record); } catch (const XbaseError&) {}
        try { (void)e.evalText(record); } catch (const XbaseError&) {}
        try { (void)e.evalNumber(record); } catch (const XbaseError&) {}
        try { (void)e.queryPlan(); } catch (const XbaseError&) {}
        std::vector<uint8_t> key(size_t(e.width()) + 1, 0xA5);
        e.evalKey(record, key.data());
        if (key.back() != 0xA5)
            std::abort();  // wrote past width()
        // The canonical text must mean the same expression.
        const std::string canonical = e.canonical();
        if (canonical.size() <= 255) {
            const Expression again = Expression::compile(canonical, record);
            if (again.canonical() != canonical || again.type() != e.type() || again.width() != e.width())
                std::abort();
        }
    } catch (const XbaseError&) {
    }
}

} // namespace qb::xbase
