#pragma once
// xBase expressions of tags and filters, compiled once and evaluated per record.
//
// Compile parses the text against a record layout and produces a tree of typed
// nodes; evaluation walks it without parsing and without allocating: each node
// owns the buffer its text result is written to.

#include "platform/xbase/field.h"
#include "platform/xbase/settings.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qb::xbase {

enum class ValueType : char { Character = 'C', Numeric = 'N', Date = 'D', Logical = 'L' };

// A constant in a query plan.
struct Value {
    ValueType type = ValueType::Logical;
    std::string text;      // Character: Windows-1252 bytes
    double number = 0;     // Numeric; Date: Julian day number (0 for an empty date)
    bool logical = false;
};

enum class CompareOp { Equal, ExactEqual, NotEqual, Less, LessEqual, Greater, GreaterEqual };

// The shape of a logical expression as the query optimizer sees it.
struct QueryNode {
    enum class Kind { And, Or, Not, Compare, Bool, Opaque } kind = Kind::Opaque;
    std::vector<QueryNode> children;  // And, Or: two or more; Not: one
    std::string canonical;            // Compare: the canonical text of the non-constant side; Bool: of the logical expression
    CompareOp op = CompareOp::Equal;  // Compare: as written with the constant on the right (sides swapped if needed)
    Value constant;                   // Compare
};

class ExprNode;

class Expression {
public:
    // Throws ExprError naming the problem and its position.
    static Expression compile(std::string_view text, const RecordSource& layout);

    Expression(Expression&&) noexcept;
    Expression& operator=(Expression&&) noexcept;
    ~Expression();

    ValueType type() const;
    // Width of a Character result (fixed for a given layout, as index keys need);
    // 8 for Numeric and Date, 1 for Logical.
    int width() const;

    // Evaluation against the source's current record. Text results stay valid
    // until the next evaluation of this expression. The nodes' buffers make an
    // expression usable by one thread at a time; compile one per thread.
    bool evalLogical(const RecordSource& record) const;
    std::string_view evalText(const RecordSource& record) const;
    double evalNumber(const RecordSource& record) const;   // Numeric, or a Date's Julian day

    // The index key of the current record: Character padded with blanks to
    // width(), Numeric and Date as 8 sortable bytes, Logical as 'T' or 'F'.
    void evalKey(const RecordSource& record, uint8_t* out) const;

    // The text with names, functions and operators in one spelling, so that a
    // filter's condition can be matched to a tag's key expression.
    std::string canonical() const;
    // Only for Logical expressions.
    QueryNode queryPlan() const;

private:
    explicit Expression(std::unique_ptr<ExprNode> root, std::string text);
    std::unique_ptr<ExprNode> root_;
    std::string text_;
};

// Sortable 8-byte encoding of a number as index keys hold it: big-endian IEEE
// double, sign bit flipped for positives, every bit flipped for negatives.
void encodeNumericKey(double value, uint8_t* out);
double decodeNumericKey(const uint8_t* in);

// Julian day number of a calendar date, and back; 0 stands for the empty date.
int32_t julianDay(int year, int month, int day);
void calendarDate(int32_t julian, int& year, int& month, int& day);

// Entry of the libFuzzer target: compiles the bytes against a small fixed
// layout (C, N, L, D and memo fields), evaluates the result every way, and
// aborts only when an invariant breaks (a key longer than width(), a canonical
// text that compiles to something else). XbaseError is expected and caught.
void fuzzExpression(const uint8_t* data, size_t size);

} // namespace qb::xbase
