// Per-record evaluation. Every node keeps the buffer its text result is built
// in, sized at compile time to its key width, so the hot path neither parses
// nor allocates; text results are views into the record itself or into these
// buffers and stay valid until the next evaluation of the same tree.

#include "platform/xbase/expr_nodes.h"

#include "platform/xbase/codepage.h"
#include "platform/xbase/error.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>

namespace qb::xbase {

// ---- shared helpers ---------------------------------------------------------

bool isBlankText(std::string_view text)
{
    // EMPTY() of FoxPro also counts tabs and line breaks as blank.
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

double parseNumberText(std::string_view text)
{
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && *p == ' ')
        ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    // from_chars, unlike strtod, ignores the C locale the GUI may have set.
    double value = 0;
    if (p < end && *p != '-' && *p != '+')
        std::from_chars(p, end, value, std::chars_format::fixed);
    return negative ? -value : value;
}

double julianFromText(std::string_view s)
{
    if (s.size() != 8)
        return 0;
    int parts[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    size_t at = 0;
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < widths[k]; ++i, ++at) {
            const char c = s[at];
            if (c < '0' || c > '9')
                return 0;
            parts[k] = parts[k] * 10 + (c - '0');
        }
    }
    return julianDay(parts[0], parts[1], parts[2]);
}

int32_t julianDay(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return 0;
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0))
        return 0;
    // Fliegel and Van Flandern, proleptic Gregorian calendar.
    const int a = (14 - month) / 12;
    const int y = year + 4800 - a;
    const int m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

void calendarDate(int32_t julian, int& year, int& month, int& day)
{
    if (julian <= 0) {
        year = month = day = 0;
        return;
    }
    const int64_t a = int64_t(julian) + 32044;
    const int64_t b = (4 * a + 3) / 146097;
    const int64_t c = a - 146097 * b / 4;
    const int64_t d = (4 * c + 3) / 1461;
    const int64_t e = c - 1461 * d / 4;
    const int64_t m = (5 * e + 2) / 153;
    day = int(e - (153 * m + 2) / 5 + 1);
    month = int(m + 3 - 12 * (m / 10));
    year = int(100 * b + d - 4800 + m / 10);
}

void encodeNumericKey(double value, uint8_t* out)
{
    if (value == 0)
        value = 0;  // -0.0 must key as 0.0
    uint64_t bits = std::bit_cast<uint64_t>(value);
    bits = (bits >> 63) ? ~bits : bits ^ (uint64_t(1) << 63);
    for (int i = 7; i >= 0; --i, bits >>= 8)
        out[i] = uint8_t(bits);
}

double decodeNumericKey(const uint8_t* in)
{
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = (bits << 8) | in[i];
    bits = (bits >> 63) ? bits ^ (uint64_t(1) << 63) : ~bits;
    return std::bit_cast<double>(bits);
}

