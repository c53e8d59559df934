#include "platform/xbase/error.h"
#include "platform/xbase/expression.h"
#include "platform/xbase/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace qb::xbase;

namespace {

// A one-record table over a hand-made buffer.
class TestRecord final : public RecordSource {
public:
    TestRecord()
    {
        add("LNAME", 'C', 12);
        add("FNAME", 'C', 8);
        add("STATE", 'C', 4);
        add("AMOUNT", 'N', 8, 2);
        add("QTY", 'N', 4);
        add("ISDEL", 'L', 1);
        add("BORN", 'D', 8);
        add("NOTES", 'M', 10);
        buffer.assign(next_, ' ');
        set("LNAME", "de la Cruz");
        set("FNAME", "Ann");
        set("STATE", "ca");
        set("AMOUNT", "  -12.50");
        set("QTY", "   7");
        set("ISDEL", "T");
        set("BORN", "19991231");
    }

    void set(std::string_view name, std::string_view value)
    {
        const Field& f = fields_[size_t(fieldIndex(name))];
        std::memset(&buffer[f.offset], ' ', f.length);
        std::memcpy(&buffer[f.offset], value.data(), std::min<size_t>(value.size(), f.length));
    }

    int fieldCount() const override { return int(fields_.size()); }
    const Field& field(int index) const override { return fields_[size_t(index)]; }
    int fieldIndex(std::string_view name) const override
    {
        for (size_t i = 0; i < fields_.size(); ++i)
            if (equalsUpper(name, fields_[i].name))
                return int(i);
        return -1;
    }
    const char* recordBuffer() const override { return buffer.data(); }
    uint32_t recordNumber() const override { return recno; }
    std::string memoBytes(int) const override { return memo; }

    std::string buffer;
    uint32_t recno = 7;
    std::string memo = "note text";

private:
    static bool equalsUpper(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if ((a[i] >= 'a' && a[i] <= 'z' ? char(a[i] - 32) : a[i]) != b[i])
                return false;
        return true;
    }
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
    uint32_t next_ = 1;  // byte 0 is the deleted mark
};

class ExactSetting {
public:
    explicit ExactSetting(bool on) : saved_(engineSettings().exact) { engineSettings().exact = on; }
    ~ExactSetting() { engineSettings().exact = saved_; }

private:
    bool saved_;
};

std::string describe(const QueryNode& q)
{
    auto list = [&](const char* name) {
        std::string s = std::string(name) + "(";
        for (size_t i = 0; i < q.children.size(); ++i)
            s += (i ? "," : "") + describe(q.children[i]);
        return s + ")";
    };
    static const char* ops[] = {"=", "==", "<>", "<", "<=", ">", ">="};
    switch (q.kind) {
    case QueryNode::Kind::And: return list("AND");
    case QueryNode::Kind::Or: return list("OR");
    case QueryNode::Kind::Not: return list("NOT");
    case QueryNode::Kind::Bool: return "BOOL " + q.canonical;
    case QueryNode::Kind::Opaque: return "OPAQUE";
    case QueryNode::Kind::Compare: {
        std::string value;
        switch (q.constant.type) {
        case ValueType::Character: value = "'" + q.constant.text + "'"; break;
        case ValueType::Logical: value = q.constant.logical ? ".T." : ".F."; break;
        default: value = std::to_string(int64_t(q.constant.number)); break;
        }
        return "CMP " + q.canonical + ops[int(q.op)] + std::string(1, char(q.constant.type)) + ":" + value;
    }
    }
    return "?";
}

TEST(Expression, TextResultsAndWidths)
{
    struct Case {
        const char* expr;
        std::string text;
        int width;
    } cases[] = {
        {"UPPER(LNAME)", "DE LA CRUZ  ", 12},
        {"upper( lname )+Upper(fname)", "DE LA CRUZ  ANN     ", 20},
        {"LNAME-FNAME", "de la CruzAnn       ", 20},
        {"TRIM(LNAME)", "de la Cruz", 12},
        {"ALLTRIM('  x  ')", "x", 5},
        {"LTRIM(' a ')", "a ", 3},
        {"SUBSTR(LNAME,4,2)", "la", 2},
        {"SUBSTR(LNAME,11)", "  ", 2},
        {"SUBS(LNAME,4,100)", "la Cruz  ", 9},
        {"SUBSTR(LNAME,0,3)", "", 0},
        {"SUBSTR(LNAME,QTY,3)", "Cru", 3},
        {"LEFT(FNAME,2)", "An", 2},
        {"RIGHT(LNAME,4)", "uz  ", 4},
        {"LEFT(FNAME,QTY)", "Ann    ", 8},
        {"STR(AMOUNT,8,2)", "  -12.50", 8},
        {"STR(QTY)", "         7", 10},
        {"STR(2.5)", "         3", 10},
        {"STR(-0.4)", "         0", 10},
        {"STR(12345,3)", "***", 3},
        {"STR(3.14159,4,2)", "3.14", 4},
        {"STR(3.14159,3,2)", "3.1", 3},
        {"DTOS(BORN)", "19991231", 8},
        {"DTOS(BORN+1)", "20000101", 8},
        {"DTOS(CTOD('02/29/2000'))", "20000229", 8},
        {"DTOS(CTOD('02/30/2000'))", "        ", 8},
        {"DTOS(CTOD('12/31/99'))", "19991231", 8},
        {"IIF(ISDEL,'yes','no')", "yes", 3},
        {"LOWER('\xC4" "BC')+UPPER('\xe9z')", "\xC4" "bc\xe9Z", 5},
        {"[it's]+'say \"hi\"'", "it'ssay \"hi\"", 12},
        {"UPPER(NOTES)", "NOTE TEXT", 10},
    };
    const TestRecord rec;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expr);
        const Expression e = Expression::compile(c.expr, rec);
        ASSERT_EQ(e.type(), ValueType::Character);
        EXPECT_EQ(e.evalText(rec), c.text);
        EXPECT_EQ(e.width(), c.width);
    }
}

