#pragma once
// The published properties of every design object class, in the order they are
// written, with the defaults a layout file leaves out and the values a new
// object starts with. The declared defaults are part of the file format: a
// value equal to one is not written, so a reader must start from the same one.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <optional>
#include <vector>

namespace qb::design {

enum class PropType {
    Integer,     // int
    Bool,        // bool
    String,      // QString
    Enum,        // int: index into the names
    Colour,      // uint: 0x00BBGGRR or 0x800000nn
    Cursor,      // int: pointer shape number
    Set,         // uint: bit n = member n
    Real,        // double
    StringList,  // QStringList, streamed as "Items.Strings"
    Picture,     // LayoutPicture, streamed as "Picture.Data"
};

struct EnumType {
    const char* name;
    std::vector<const char*> values;   // value 0 first
    int indexOf(const QString& ident) const;   // any case; -1 when absent
};

namespace enums {
extern const EnumType Alignment, BorderStyle, HighlightDirection, ShadowDirection, DateFormat, TimeFormat,
    ZipFormatOptions, PostNetBarCodeType, FIMBarCodeType, ShapeType, LineStyle, FontPitch, FontStyle, PenStyle,
    PenMode, BrushStyle;
}

// Colour identifiers: clBlack ... clInfoBk, with their 32-bit values.
std::optional<uint32_t> colourFromName(const QString& ident);
std::optional<QString> colourName(uint32_t value);
// Pointer shape identifiers: crDefault (0) ... and their numbers.
std::optional<int> cursorFromName(const QString& ident);
std::optional<QString> cursorName(int value);

namespace colours {
constexpr uint32_t Black = 0x000000, Gray = 0x808080, White = 0xFFFFFF, Aqua = 0xFFFF00;
}

struct PropertyDef {
    QString path;                 // "Left", "Font.Height", "Items.Strings", "Picture.Data"
    PropType type;
    const EnumType* names;        // Enum and Set members
    std::optional<QVariant> streamDefault;   // none: always written (strings: written when not empty)
    QVariant initial;             // the value of a new object
    bool readOnly = false;        // no setter: never written, and reading it is an error
};

// The properties of one class, common part first.
struct ClassTable {
    QString className;
    std::vector<PropertyDef> properties;

    const PropertyDef* find(const QString& path) const;   // any case
    int indexOf(const QString& path) const;
    // Whether prefix (e.g. "Font") names an owned sub-object of the class.
    bool isSubObject(const QString& prefix) const;
};

// Tables of every class a panel can hold, by class name (exact spelling):
// TKPLabel, TKPDLabel, TKCounterLabel, TKSymbolLabel, TKDateTimeLabel,
// TKPageNumberLabel, TKMultiLineLabel, TKDMultiLineLabel,
// TKDMultiLineAddressLabel, TKPostNetBarCode, TKIntelligentMailBarCode,
// TKFIMBarCode, TKImage,
// TKLabelShapes, Trpshapes, TKLineShape. Null for another name.
const ClassTable* builtinClassTable(const QString& className);
QStringList builtinClassNames();

// Building blocks for class tables defined elsewhere (the tests' own kind).
std::vector<PropertyDef> commonProperties(int width, int height);

// A font height in pixels (negative: character height) at the fixed 96 pixels per
// inch of designs, and back to points, rounding as the font dialog does.
int fontHeightFromPoints(int points);
int fontPointsFromHeight(int height);

} // namespace qb::design