namespace {

constexpr double kLastJulian = 5373484;  // 9999-12-31

// A node's own output buffer: grows only when a memo or a variable-length
// argument outgrows the width it was given at compile time.
class Scratch {
public:
    explicit Scratch(size_t capacity) { grow(std::max<size_t>(capacity, 16)); }
    char* get(size_t size) const
    {
        if (size > capacity_)
            grow(size);
        return data_.get();
    }

private:
    void grow(size_t size) const
    {
        data_ = std::make_unique<char[]>(size);
        capacity_ = size;
    }
    mutable std::unique_ptr<char[]> data_;
    mutable size_t capacity_ = 0;
};

// Arguments outside any sensible range (the fuzzer sends 1e300 and NaN) clamp.
int64_t toCount(double v)
{
    if (!(v == v))
        return 0;
    if (v > 1e9)
        return 1000000000;
    if (v < -1e9)
        return -1000000000;
    return int64_t(v);
}

double roundHalfAway(double v, int decimals)
{
    if (!std::isfinite(v) || std::fabs(v) >= 1e15)
        return v;
    const double scale = std::pow(10.0, decimals);
    return std::round(v * scale) / scale;
}

int comparePadded(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    if (const int c = a.substr(0, n).compare(b.substr(0, n)))  // unsigned bytes, like memcmp
        return c;
    std::string_view tail = a.size() > n ? a.substr(n) : b.substr(n);
    const int sign = a.size() > n ? 1 : -1;
    for (char ch : tail) {
        const unsigned char u = static_cast<unsigned char>(ch);
        if (u != ' ')
            return u > ' ' ? sign : -sign;
    }
    return 0;
}

template <typename T>
int compareValues(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

bool orderHolds(CompareOp op, int c)
{
    switch (op) {
    case CompareOp::Equal:
    case CompareOp::ExactEqual: return c == 0;
    case CompareOp::NotEqual: return c != 0;
    case CompareOp::Less: return c < 0;
    case CompareOp::LessEqual: return c <= 0;
    case CompareOp::Greater: return c > 0;
    case CompareOp::GreaterEqual: return c >= 0;
    }
    return false;
}

// Moves the ASCII letters from..from+25 to the other case and leaves every
// other byte alone (keys must sort as other engines build them, so no locale).
// Eight bytes at a time: this is most of the work of an UPPER(LNAME) key.
template <char from>
void mapCase(const char* in, char* out, size_t n)
{
    constexpr uint64_t ones = 0x0101010101010101ull;
    constexpr uint64_t highBits = 0x8080808080808080ull;
    if (n < 8) {
        for (size_t i = 0; i < n; ++i) {
            const char c = in[i];
            out[i] = (c >= from && c <= from + 25) ? char(c ^ 0x20) : c;
        }
        return;
    }
    // The last word overlaps the one before when n is no multiple of eight,
    // which is harmless as each output byte depends on its input byte alone.
    for (size_t i = 0;; i += 8) {
        if (i + 8 > n)
            i = n - 8;
        uint64_t x;
        std::memcpy(&x, in + i, 8);
        const uint64_t low7 = x & ~highBits;
        // A byte's high bit in atLeastFrom / beyondLast is set when its low seven
        // bits are >= from / > from + 25; no sum carries into the next byte.
        const uint64_t atLeastFrom = low7 + (0x80 - uint64_t(from)) * ones;
        const uint64_t beyondLast = low7 + (0x7F - uint64_t(from + 25)) * ones;
        const uint64_t letter = (atLeastFrom ^ beyondLast) & ~x & highBits;
        x ^= letter >> 2;  // 0x20 toggles the case of a letter
        std::memcpy(out + i, &x, 8);
        if (i + 8 == n)
            return;
    }
}

// memcpy for views, which may be empty with a null data pointer.
void copyBytes(char* out, std::string_view s)
{
    if (!s.empty())
        std::memcpy(out, s.data(), s.size());
}

// ---- literals and fields ----------------------------------------------------

class TextLiteral final : public ExprNode {
public:
    explicit TextLiteral(std::string value) : ExprNode(Kind::Literal, ValueType::Character), value_(std::move(value))
    {
        width = int(value_.size());
    }
    std::string_view text(const EvalContext&) const override { return value_; }

private:
    std::string value_;
};

class NumberLiteral final : public ExprNode {
public:
    NumberLiteral(ValueType valueType, double value) : ExprNode(Kind::Literal, valueType), value_(value) { width = 8; }
    double number(const EvalContext&) const override { return value_; }

private:
    double value_;
};

class LogicalLiteral final : public ExprNode {
public:
    explicit LogicalLiteral(bool value) : ExprNode(Kind::Literal, ValueType::Logical), value_(value) { width = 1; }
    bool logical(const EvalContext&) const override { return value_; }

private:
    bool value_;
};

class FieldNode : public ExprNode {
public:
    FieldNode(ValueType valueType, const Field& f, int index)
        : ExprNode(Kind::Field, valueType), offset_(f.offset), length_(f.length), index_(index)
    {
        pure = false;
    }

protected:
    std::string_view raw(const EvalContext& ctx) const { return {ctx.record + offset_, length_}; }
    uint32_t offset_;
    uint32_t length_;
    int index_;
};

class CharField final : public FieldNode {
public:
    CharField(const Field& f, int index) : FieldNode(ValueType::Character, f, index) { width = f.length; }
    std::string_view text(const EvalContext& ctx) const override { return raw(ctx); }
};

class MemoField final : public FieldNode {
public:
    // Memos are not meant for keys; ten is the width their pointer has in the record.
    MemoField(const Field& f, int index) : FieldNode(ValueType::Character, f, index) { width = 10; }
    std::string_view text(const EvalContext& ctx) const override
    {
        value_ = ctx.source->memoBytes(index_);
        return value_;
    }

private:
    mutable std::string value_;
};

class NumericField final : public FieldNode {
public:
    NumericField(const Field& f, int index) : FieldNode(ValueType::Numeric, f, index), binary_(f.type) { width = 8; }
    double number(const EvalContext& ctx) const override
    {
        const char* p = ctx.record + offset_;
        switch (binary_) {
        case 'I': {
            int32_t v;
            std::memcpy(&v, p, 4);
            return double(le(v));
        }
        case 'B': {
            uint64_t v;
            std::memcpy(&v, p, 8);
            return std::bit_cast<double>(le(v));
        }
        case 'Y': {
            int64_t v;
            std::memcpy(&v, p, 8);
            return double(le(v)) / 10000.0;
        }
        default: return parseNumberText(raw(ctx));
        }
    }

private:
    template <typename T>
    static T le(T v)
    {
        if constexpr (std::endian::native == std::endian::big) {
            auto bytes = std::bit_cast<std::array<uint8_t, sizeof(T)>>(v);
            std::reverse(bytes.begin(), bytes.end());
            return std::bit_cast<T>(bytes);
        }
        return v;
    }
    char binary_;
};

class DateField final : public FieldNode {
public:
    DateField(const Field& f, int index) : FieldNode(ValueType::Date, f, index) { width = 8; }
    double number(const EvalContext& ctx) const override { return julianFromText(raw(ctx)); }
};

class LogicalField final : public FieldNode {
public:
    LogicalField(const Field& f, int index) : FieldNode(ValueType::Logical, f, index) { width = 1; }
    bool logical(const EvalContext& ctx) const override
    {
        const char c = ctx.record[offset_];
        return c == 'T' || c == 't' || c == 'Y' || c == 'y';
    }
};

// ---- operations -------------------------------------------------------------

// Operators and functions share their node classes; the query planner tells
// them apart ("$" is no Bool leaf, DELETED() is).
ExprNode::Kind kindOf(Op op)
{
    switch (op) {
    case Op::Concat:
    case Op::ConcatMoveBlanks:
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div:
    case Op::Negate:
    case Op::DateDiff:
    case Op::DatePlus:
    case Op::DateMinus:
    case Op::Contains: return ExprNode::Kind::Operator;
    default: return ExprNode::Kind::Function;
    }
}

class Operation : public ExprNode {
public:
    Operation(Op op, ValueType valueType, std::vector<NodePtr> arguments) : ExprNode(kindOf(op), valueType), op_(op)
    {
        args = std::move(arguments);
        for (auto& a : args)
            raw_[&a - &args[0]] = a.get();
    }

protected:
    const ExprNode* arg(int i) const { return raw_[i]; }
    double numArg(int i, const EvalContext& ctx, double missing) const
    {
        return i < int(args.size()) ? raw_[i]->number(ctx) : missing;
    }
    Op op_;
    const ExprNode* raw_[3] = {nullptr, nullptr, nullptr};
};

class TextOperation final : public Operation {
public:
    TextOperation(Op op, std::vector<NodePtr> arguments, size_t capacity)
        : Operation(op, ValueType::Character, std::move(arguments)), buffer_(capacity)
    {
    }

    std::string_view text(const EvalContext& ctx) const override
    {
        switch (op_) {
        case Op::Upper:
        case Op::Lower: {
            const std::string_view s = arg(0)->text(ctx);
            char* out = buffer_.get(s.size());
            if (op_ == Op::Upper)
                mapCase<'a'>(s.data(), out, s.size());
            else
                mapCase<'A'>(s.data(), out, s.size());
            return {out, s.size()};
        }
        case Op::Trim:
        case Op::LTrim:
        case Op::AllTrim: {
            std::string_view s = arg(0)->text(ctx);
            if (op_ != Op::LTrim)
                while (!s.empty() && s.back() == ' ')
                    s.remove_suffix(1);
            if (op_ != Op::Trim)
                while (!s.empty() && s.front() == ' ')
                    s.remove_prefix(1);
            return s;
        }
        case Op::Substr: {
            const std::string_view s = arg(0)->text(ctx);
            const int64_t start = toCount(arg(1)->number(ctx));
            const int64_t length = toCount(numArg(2, ctx, double(s.size())));
            if (start < 1 || start > int64_t(s.size()) || length <= 0)
                return {};
            return s.substr(size_t(start - 1), size_t(std::min<int64_t>(length, int64_t(s.size()) - start + 1)));
        }
        case Op::Left:
        case Op::Right: {
            const std::string_view s = arg(0)->text(ctx);
            const int64_t n = std::clamp<int64_t>(toCount(arg(1)->number(ctx)), 0, int64_t(s.size()));
            return op_ == Op::Left ? s.substr(0, size_t(n)) : s.substr(s.size() - size_t(n));
        }
        case Op::Str: return formatStr(ctx);
        case Op::Dtos: {
            int y, m, d;
            calendarDate(int32_t(arg(0)->number(ctx)), y, m, d);
            char* out = buffer_.get(8);
            if (y == 0) {
                std::memset(out, ' ', 8);
            } else {
                for (int i = 3; i >= 0; --i, y /= 10) out[i] = char('0' + y % 10);
                out[4] = char('0' + m / 10);
                out[5] = char('0' + m % 10);
                out[6] = char('0' + d / 10);
                out[7] = char('0' + d % 10);
            }
            return {out, 8};
        }
        case Op::Concat:
        case Op::ConcatMoveBlanks: {
            std::string_view a = arg(0)->text(ctx);
            const std::string_view b = arg(1)->text(ctx);
            char* out = buffer_.get(a.size() + b.size());
            size_t blanks = 0;
            if (op_ == Op::ConcatMoveBlanks)
                while (blanks < a.size() && a[a.size() - 1 - blanks] == ' ')
                    ++blanks;
            a.remove_suffix(blanks);
            copyBytes(out, a);
            copyBytes(out + a.size(), b);
            std::memset(out + a.size() + b.size(), ' ', blanks);
            return {out, a.size() + b.size() + blanks};
        }
        default: return {};
        }
    }

private:
    // STR(n, length, decimals) as FoxPro: right aligned, decimals given up
    // before the integer part, and asterisks when even that does not fit.
    std::string_view formatStr(const EvalContext& ctx) const
    {
        const double v = arg(0)->number(ctx);
        const int length = int(std::clamp<int64_t>(toCount(numArg(1, ctx, 10)), 0, 255));
        const int decimals = int(std::clamp<int64_t>(toCount(numArg(2, ctx, 0)), 0, 18));
        char* out = buffer_.get(size_t(length));
        if (std::isfinite(v) && std::fabs(v) < 1e300) {
            char digits[400];
            for (int d = std::min(decimals, std::max(length - 2, 0)); d >= 0; --d) {
                double r = roundHalfAway(v, d);
                if (r == 0)
                    r = 0;  // no "-0"
                const auto res = std::to_chars(digits, digits + sizeof digits, r, std::chars_format::fixed, d);
                const int size = int(res.ptr - digits);
                if (res.ec == std::errc() && size <= length) {
                    std::memset(out, ' ', size_t(length - size));
                    std::memcpy(out + (length - size), digits, size_t(size));
                    return {out, size_t(length)};
                }
            }
        }
        std::memset(out, '*', size_t(length));
        return {out, size_t(length)};
    }

    Scratch buffer_;
};

class NumberOperation final : public Operation {
public:
    using Operation::Operation;

    double number(const EvalContext& ctx) const override
    {
        switch (op_) {
        case Op::Len: return double(arg(0)->text(ctx).size());
        case Op::At: {
            const std::string_view needle = arg(0)->text(ctx);
            if (needle.empty())
                return 0;
            const size_t at = arg(1)->text(ctx).find(needle);
            return at == std::string_view::npos ? 0 : double(at + 1);
        }
        case Op::Val: return parseNumberText(arg(0)->text(ctx));
        case Op::Recno: return double(ctx.source->recordNumber());
        case Op::Add: return arg(0)->number(ctx) + arg(1)->number(ctx);
        case Op::Sub: return arg(0)->number(ctx) - arg(1)->number(ctx);
        case Op::Mul: return arg(0)->number(ctx) * arg(1)->number(ctx);
        case Op::Div: return arg(0)->number(ctx) / arg(1)->number(ctx);
        case Op::Mod: {
            // As FoxPro's MOD(): the result takes the sign of the divisor.
            const double a = arg(0)->number(ctx), b = arg(1)->number(ctx);
            const double r = std::fmod(a, b);
            return (r != 0 && ((r < 0) != (b < 0))) ? r + b : r;
        }
        case Op::Negate: return -arg(0)->number(ctx);
        case Op::DateDiff: {
            // An empty date has no distance to anything.
            const double a = arg(0)->number(ctx), b = arg(1)->number(ctx);
            return (a == 0 || b == 0) ? 0 : a - b;
        }
        case Op::Year:
        case Op::Month:
        case Op::Day: {
            int y, m, d;
            calendarDate(int32_t(arg(0)->number(ctx)), y, m, d);
            return op_ == Op::Year ? y : op_ == Op::Month ? m : d;
        }
        case Op::Int: return std::trunc(arg(0)->number(ctx));
        case Op::Abs: return std::fabs(arg(0)->number(ctx));
        case Op::Round: {
            const double v = arg(0)->number(ctx);
            const int decimals = int(std::clamp<int64_t>(toCount(arg(1)->number(ctx)), -15, 15));
            return roundHalfAway(v, decimals);
        }
        default: return 0;
        }
    }
};

double parseAmericanDate(std::string_view s)
{
    // mm/dd/yy or mm/dd/yyyy, any non-digit separating; two-digit years are of the 1900s.
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int k = 0;
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    for (; i < s.size() && k < 3; ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            if (++digits[k] > 4)
                return 0;
            parts[k] = parts[k] * 10 + (c - '0');
        } else if (c == ' ' && k == 2) {
            break;
        } else if (digits[k] > 0) {
            ++k;
        } else {
            return 0;
        }
    }
    if (digits[0] == 0 || digits[1] == 0 || digits[2] == 0)
        return 0;
    const int year = digits[2] <= 2 ? 1900 + parts[2] : parts[2];
    return julianDay(year, parts[0], parts[1]);
}

class DateOperation final : public Operation {
public:
    DateOperation(Op op, std::vector<NodePtr> arguments) : Operation(op, ValueType::Date, std::move(arguments))
    {
        if (op == Op::Today)
            pure = false;
    }

