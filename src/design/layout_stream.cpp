#include "design/layout_stream.h"

#include "platform/xbase/codepage.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace qb::design {

LayoutError::LayoutError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}

QString cp1252ToQString(const QByteArray& bytes)
{
    return QString::fromStdString(xbase::cp1252ToUtf8(std::string_view(bytes.constData(), size_t(bytes.size()))));
}

QByteArray qStringToCp1252(const QString& s)
{
    return QByteArray::fromStdString(xbase::utf8ToCp1252(s.toStdString()));
}

// ---- values ----------------------------------------------------------------

LayoutValue LayoutValue::ofInteger(int32_t v)
{
    LayoutValue out;
    out.tag = v >= -128 && v <= 127 ? ValueTag::Int8 : v >= -32768 && v <= 32767 ? ValueTag::Int16 : ValueTag::Int32;
    out.integer = v;
    return out;
}

LayoutValue LayoutValue::ofReal(double v)
{
    LayoutValue out;
    out.tag = ValueTag::Extended;
    out.real = v;
    return out;
}

LayoutValue LayoutValue::ofString(const QString& s)
{
    LayoutValue out;
    out.tag = qStringToCp1252(s).size() < 256 ? ValueTag::String : ValueTag::LString;
    out.text = s;
    return out;
}

LayoutValue LayoutValue::ofIdent(const QString& s)
{
    LayoutValue out;
    if (s.compare(QLatin1String("nil"), Qt::CaseInsensitive) == 0) {
        out.tag = ValueTag::Nil;
        return out;
    }
    out.tag = ValueTag::Ident;
    out.text = s;
    return out;
}

LayoutValue LayoutValue::ofBool(bool b)
{
    LayoutValue out;
    out.tag = b ? ValueTag::True : ValueTag::False;
    return out;
}

LayoutValue LayoutValue::ofBinary(const QByteArray& b)
{
    LayoutValue out;
    out.tag = ValueTag::Binary;
    out.binary = b;
    return out;
}

LayoutValue LayoutValue::ofSet(const QStringList& members)
{
    LayoutValue out;
    out.tag = ValueTag::Set;
    out.members = members;
    return out;
}

LayoutValue LayoutValue::ofList(std::vector<LayoutValue> values)
{
    LayoutValue out;
    out.tag = ValueTag::List;
    out.list = std::move(values);
    return out;
}

// ---- 80-bit reals ------------------------------------------------------------

void doubleToExtended(double value, uint8_t out[10])
{
    uint64_t mantissa = 0;
    uint16_t exponent = 0;
    const bool negative = std::signbit(value);
    if (std::isnan(value)) {
        exponent = 0x7FFF;
        mantissa = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        exponent = 0x7FFF;
        mantissa = 0x8000000000000000ull;
    } else if (value != 0) {
        int e = 0;
        const double f = std::frexp(std::fabs(value), &e);   // f in [0.5, 1): exact in 53 bits
        mantissa = uint64_t(std::ldexp(f, 64));
        exponent = uint16_t(e - 1 + 16383);                 // doubles' subnormals are normal here
    }
    for (int i = 0; i < 8; ++i)
        out[i] = uint8_t(mantissa >> (8 * i));
    const uint16_t top = uint16_t(exponent | (negative ? 0x8000 : 0));
    out[8] = uint8_t(top);
    out[9] = uint8_t(top >> 8);
}

double extendedToDouble(const uint8_t in[10])
{
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= uint64_t(in[i]) << (8 * i);
    const uint16_t top = uint16_t(in[8] | (in[9] << 8));
    const bool negative = top & 0x8000;
    const int exponent = top & 0x7FFF;
    double magnitude = 0;
    if (exponent == 0x7FFF) {
        magnitude = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                         : std::numeric_limits<double>::quiet_NaN();
    } else if (mantissa != 0) {
        // value = mantissa * 2^(e - 63), e the unbiased exponent (denormals use -16382).
        const int e = exponent == 0 ? -16382 : exponent - 16383;
        // Below 2^-1074 a double has no bits: round there once, half to even,
        // instead of rounding to 53 bits and then again to the subnormal grid.
        const long shift = -1074L - (e - 63);
        if (shift > 0) {
            uint64_t kept = 0;
            if (shift < 64) {
                kept = mantissa >> shift;
                const uint64_t rest = mantissa & ((uint64_t(1) << shift) - 1);
                const uint64_t half = uint64_t(1) << (shift - 1);
                if (rest > half || (rest == half && (kept & 1)))
                    ++kept;
            } else if (shift == 64 && mantissa > 0x8000000000000000ull) {
                kept = 1;
            }
            magnitude = std::ldexp(double(kept), -1074);
        } else {
            magnitude = std::ldexp(double(mantissa), e - 63);
        }
    }
    return negative ? -magnitude : magnitude;
}