TEST(Expression, NumbersAndDates)
{
    struct Case {
        const char* expr;
        double value;
    } cases[] = {
        {"AMOUNT*2", -25},        {"QTY%3", 1},           {"-7%3", 2},          {"7%-3", -2},
        {"LEN(LNAME)", 12},       {"LEN(TRIM(LNAME))", 10}, {"AT('Cruz',LNAME)", 7}, {"AT('',LNAME)", 0},
        {"VAL(' -3.5x')", -3.5},  {"VAL('abc')", 0},      {"RECNO()", 7},       {"YEAR(BORN)", 1999},
        {"BORN-CTOD('12/01/1999')", 30}, {"1+2*3", 7},   {"(1+2)*3", 9},       {"-2*-3", 6},
        {"10-4-3", 3},            {"ROUND(-2.5,0)", -3},  {"INT(-2.7)", -2},    {".5+1.", 1.5},
        {"BORN", double(julianDay(1999, 12, 31))}, {"CTOD('')", 0},
    };
    const TestRecord rec;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expr);
        EXPECT_DOUBLE_EQ(Expression::compile(c.expr, rec).evalNumber(rec), c.value);
    }
}

// Compiled once, evaluated under both SET EXACT settings: the setting is read
// when evaluating, not when compiling.
TEST(Expression, LogicalResultsUnderBothExactSettings)
{
    struct Case {
        const char* expr;
        bool exactOff;
        bool exactOn;
    } cases[] = {
        {"UPPER(STATE)='CA'", true, true},
        {"STATE='c'", true, false},
        {"'c'=STATE", false, false},
        {"STATE=''", true, false},
        {"STATE=='ca'", false, false},
        {"TRIM(STATE)=='ca'", true, true},
        {"'ab'='ab '", false, true},
        {"'ab '='ab'", true, true},
        {"'  '=''", true, true},
        {"''='   '", false, true},
        {"STATE<>'c'", false, true},
        {"STATE#'ca' .or. STATE!='ca'", false, false},
        {"LNAME>'de'", true, true},
        {"'ab'<'ab '", false, false},
        {"'ab'<='ab '", true, true},
        {"'\xe9'>'z'", true, true},
        {"'VIP'$'xVIPx'", true, true},
        {"''$'abc'", false, false},
        {"'cruz'$LNAME", false, false},
        {".NOT. 1=2", true, true},
        {".T. .OR. .T. .AND. .F.", true, true},
        {"not isdel or isdel and .f.", false, false},
        {"ISDEL .and. !ISDEL", false, false},
        {"DELETED()", false, false},
        {"EMPTY(QTY) .or. EMPTY(LNAME)", false, false},
        {"EMPTY('  ') .and. EMPTY(CTOD('')) .and. EMPTY(.F.) .and. EMPTY(0)", true, true},
        {"BORN<CTOD('01/01/2000')", true, true},
        {"1+BORN=CTOD('01/01/2000')", true, true},
        {".Y. and .t. and ISDEL=.T. and .F.<.T.", true, true},
        {"IIF(QTY>5,.T.,.F.)", true, true},
        {"QTY=7.0 .and. AMOUNT<-12.49", true, true},
    };
    const TestRecord rec;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expr);
        const Expression e = Expression::compile(c.expr, rec);
        {
            ExactSetting exact(false);
            EXPECT_EQ(e.evalLogical(rec), c.exactOff);
        }
        {
            ExactSetting exact(true);
            EXPECT_EQ(e.evalLogical(rec), c.exactOn);
        }
    }
}