    double number(const EvalContext& ctx) const override
    {
        switch (op_) {
        case Op::Ctod: return parseAmericanDate(arg(0)->text(ctx));
        case Op::Today: {
            const std::time_t now = std::time(nullptr);
            std::tm local{};
            localtime_r(&now, &local);
            return julianDay(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        }
        case Op::DatePlus:
        case Op::DateMinus: {
            const double date = arg(0)->number(ctx);
            if (date == 0)
                return 0;
            const double days = std::trunc(arg(1)->number(ctx));
            const double r = op_ == Op::DatePlus ? date + days : date - days;
            return (r >= 1 && r <= kLastJulian) ? r : 0;
        }
        default: return 0;
        }
    }
};

class LogicalOperation final : public Operation {
public:
    LogicalOperation(Op op, std::vector<NodePtr> arguments) : Operation(op, ValueType::Logical, std::move(arguments))
    {
        if (op == Op::Deleted)
            pure = false;
    }

    bool logical(const EvalContext& ctx) const override
    {
        switch (op_) {
        case Op::Deleted: return ctx.record[0] == '*';
        case Op::Empty:
            switch (arg(0)->type) {
            case ValueType::Character: return isBlankText(arg(0)->text(ctx));
            case ValueType::Logical: return !arg(0)->logical(ctx);
            default: return arg(0)->number(ctx) == 0;
            }
        case Op::Contains: {
            const std::string_view needle = arg(0)->text(ctx);
            return !needle.empty() && arg(1)->text(ctx).find(needle) != std::string_view::npos;
        }
        default: return false;
        }
    }
};

class IifNode final : public Operation {
public:
    using Operation::Operation;
    std::string_view text(const EvalContext& ctx) const override { return pick(ctx)->text(ctx); }
    double number(const EvalContext& ctx) const override { return pick(ctx)->number(ctx); }
    bool logical(const EvalContext& ctx) const override { return pick(ctx)->logical(ctx); }

private:
    const ExprNode* pick(const EvalContext& ctx) const { return arg(0)->logical(ctx) ? arg(1) : arg(2); }
};

class CompareNode final : public ExprNode {
public:
    CompareNode(CompareOp op, NodePtr left, NodePtr right) : ExprNode(Kind::Compare, ValueType::Logical)
    {
        compareOp = op;
        width = 1;
        left_ = left.get();
        right_ = right.get();
        args.push_back(std::move(left));
        args.push_back(std::move(right));
    }

