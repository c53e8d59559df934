#include "design/property_table.h"

#include <cmath>
#include <map>

namespace qb::design {

int EnumType::indexOf(const QString& ident) const
{
    for (size_t i = 0; i < values.size(); ++i)
        if (ident.compare(QLatin1String(values[i]), Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

namespace enums {
const EnumType Alignment{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};
const EnumType BorderStyle{"TBorderStyle", {"bsNone", "bsSingle"}};
const EnumType HighlightDirection{"THighlightDirection", {"hdNone", "hdright", "hdLeft", "hdUpRight", "hdUpLeft", "hdUp"}};
const EnumType ShadowDirection{"TShadowDirection", {"sdNone", "sdRight", "sdLeft", "sdDownRight", "sdDownLeft", "sdDown"}};
const EnumType DateFormat{"TKDateFormat", {"dtfDateNone", "dtfDateShort", "dtfDateLong"}};
const EnumType TimeFormat{"TKTimeFormat", {"dtfTimeNone", "dtfTimeShort", "dtfTimeLong"}};
const EnumType ZipFormatOptions{"TZipFormatOptions", {"zoAfterState", "zoBeforeCity", "zoAfterCountry", "zoBeforeCountry"}};
const EnumType PostNetBarCodeType{"TPostNetBarCodeType", {"pnbc5Digit", "pnbc9Digit", "pnbc11Digit"}};
const EnumType FIMBarCodeType{"TFIMBarCodeType", {"fimTypeA", "fimTypeB", "fimTypeC"}};
const EnumType ShapeType{"TShapeType", {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"}};
const EnumType LineStyle{"TLineStyle", {"stHorizontal", "stVertical", "stAngleSlopingUp", "stAngleSlopingDown"}};
const EnumType FontPitch{"TFontPitch", {"fpDefault", "fpVariable", "fpFixed"}};
const EnumType FontStyle{"TFontStyles", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
const EnumType PenStyle{"TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"}};
const EnumType PenMode{"TPenMode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                                    "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
                                    "pmNotMask", "pmXor", "pmNotXor"}};
const EnumType BrushStyle{"TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                          "bsBDiagonal", "bsCross", "bsDiagCross"}};
} // namespace enums

namespace {

struct NamedColour {
    const char* name;
    uint32_t value;
};

// In this order a value with two names (none today) would be written by the first.
constexpr NamedColour kColours[] = {
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
    {"clNone", 0x1FFFFFFF},
    {"clScrollBar", 0x80000000}, {"clBackground", 0x80000001}, {"clActiveCaption", 0x80000002},
    {"clInactiveCaption", 0x80000003}, {"clMenu", 0x80000004}, {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006}, {"clMenuText", 0x80000007}, {"clWindowText", 0x80000008},
    {"clCaptionText", 0x80000009}, {"clActiveBorder", 0x8000000A}, {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C}, {"clHighlight", 0x8000000D}, {"clHighlightText", 0x8000000E},
    {"clBtnFace", 0x8000000F}, {"clBtnShadow", 0x80000010}, {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012}, {"clInactiveCaptionText", 0x80000013}, {"clBtnHighlight", 0x80000014},
    {"cl3DDkShadow", 0x80000015}, {"cl3DLight", 0x80000016}, {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},
};

struct NamedCursor {
    const char* name;
    int value;
};

constexpr NamedCursor kCursors[] = {
    {"crDefault", 0}, {"crNone", -1}, {"crArrow", -2}, {"crCross", -3}, {"crIBeam", -4}, {"crSize", -5},
    {"crSizeNESW", -6}, {"crSizeNS", -7}, {"crSizeNWSE", -8}, {"crSizeWE", -9}, {"crUpArrow", -10},
    {"crHourGlass", -11}, {"crDrag", -12}, {"crNoDrop", -13}, {"crHSplit", -14}, {"crVSplit", -15},
    {"crMultiDrag", -16}, {"crSQLWait", -17}, {"crNo", -18}, {"crAppStart", -19}, {"crHelp", -20},
    {"crHandPoint", -21},
};

PropertyDef def(const char* path, PropType type, QVariant initial, std::optional<QVariant> streamDefault,
                const EnumType* names = nullptr)
{
    return PropertyDef{QString::fromLatin1(path), type, names, std::move(streamDefault), std::move(initial)};
}

PropertyDef integer(const char* path, int initial, std::optional<int> dflt)
{
    return def(path, PropType::Integer, initial, dflt ? std::optional<QVariant>(*dflt) : std::nullopt);
}

PropertyDef boolean(const char* path, bool initial, std::optional<bool> dflt)
{
    return def(path, PropType::Bool, initial, dflt ? std::optional<QVariant>(*dflt) : std::nullopt);
}

PropertyDef string(const char* path, const char* initial = "")
{
    return def(path, PropType::String, QString::fromLatin1(initial), std::nullopt);
}

PropertyDef enumeration(const char* path, const EnumType& type, int initial, std::optional<int> dflt)
{
    return def(path, PropType::Enum, initial, dflt ? std::optional<QVariant>(*dflt) : std::nullopt, &type);
}

PropertyDef colour(const char* path, uint32_t initial, std::optional<uint32_t> dflt)
{
    return def(path, PropType::Colour, QVariant::fromValue(initial),
               dflt ? std::optional<QVariant>(QVariant::fromValue(*dflt)) : std::nullopt);
}

void append(std::vector<PropertyDef>& to, std::vector<PropertyDef> more)
{
    for (PropertyDef& d : more)
        to.push_back(std::move(d));
}

std::vector<PropertyDef> fontProperties(const char* name, int points)
{
    return {
        colour("Font.Color", colours::Black, std::nullopt),
        integer("Font.Height", fontHeightFromPoints(points), std::nullopt),
        string("Font.Name", name),
        enumeration("Font.Pitch", enums::FontPitch, 0, 0),
        def("Font.Style", PropType::Set, QVariant::fromValue(0u), std::nullopt, &enums::FontStyle),
    };
}

std::vector<PropertyDef> penProperties()
{
    return {
        colour("Pen.Color", colours::Black, colours::Black),
        enumeration("Pen.Mode", enums::PenMode, 4, 4),
        enumeration("Pen.Style", enums::PenStyle, 0, 0),
        integer("Pen.Width", 1, 1),
    };
}

ClassTable baseLabel(const char* className, const char* fontName, int points, const char* caption,
                     std::vector<PropertyDef> own)
{
    ClassTable t{QString::fromLatin1(className), commonProperties(142, 33)};
    append(t.properties, {
        enumeration("Alignment", enums::Alignment, 0, 0),
        integer("DepthHighlight", 0, 0),
        integer("DepthShadow", 0, 0),
        enumeration("DirectionHighlight", enums::HighlightDirection, 4, 4),
        enumeration("DirectionShadow", enums::ShadowDirection, 3, 3),
        colour("colorHighlight", colours::Aqua, colours::Aqua),
        colour("colorShadow", colours::Gray, colours::Gray),
        integer("Angle", 0, 0),
        string("Caption", caption),
    });
    append(t.properties, fontProperties(fontName, points));
    append(t.properties, {
        boolean("Transparent", true, std::nullopt),
        colour("BackColor", colours::White, std::nullopt),
        enumeration("BorderStyle", enums::BorderStyle, 0, std::nullopt),
    });
    append(t.properties, std::move(own));
    return t;
}

ClassTable multiLine(const char* className, std::vector<PropertyDef> own)
{
    ClassTable t{QString::fromLatin1(className), commonProperties(190, 33)};
    t.properties.push_back(def("Items.Strings", PropType::StringList, QStringList(), std::nullopt));
    t.properties.push_back(boolean("AutoSize", false, std::nullopt));
    t.properties.push_back(enumeration("Alignment", enums::Alignment, 0, 0));
    append(t.properties, fontProperties("Arial", 10));
    t.properties.push_back(boolean("WordWrap", false, false));
    append(t.properties, std::move(own));
    return t;
}

ClassTable shapes(const char* className)
{
    ClassTable t{QString::fromLatin1(className), commonProperties(25, 25)};
    append(t.properties, {
        boolean("Transparent", false, std::nullopt),
        colour("Brush.Color", colours::White, colours::White),
        enumeration("Brush.Style", enums::BrushStyle, 0, 0),
    });
    append(t.properties, penProperties());
    append(t.properties, {
        integer("RoundPerc", 25, 25),
        enumeration("Shape", enums::ShapeType, 0, 0),
    });
    return t;
}

std::map<QString, ClassTable> buildTables()
{
    std::vector<ClassTable> all;
    all.push_back(baseLabel("TKPLabel", "Arial", 10, "Text", {}));
    all.push_back(baseLabel("TKPDLabel", "Arial", 10, "Text",
                            {string("DataFieldName"), string("DataFieldDescript"), integer("LengthOfText", 0, std::nullopt)}));
    all.push_back(baseLabel("TKCounterLabel", "Arial", 10, "Text",
                            {string("TextBefore"), string("TextAfter"), integer("Startingnumber", 1, std::nullopt),
                             integer("RepeatEach", 1, std::nullopt), integer("LeadingZeros", 0, std::nullopt)}));
    all.push_back(baseLabel("TKSymbolLabel", "WingDings", 24, "[", {}));
    all.push_back(baseLabel("TKDateTimeLabel", "Arial", 10, "Text",
                            {enumeration("DateFormat", enums::DateFormat, 1, std::nullopt),
                             enumeration("TimeFormat", enums::TimeFormat, 0, std::nullopt)}));
    all.push_back(baseLabel("TKPageNumberLabel", "Arial", 10, "Text", {}));
    all.push_back(multiLine("TKMultiLineLabel", {}));
    all.push_back(multiLine("TKDMultiLineLabel", {string("DataFieldName"), string("DataFieldDescript")}));
    all.push_back(multiLine("TKDMultiLineAddressLabel",
                            {boolean("UseName", true, std::nullopt), boolean("UseTitle", true, std::nullopt),
                             boolean("UseCompany", true, std::nullopt), boolean("UseStreet", true, std::nullopt),
                             boolean("UseStreet2", true, std::nullopt), boolean("UseCityState", true, std::nullopt),
                             boolean("UseZip", true, std::nullopt), boolean("UsePhone", false, std::nullopt),
                             boolean("UseCountry", true, std::nullopt),
                             enumeration("ZipOptions", enums::ZipFormatOptions, 0, std::nullopt),
                             boolean("UpperCase", false, std::nullopt)}));
    {
        // The screen picture is 2.6 by 0.125 inches at 96 pixels per inch.
        ClassTable t{QStringLiteral("TKPostNetBarCode"), commonProperties(249, 12)};
        append(t.properties, {string("ZipCodeField"), string("AddressField"),
                              enumeration("BarCodeType", enums::PostNetBarCodeType, 2, std::nullopt)});
        all.push_back(std::move(t));
    }
    {
        // The box takes the barcode's size, 2.93 by 0.145 inches at 96 pixels
        // per inch. Strings start empty so that what is not written reads back
        // the same; the tool fills in its starting values.
        ClassTable t{QStringLiteral("TKIntelligentMailBarCode"), commonProperties(282, 15)};
        append(t.properties, {string("BarcodeIdentifier"), string("ServiceType"), string("MailerIdentifier"),
                              string("SerialStart"), string("SerialField"), string("ZipCodeField"),
                              string("AddressField"),
                              enumeration("BarCodeType", enums::PostNetBarCodeType, 2, std::nullopt)});
        all.push_back(std::move(t));
    }
    {
        ClassTable t{QStringLiteral("TKFIMBarCode"), commonProperties(60, 54)};
        t.properties.push_back(enumeration("FIMType", enums::FIMBarCodeType, 0, std::nullopt));
        all.push_back(std::move(t));
    }
    {
        ClassTable t{QStringLiteral("TKImage"), commonProperties(105, 105)};
        append(t.properties, {
            boolean("AutoSize", false, false),
            enumeration("BorderStyle", enums::BorderStyle, 0, std::nullopt),
            def("Picture.Data", PropType::Picture, QVariant(), std::nullopt),
            boolean("Stretch", true, true),
            boolean("Reverse", false, std::nullopt),
            boolean("Flip", false, std::nullopt),
        });
        all.push_back(std::move(t));
    }
    all.push_back(shapes("TKLabelShapes"));
    all.push_back(shapes("Trpshapes"));
    {
        ClassTable t{QStringLiteral("TKLineShape"), commonProperties(10, 10)};
        t.properties.push_back(enumeration("LineStyle", enums::LineStyle, 0, 0));
        append(t.properties, penProperties());
        all.push_back(std::move(t));
    }
    std::map<QString, ClassTable> out;
    for (ClassTable& t : all)
        out.emplace(t.className, std::move(t));
    return out;
}

const std::map<QString, ClassTable>& tables()
{
    static const std::map<QString, ClassTable> t = buildTables();
    return t;
}

} // namespace

std::optional<uint32_t> colourFromName(const QString& ident)
{
    for (const NamedColour& c : kColours)
        if (ident.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    return std::nullopt;
}

std::optional<QString> colourName(uint32_t value)
{
    for (const NamedColour& c : kColours)
        if (c.value == value)
            return QString::fromLatin1(c.name);
    return std::nullopt;
}

std::optional<int> cursorFromName(const QString& ident)
{
    for (const NamedCursor& c : kCursors)
        if (ident.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    return std::nullopt;
}

std::optional<QString> cursorName(int value)
{
    for (const NamedCursor& c : kCursors)
        if (c.value == value)
            return QString::fromLatin1(c.name);
    return std::nullopt;
}

const PropertyDef* ClassTable::find(const QString& path) const
{
    const int i = indexOf(path);
    return i < 0 ? nullptr : &properties[size_t(i)];
}

int ClassTable::indexOf(const QString& path) const
{
    for (size_t i = 0; i < properties.size(); ++i)
        if (properties[i].path.compare(path, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

bool ClassTable::isSubObject(const QString& prefix) const
{
    const QString dotted = prefix + QLatin1Char('.');
    for (const PropertyDef& d : properties)
        if (d.path.startsWith(dotted, Qt::CaseInsensitive))
            return true;
    return false;
}

std::vector<PropertyDef> commonProperties(int width, int height)
{
    return {
        integer("Tag", 0, 0),
        integer("Left", 0, std::nullopt),
        integer("Top", 0, std::nullopt),
        integer("Width", width, std::nullopt),
        integer("Height", height, std::nullopt),
        def("Cursor", PropType::Cursor, 0, QVariant(0)),
        string("Hint"),
        boolean("Locked", false, std::nullopt),
        boolean("Unselectable", false, std::nullopt),
    };
}

const ClassTable* builtinClassTable(const QString& className)
{
    const auto it = tables().find(className);
    return it == tables().end() ? nullptr : &it->second;
}

QStringList builtinClassNames()
{
    QStringList out;
    for (const auto& [name, table] : tables())
        out << name;
    return out;
}

// A font dialog rounds points to pixels and back with halves away from zero.
int fontHeightFromPoints(int points)
{
    return -int(std::lround(double(points) * 96.0 / 72.0));
}

int fontPointsFromHeight(int height)
{
    return int(std::lround(std::fabs(double(height)) * 72.0 / 96.0));
}

} // namespace qb::design