// ---- writer ------------------------------------------------------------------

void LayoutWriter::writeInt32Raw(int32_t v)
{
    const uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        writeByte(uint8_t(u >> (8 * i)));
}

void LayoutWriter::writeShortString(const QString& s)
{
    const QByteArray bytes = qStringToCp1252(s).left(255);
    writeByte(uint8_t(bytes.size()));
    writeBytes(bytes);
}

void LayoutWriter::writeInteger(int32_t v)
{
    const LayoutValue value = LayoutValue::ofInteger(v);
    writeTag(value.tag);
    if (value.tag == ValueTag::Int8) {
        writeByte(uint8_t(int8_t(v)));
    } else if (value.tag == ValueTag::Int16) {
        writeByte(uint8_t(uint16_t(v)));
        writeByte(uint8_t(uint16_t(v) >> 8));
    } else {
        writeInt32Raw(v);
    }
}

void LayoutWriter::writeReal(double v)
{
    uint8_t raw[10];
    doubleToExtended(v, raw);
    writeTag(ValueTag::Extended);
    writeBytes(QByteArray(reinterpret_cast<const char*>(raw), 10));
}

void LayoutWriter::writeString(const QString& s)
{
    const QByteArray bytes = qStringToCp1252(s);
    if (bytes.size() < 256) {
        writeTag(ValueTag::String);
        writeByte(uint8_t(bytes.size()));
    } else {
        writeTag(ValueTag::LString);
        writeInt32Raw(int32_t(bytes.size()));
    }
    writeBytes(bytes);
}

void LayoutWriter::writeIdent(const QString& s)
{
    if (s.compare(QLatin1String("nil"), Qt::CaseInsensitive) == 0) {
        writeTag(ValueTag::Nil);
        return;
    }
    writeTag(ValueTag::Ident);
    writeShortString(s);
}

void LayoutWriter::writeBinary(const QByteArray& b)
{
    writeTag(ValueTag::Binary);
    writeInt32Raw(int32_t(b.size()));
    writeBytes(b);
}

void LayoutWriter::writeSet(const QStringList& members)
{
    writeTag(ValueTag::Set);
    for (const QString& m : members)
        if (!m.isEmpty())
            writeShortString(m);
    writeByte(0);
}

void LayoutWriter::writeValue(const LayoutValue& v)
{
    switch (v.tag) {
    case ValueTag::End:
        writeTag(ValueTag::End);
        break;
    case ValueTag::List:
        writeListBegin();
        for (const LayoutValue& item : v.list)
            writeValue(item);
        writeListEnd();
        break;
    case ValueTag::Int8:
    case ValueTag::Int16:
    case ValueTag::Int32:
        writeInteger(v.integer);
        break;
    case ValueTag::Extended:
        writeReal(v.real);
        break;
    case ValueTag::String:
    case ValueTag::LString:
        writeString(v.text);
        break;
    case ValueTag::Ident:
        writeIdent(v.text);
        break;
    case ValueTag::False:
    case ValueTag::True:
        writeBool(v.tag == ValueTag::True);
        break;
    case ValueTag::Binary:
        writeBinary(v.binary);
        break;
    case ValueTag::Set:
        writeSet(v.members);
        break;
    case ValueTag::Nil:
        writeTag(ValueTag::Nil);
        break;
    case ValueTag::Collection:
        writeTag(ValueTag::Collection);
        for (const CollectionItem& item : v.items) {
            if (item.index)
                writeInteger(*item.index);
            writeListBegin();
            for (const auto& [path, value] : item.properties) {
                writeShortString(path);
                writeValue(value);
            }
            writeListEnd();
        }
        writeListEnd();
        break;
    }
}

// ---- reader ------------------------------------------------------------------

void LayoutReader::need(qsizetype n) const
{
    if (n < 0 || n > remaining())
        throw LayoutError(QString::fromLatin1(msg::kStreamReadError));
}

uint8_t LayoutReader::readByte()
{
    need(1);
    return uint8_t(bytes_[pos_++]);
}

uint8_t LayoutReader::peekByte() const
{
    need(1);
    return uint8_t(bytes_[pos_]);
}

QByteArray LayoutReader::readBytes(qsizetype n)
{
    need(n);
    QByteArray out = bytes_.mid(pos_, n);
    pos_ += n;
    return out;
}

int32_t LayoutReader::readInt32Raw()
{
    need(4);
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= uint32_t(uint8_t(bytes_[pos_ + i])) << (8 * i);
    pos_ += 4;
    return int32_t(u);
}

QString LayoutReader::readShortString()
{
    const uint8_t n = readByte();
    return cp1252ToQString(readBytes(n));
}

void LayoutReader::expectListBegin()
{
    if (readByte() != uint8_t(ValueTag::List))
        throw LayoutError(QString::fromLatin1(msg::kInvalidPropertyValue));
}

