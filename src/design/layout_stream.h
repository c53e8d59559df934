#pragma once
// The value encoding of layout files, the clipboard file and the in-memory
// copies made by Clone. Every multi-byte number is little-endian; every value
// starts with one tag byte:
//
//   00 end          ends a list, a property list or a child list
//   01 list         values until an end tag
//   02 int8         1 byte, signed          03 int16   2 bytes, signed
//   04 int32        4 bytes, signed
//   05 real         10 bytes, 80-bit extended: 64-bit mantissa with an explicit
//                   integer bit, then 15-bit exponent (bias 16383) and the sign
//   06 string       1 length byte + Windows-1252 characters (0..255)
//   07 identifier   short string (enumeration value, colour name, reference)
//   08 false        09 true
//   0A binary       4-byte length + bytes
//   0B set          short strings naming the members, then an empty one (00)
//   0C long string  4-byte length + characters (256 or more)
//   0D nil
//   0E collection   items, each an optional integer index and a list of
//                   property entries ended by 00; the items end with 00
//
// Integers are written with the narrowest tag that holds them; short strings
// (names, paths, identifiers, set members) are cut to 255 characters.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace qb::design {

enum class ValueTag : uint8_t {
    End = 0x00,
    List = 0x01,
    Int8 = 0x02,
    Int16 = 0x03,
    Int32 = 0x04,
    Extended = 0x05,
    String = 0x06,
    Ident = 0x07,
    False = 0x08,
    True = 0x09,
    Binary = 0x0A,
    Set = 0x0B,
    LString = 0x0C,
    Nil = 0x0D,
    Collection = 0x0E,
};

// The reader's and writer's errors, with the system's own message texts.
class LayoutError : public std::runtime_error {
public:
    explicit LayoutError(const QString& message);
    QString message() const { return message_; }

private:
    QString message_;
};

namespace msg {
inline const char* const kInvalidStreamFormat = "Invalid stream format";
inline const char* const kInvalidPropertyValue = "Invalid property value";
inline const char* const kStreamReadError = "Stream read error";
inline const char* const kClassNotFound = "Class %1 not found";
inline const char* const kPropertyDoesNotExist = "Property does not exist";
inline const char* const kInvalidPropertyPath = "Invalid property path";
inline const char* const kPropertyReadOnly = "Property is read-only";
inline const char* const kStreamWriteError = "Stream write error";
inline const char* const kErrorReading = "Error reading %1.%2: %3";
} // namespace msg

struct LayoutValue;

struct CollectionItem {
    std::optional<int32_t> index;
    std::vector<std::pair<QString, LayoutValue>> properties;
};

// One value of any tag, as read; the writer takes the same shape.
struct LayoutValue {
    ValueTag tag = ValueTag::Nil;
    int32_t integer = 0;          // Int8, Int16, Int32
    double real = 0;              // Extended
    QString text;                 // String, LString, Ident
    QByteArray binary;            // Binary
    QStringList members;          // Set
    std::vector<LayoutValue> list;        // List
    std::vector<CollectionItem> items;    // Collection

    static LayoutValue ofInteger(int32_t v);
    static LayoutValue ofReal(double v);
    static LayoutValue ofString(const QString& s);   // String or LString by length
    static LayoutValue ofIdent(const QString& s);    // "nil" in any case becomes Nil
    static LayoutValue ofBool(bool b);
    static LayoutValue ofBinary(const QByteArray& b);
    static LayoutValue ofSet(const QStringList& members);
    static LayoutValue ofList(std::vector<LayoutValue> values);
    bool isInteger() const { return tag == ValueTag::Int8 || tag == ValueTag::Int16 || tag == ValueTag::Int32; }
    bool isString() const { return tag == ValueTag::String || tag == ValueTag::LString; }
};

// 80-bit extended reals, converted bit by bit: the platform's long double is
// neither portable nor always 80 bits wide.
void doubleToExtended(double value, uint8_t out[10]);
double extendedToDouble(const uint8_t in[10]);

class LayoutWriter {
public:
    void writeByte(uint8_t b) { bytes_.append(char(b)); }
    void writeTag(ValueTag t) { writeByte(uint8_t(t)); }
    void writeBytes(const QByteArray& b) { bytes_.append(b); }
    void writeInt32Raw(int32_t v);
    // A short string: Windows-1252, cut to 255 bytes.
    void writeShortString(const QString& s);
    void writeListBegin() { writeTag(ValueTag::List); }
    void writeListEnd() { writeTag(ValueTag::End); }

    void writeInteger(int32_t v);
    void writeReal(double v);
    void writeString(const QString& s);
    void writeIdent(const QString& s);
    void writeBool(bool b) { writeTag(b ? ValueTag::True : ValueTag::False); }
    void writeBinary(const QByteArray& b);
    void writeSet(const QStringList& members);
    void writeValue(const LayoutValue& v);

    const QByteArray& bytes() const { return bytes_; }

private:
    QByteArray bytes_;
};

// Reads values from bytes held in memory. Every length is checked against what
// remains and against a sane limit; nesting is bounded. Running out of bytes is
// "Stream read error", an unexpected tag "Invalid property value".
class LayoutReader {
public:
    static constexpr int kMaxDepth = 32;
    static constexpr uint32_t kMaxBinary = 64u << 20;
    static constexpr uint32_t kMaxLongString = 16u << 20;
    static constexpr int kMaxEntries = 1u << 20;   // entries of one list, set or collection

    explicit LayoutReader(QByteArray bytes) : bytes_(std::move(bytes)) {}

    qsizetype position() const { return pos_; }
    qsizetype remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }

    uint8_t readByte();
    uint8_t peekByte() const;
    QByteArray readBytes(qsizetype n);
    bool startsWith(const QByteArray& bytes) const { return bytes_.mid(pos_, bytes.size()) == bytes; }
    int32_t readInt32Raw();
    QString readShortString();

    void expectListBegin();    // 01, else "Invalid property value"
    bool endOfList() const { return peekByte() == 0; }   // "Stream read error" at the end of the bytes
    void expectEnd();          // 00

    LayoutValue readValue();
    // The typed reads accept what the typed properties accept.
    int32_t readInteger();
    QString readString();
    QString readIdent();       // also False/True/Nil as "False"/"True"/"nil"
    bool readBool();
    double readReal();         // an integer tag is accepted too

private:
    LayoutValue readValue(int depth);
    void need(qsizetype n) const;

    QByteArray bytes_;
    qsizetype pos_ = 0;
};

QString cp1252ToQString(const QByteArray& bytes);
QByteArray qStringToCp1252(const QString& s);

} // namespace qb::design