// UPPER and LOWER work on eight bytes at once; every byte value, in both the
// word-wide part and the tail, must map exactly as the one-byte rule does.
TEST(Expression, CaseMappingTouchesAsciiLettersOnly)
{
    TestRecord rec;
    const Expression upper = Expression::compile("UPPER(LNAME)", rec);
    const Expression lower = Expression::compile("LOWER(LNAME)", rec);
    for (int b = 0; b < 256; ++b) {
        std::string value(12, char(b));
        value[3] = 'q';  // a letter next to the byte under test
        value[10] = 'Q';
        rec.set("LNAME", value);
        std::string up = value, down = value;
        for (char& c : up)
            c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
        for (char& c : down)
            c = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
        ASSERT_EQ(upper.evalText(rec), up) << b;
        ASSERT_EQ(lower.evalText(rec), down) << b;
    }
}

TEST(Expression, ReadsTheCurrentRecordOnEveryEvaluation)
{
    TestRecord rec;
    const Expression filter = Expression::compile("DELETED() .and. RECNO()=3 .and. UPPER(STATE)='NY'", rec);
    const Expression key = Expression::compile("UPPER(NOTES)", rec);
    EXPECT_FALSE(filter.evalLogical(rec));
    rec.buffer[0] = '*';
    rec.recno = 3;
    rec.set("STATE", "ny");
    EXPECT_TRUE(filter.evalLogical(rec));
    EXPECT_EQ(key.evalText(rec), "NOTE TEXT");
    rec.memo = std::string(300, 'm');  // a memo longer than the key width
    EXPECT_EQ(key.evalText(rec), std::string(300, 'M'));
}

TEST(Expression, IndexKeys)
{
    auto numeric = [](double v) {
        std::string s(8, '\0');
        encodeNumericKey(v, reinterpret_cast<uint8_t*>(s.data()));
        return s;
    };
    struct Case {
        const char* expr;
        std::string key;
    } cases[] = {
        {"UPPER(LNAME)+UPPER(FNAME)", "DE LA CRUZ  ANN     "},
        {"TRIM(FNAME)", "Ann     "},
        {"IIF(ISDEL,'yes','longer')", "yes   "},
        {"LEFT(FNAME,QTY)+'|'", "Ann    | "},
        {"QTY", numeric(7)},
        {"BORN", numeric(julianDay(1999, 12, 31))},
        {"CTOD('')", numeric(0)},
        {"ISDEL", "T"},
        {"!ISDEL", "F"},
    };
    const TestRecord rec;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expr);
        const Expression e = Expression::compile(c.expr, rec);
        ASSERT_EQ(e.width(), int(c.key.size()));
        std::string out(c.key.size() + 1, '#');
        e.evalKey(rec, reinterpret_cast<uint8_t*>(out.data()));
        EXPECT_EQ(out, c.key + "#");
    }
}

TEST(Expression, NumericKeysSortAsNumbers)
{
    const double ordered[] = {-1e300, -5.5, -1, -1e-300, 0, 1e-300, 1, 2.5, 1e300};
    std::string previous;
    for (double v : ordered) {
        uint8_t key[8];
        encodeNumericKey(v, key);
        const std::string current(reinterpret_cast<char*>(key), 8);
        EXPECT_LT(previous, current) << v;
        EXPECT_EQ(decodeNumericKey(key), v);
        previous = current;
    }
    uint8_t zero[8], negativeZero[8], one[8];
    encodeNumericKey(0.0, zero);
    encodeNumericKey(-0.0, negativeZero);
    encodeNumericKey(1.0, one);
    EXPECT_EQ(std::memcmp(zero, negativeZero, 8), 0);
    const uint8_t expectedOne[8] = {0xBF, 0xF0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(one, expectedOne, 8), 0);
}