void LayoutReader::expectEnd()
{
    if (readByte() != uint8_t(ValueTag::End))
        throw LayoutError(QString::fromLatin1(msg::kInvalidPropertyValue));
}

LayoutValue LayoutReader::readValue() { return readValue(0); }

LayoutValue LayoutReader::readValue(int depth)
{
    if (depth > kMaxDepth)
        throw LayoutError(QString::fromLatin1(msg::kInvalidPropertyValue));
    const auto invalid = [] { return LayoutError(QString::fromLatin1(msg::kInvalidPropertyValue)); };
    const auto tooLong = [this](uint32_t n, uint32_t limit) {
        if (n > limit && qsizetype(n) <= remaining())
            throw LayoutError(QString::fromLatin1(msg::kInvalidPropertyValue));
        need(qsizetype(n));
    };
    LayoutValue v;
    const uint8_t tag = readByte();
    if (tag > uint8_t(ValueTag::Collection))
        throw invalid();
    v.tag = ValueTag(tag);
    switch (v.tag) {
    case ValueTag::End:
        throw invalid();
    case ValueTag::List: {
        int count = 0;
        while (peekByte() != 0) {
            if (++count > kMaxEntries)
                throw invalid();
            v.list.push_back(readValue(depth + 1));
        }
        readByte();
        break;
    }
    case ValueTag::Int8:
        v.integer = int8_t(readByte());
        break;
    case ValueTag::Int16: {
        const uint8_t lo = readByte();
        v.integer = int16_t(uint16_t(lo | (readByte() << 8)));
        break;
    }
    case ValueTag::Int32:
        v.integer = readInt32Raw();
        break;
    case ValueTag::Extended: {
        const QByteArray raw = readBytes(10);
        v.real = extendedToDouble(reinterpret_cast<const uint8_t*>(raw.constData()));
        break;
    }
    case ValueTag::String:
        v.text = readShortString();
        break;
    case ValueTag::LString: {
        const uint32_t n = uint32_t(readInt32Raw());
        tooLong(n, kMaxLongString);
        v.text = cp1252ToQString(readBytes(qsizetype(n)));
        break;
    }
    case ValueTag::Ident:
        v.text = readShortString();
        break;
    case ValueTag::False:
    case ValueTag::True:
    case ValueTag::Nil:
        break;
    case ValueTag::Binary: {
        const uint32_t n = uint32_t(readInt32Raw());
        tooLong(n, kMaxBinary);
        v.binary = readBytes(qsizetype(n));
        break;
    }
    case ValueTag::Set: {
        int count = 0;
        for (QString member = readShortString(); !member.isEmpty(); member = readShortString()) {
            if (++count > kMaxEntries)
                throw invalid();
            v.members << member;
        }
        break;
    }
    case ValueTag::Collection: {
        int count = 0;
        while (peekByte() != 0) {
            if (++count > kMaxEntries)
                throw invalid();
            CollectionItem item;
            const uint8_t first = peekByte();
            if (first == uint8_t(ValueTag::Int8) || first == uint8_t(ValueTag::Int16) || first == uint8_t(ValueTag::Int32))
                item.index = readInteger();
            expectListBegin();
            while (peekByte() != 0) {
                if (int(item.properties.size()) >= kMaxEntries)
                    throw invalid();
                QString path = readShortString();
                item.properties.emplace_back(std::move(path), readValue(depth + 1));
            }
            readByte();
            v.items.push_back(std::move(item));
        }
        readByte();
        break;
    }
    }
    return v;
}

int32_t LayoutReader::readInteger()
{
    const LayoutValue v = readValue();
    if (!v.isInteger())
        throw LayoutError(QString::fromLatin1(msg::kInvalidPropertyValue));
    return v.integer;
}

QString LayoutReader::readString()
{
    const LayoutValue v = readValue();
    if (!v.isString())
        throw LayoutError(QString::fromLatin1(msg::kInvalidPropertyValue));
    return v.text;
}

QString LayoutReader::readIdent()
{
    const LayoutValue v = readValue();
    switch (v.tag) {
    case ValueTag::Ident: return v.text;
    case ValueTag::False: return QStringLiteral("False");
    case ValueTag::True: return QStringLiteral("True");
    case ValueTag::Nil: return QStringLiteral("nil");
    default: throw LayoutError(QString::fromLatin1(msg::kInvalidPropertyValue));
    }
}

bool LayoutReader::readBool()
{
    const QString id = readIdent();
    if (id.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (id.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    throw LayoutError(QString::fromLatin1(msg::kInvalidPropertyValue));
}

double LayoutReader::readReal()
{
    const LayoutValue v = readValue();
    if (v.tag == ValueTag::Extended)
        return v.real;
    if (v.isInteger())
        return v.integer;
    throw LayoutError(QString::fromLatin1(msg::kInvalidPropertyValue));
}

} // namespace qb::design