    bool logical(const EvalContext& ctx) const override
    {
        switch (left_->type) {
        case ValueType::Character: return compareText(left_->text(ctx), right_->text(ctx));
        case ValueType::Logical: return orderHolds(compareOp, compareValues(left_->logical(ctx), right_->logical(ctx)));
        default: {
            const double a = left_->number(ctx), b = right_->number(ctx);
            return orderHolds(compareOp, compareValues(a, b));
        }
        }
    }

private:
    bool compareText(std::string_view a, std::string_view b) const
    {
        switch (compareOp) {
        case CompareOp::ExactEqual: return a == b;
        case CompareOp::Equal: return textEqual(a, b);
        case CompareOp::NotEqual: return !textEqual(a, b);
        default: return orderHolds(compareOp, comparePadded(a, b));
        }
    }
    // SET EXACT is read here, not at compile time, so a change applies to
    // expressions already compiled.
    static bool textEqual(std::string_view a, std::string_view b)
    {
        if (!engineSettings().exact)
            return a.starts_with(b);
        return comparePadded(a, b) == 0;
    }

    const ExprNode* left_;
    const ExprNode* right_;
};

class JunctionNode final : public ExprNode {
public:
    JunctionNode(Kind junction, NodePtr left, NodePtr right) : ExprNode(junction, ValueType::Logical)
    {
        width = 1;
        left_ = left.get();
        right_ = right.get();
        args.push_back(std::move(left));
        args.push_back(std::move(right));
    }
    bool logical(const EvalContext& ctx) const override
    {
        return kind == Kind::And ? (left_->logical(ctx) && right_->logical(ctx))
                                 : (left_->logical(ctx) || right_->logical(ctx));
    }

private:
    const ExprNode* left_;
    const ExprNode* right_;
};

class NotNode final : public ExprNode {
public:
    explicit NotNode(NodePtr operand) : ExprNode(Kind::Not, ValueType::Logical)
    {
        width = 1;
        operand_ = operand.get();
        args.push_back(std::move(operand));
    }
    bool logical(const EvalContext& ctx) const override { return !operand_->logical(ctx); }

private:
    const ExprNode* operand_;
};

} // namespace

// ---- factories --------------------------------------------------------------

NodePtr makeTextLiteral(std::string value) { return std::make_unique<TextLiteral>(std::move(value)); }
NodePtr makeNumberLiteral(double value) { return std::make_unique<NumberLiteral>(ValueType::Numeric, value); }
NodePtr makeDateLiteral(double julian) { return std::make_unique<NumberLiteral>(ValueType::Date, julian); }
NodePtr makeLogicalLiteral(bool value) { return std::make_unique<LogicalLiteral>(value); }

NodePtr makeField(const Field& f, int index)
{
    switch (f.type) {
    case 'C': return std::make_unique<CharField>(f, index);
    case 'M': return std::make_unique<MemoField>(f, index);
    case 'N':
    case 'F':
    case 'I':
    case 'B':
    case 'Y': return std::make_unique<NumericField>(f, index);
    case 'D': return std::make_unique<DateField>(f, index);
    case 'L': return std::make_unique<LogicalField>(f, index);
    default: return nullptr;
    }
}

NodePtr makeOperation(Op op, ValueType resultType, std::vector<NodePtr> args, int width)
{
    NodePtr node;
    if (op == Op::Iif)
        node = std::make_unique<IifNode>(op, resultType, std::move(args));
    else if (resultType == ValueType::Character)
        node = std::make_unique<TextOperation>(op, std::move(args), size_t(std::max(width, 0)));
    else if (resultType == ValueType::Logical)
        node = std::make_unique<LogicalOperation>(op, std::move(args));
    else if (resultType == ValueType::Date)
        node = std::make_unique<DateOperation>(op, std::move(args));
    else
        node = std::make_unique<NumberOperation>(op, resultType, std::move(args));
    if (op == Op::Recno)
        node->pure = false;
    node->width = resultType == ValueType::Character ? width : resultType == ValueType::Logical ? 1 : 8;
    return node;
}

NodePtr makeCompare(CompareOp op, NodePtr left, NodePtr right)
{
    return std::make_unique<CompareNode>(op, std::move(left), std::move(right));
}
NodePtr makeAnd(NodePtr left, NodePtr right)
{
    return std::make_unique<JunctionNode>(ExprNode::Kind::And, std::move(left), std::move(right));
}
NodePtr makeOr(NodePtr left, NodePtr right)
{
    return std::make_unique<JunctionNode>(ExprNode::Kind::Or, std::move(left), std::move(right));
}
NodePtr makeNot(NodePtr operand) { return std::make_unique<NotNode>(std::move(operand)); }

NodePtr foldConstant(const ExprNode& node)
{
    const EvalContext none;
    NodePtr folded;
    switch (node.type) {
    case ValueType::Character: folded = makeTextLiteral(std::string(node.text(none))); break;
    case ValueType::Numeric: folded = makeNumberLiteral(node.number(none)); break;
    case ValueType::Date: folded = makeDateLiteral(node.number(none)); break;
    case ValueType::Logical: folded = makeLogicalLiteral(node.logical(none)); break;
    }
    folded->width = node.width;
    folded->canonical = node.canonical;
    folded->precedence = node.precedence;
    return folded;
}

} // namespace qb::xbase