TEST(Expression, JulianDays)
{
    EXPECT_EQ(julianDay(2000, 1, 1), 2451545);
    EXPECT_EQ(julianDay(1970, 1, 1), 2440588);
    EXPECT_EQ(julianDay(1582, 10, 15), 2299161);
    EXPECT_EQ(julianDay(1999, 2, 29), 0);
    EXPECT_EQ(julianDay(2000, 13, 1), 0);
    int y, m, d;
    calendarDate(0, y, m, d);
    EXPECT_EQ(y + m + d, 0);
    for (int32_t j = julianDay(1, 1, 1); j <= julianDay(9999, 12, 31); j += 997) {
        calendarDate(j, y, m, d);
        ASSERT_EQ(julianDay(y, m, d), j);
    }
}

TEST(Expression, ErrorsNameProblemAndPosition)
{
    struct Case {
        std::string expr;
        std::string problem;
        int position;
    } cases[] = {
        {"FOO", "Unknown field FOO", 0},
        {"UPPER(foo)", "Unknown field FOO", 6},
        {"BOGUS(LNAME)", "Unknown function BOGUS", 0},
        {"SUBSTR(LNAME)", "Wrong number of arguments to SUBSTR()", 0},
        {"DATE(1)", "Wrong number of arguments to DATE()", 0},
        {"UPPER(QTY)", "Type mismatch in argument 1 of UPPER()", 6},
        {"IIF(ISDEL,1,'a')", "Type mismatch in argument 3 of IIF()", 12},
        {"LNAME+QTY", "Type mismatch", 5},
        {"STATE=1", "Type mismatch", 5},
        {"ISDEL .AND. 1", "Type mismatch: Logical expected", 6},
        {"(LNAME", "Unbalanced parenthesis", 0},
        {"UPPER(LNAME", "Unbalanced parenthesis", 5},
        {"LNAME)", "Unbalanced parenthesis", 5},
        {"'abc", "Unterminated string", 0},
        {"[abc", "Unterminated string", 0},
        {"LNAME ? 1", "Unexpected character '?'", 6},
        {"LNAME.X", "Unexpected character '.'", 5},
        {"LNAME+", "Unexpected end of expression", 6},
        {"", "Unexpected end of expression", 0},
        {"LNAME FNAME", "Unexpected name FNAME", 6},
        {std::string(256, 'x'), "Expression too long", 255},
        {std::string(100, '(') + "1" + std::string(100, ')'), "Expression too deeply nested", 64},
        {std::string(200, '-') + "1", "Expression too deeply nested", 64},
        {std::string(100, '!') + "ISDEL", "Expression too deeply nested", 64},
    };
    const TestRecord rec;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expr);
        try {
            Expression::compile(c.expr, rec);
            ADD_FAILURE() << "compiled";
        } catch (const ExprError& e) {
            EXPECT_EQ(e.problem(), c.problem);
            EXPECT_EQ(e.position(), c.position);
        }
    }
}

TEST(Expression, ResultOfTheWrongTypeIsAnError)
{
    const TestRecord rec;
    const Expression text = Expression::compile("LNAME", rec);
    EXPECT_THROW(text.evalLogical(rec), XbaseError);
    EXPECT_THROW(text.evalNumber(rec), XbaseError);
    EXPECT_THROW(text.queryPlan(), XbaseError);
    EXPECT_THROW(Expression::compile("QTY", rec).evalText(rec), XbaseError);
}

TEST(Expression, CanonicalTextIsOneSpellingAndCompilesToItself)
{
    struct Case {
        const char* expr;
        const char* canonical;
    } cases[] = {
        {"upper( lname )+ Upper(fname)", "UPPER(LNAME)+UPPER(FNAME)"},
        {"subs(lname,1,3)", "SUBSTR(LNAME,1,3)"},
        {"!isdel and state = 'CA'", ".NOT.ISDEL.AND.STATE=\"CA\""},
        {"(state # [x]) or (qty != 1)", "STATE<>\"x\".OR.QTY<>1"},
        {"'say \"hi\"'$lname", "'say \"hi\"'$LNAME"},
        {"[a\"b'c]==LNAME", "[a\"b'c]==LNAME"},
        {"QTY-(QTY-1)", "QTY-(QTY-1)"},
        {"((QTY-QTY))-1", "QTY-QTY-1"},
        {".not.(isdel .or. isdel)", ".NOT.(ISDEL.OR.ISDEL)"},
        {"-(-qty)", "--QTY"},
        {"(1+2)*3 > qty", "(1+2)*3>QTY"},
        {"isdel = !isdel", "ISDEL=(.NOT.ISDEL)"},
        {".y. .or. .N.", ".T..OR..F."},
    };
    const TestRecord rec;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expr);
        const Expression e = Expression::compile(c.expr, rec);
        EXPECT_EQ(e.canonical(), c.canonical);
        EXPECT_EQ(Expression::compile(e.canonical(), rec).canonical(), c.canonical);
    }
}

TEST(Expression, QueryPlans)
{
    struct Case {
        const char* expr;
        const char* plan;
    } cases[] = {
        {"UPPER(STATE)=\"CA\" .and. !ISDEL", "AND(CMP UPPER(STATE)=C:'CA',NOT(BOOL ISDEL))"},
        {"'CA'=UPPER(STATE)", "OPAQUE"},
        {"'CA'<>STATE", "OPAQUE"},
        {"'CA'==UPPER(STATE)", "CMP UPPER(STATE)==C:'CA'"},
        {"'M'<=LNAME", "CMP LNAME>=C:'M'"},
        {"5<QTY", "CMP QTY>N:5"},
        {"QTY>=2+3", "CMP QTY>=N:5"},
        {"UPPER('ca')==STATE", "CMP STATE==C:'CA'"},
        {"ISDEL=.T.", "CMP ISDEL=L:.T."},
        {"BORN>CTOD('01/01/2000')", "CMP BORN>D:2451545"},
        {"ISDEL .and. (QTY=1 .and. QTY=2) .and. DELETED()",
         "AND(BOOL ISDEL,CMP QTY=N:1,CMP QTY=N:2,BOOL DELETED())"},
        {"DELETED() .or. (ISDEL .or. EMPTY(STATE))", "OR(BOOL DELETED(),BOOL ISDEL,BOOL EMPTY(STATE))"},
        {"ISDEL .or. (QTY=1 .and. QTY=2)", "OR(BOOL ISDEL,AND(CMP QTY=N:1,CMP QTY=N:2))"},
        {"LNAME=FNAME", "OPAQUE"},
        {"'a'$LNAME", "OPAQUE"},
        {"'a'='a'", "OPAQUE"},
    };
    const TestRecord rec;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expr);
        EXPECT_EQ(describe(Expression::compile(c.expr, rec).queryPlan()), c.plan);
    }
}

// The fuzz entry point over tricky inputs and random mutations of real ones;
// it aborts on a broken invariant, so passing means no crash and no abort.
TEST(Expression, SurvivesMalformedInput)
{
    std::vector<std::string> inputs = {
        "SUBSTR(NAME,-1e300,1e300)", "STR(AMOUNT,1e308,-5)", "STR(1e300,255,18)", "BORN+1e300",
        "DTOS(BORN-9999999)", "LEFT(NOTES,-1)+RIGHT(NOTES,1e9)", "VAL(NAME)/0%0", "CTOD('99/99/99999')",
        "IIF(FLAG,NOTES,NAME)-NOTES", "1.", ".", "..AND.", "[", "\"", std::string("\0\xff(", 3),
        "UPPER(NAME)+UPPER(NAME)+UPPER(NAME)", "AT(NAME,NOTES)+LEN(NOTES)", "MOD(-1,0)", "ROUND(1e300,15)",
    };
    const std::string alphabet = "()+-*/%=<>#!$.,'\"[] 0123456789ANDORNOTSUBSTRUPPERNAMEAMOUNTFLAGBORNNOTES";
    std::mt19937 random(12345);
    const std::vector<std::string> seeds(inputs.begin(), inputs.end());
    for (int i = 0; i < 20000; ++i) {
        std::string s = seeds[random() % seeds.size()];
        for (int k = int(random() % 4); k >= 0; --k) {
            const size_t at = s.empty() ? 0 : random() % (s.size() + 1);
            if (random() % 2 && !s.empty() && at < s.size())
                s.erase(at, 1);
            else
                s.insert(at, 1, alphabet[random() % alphabet.size()]);
        }
        inputs.push_back(s);
    }
    for (const auto& s : inputs)
        fuzzExpression(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

} // namespace
