// The factories of the built-in design object classes: each kind's own class.

#include "design/class_registry.h"
#include "design/tkbaselabel.h"
#include "design/tkimage.h"
#include "design/tklabelshapes.h"
#include "design/tkmultilinelabel.h"
#include "design/tkpostnetbarcode.h"

#include <map>

namespace qb::design {

namespace {
template <class T>
DesignFactory make()
{
    return [](const ClassTable& table) -> TKGraphicControl* { return new T(table); };
}
} // namespace

DesignFactory kindFactory(const QString& className)
{
    static const std::map<QString, DesignFactory> kinds{
        {QStringLiteral("TKPLabel"), make<TKPLabel>()},
        {QStringLiteral("TKPDLabel"), make<TKPDLabel>()},
        {QStringLiteral("TKCounterLabel"), make<TKCounterLabel>()},
        {QStringLiteral("TKSymbolLabel"), make<TKSymbolLabel>()},
        {QStringLiteral("TKDateTimeLabel"), make<TKDateTimeLabel>()},
        {QStringLiteral("TKPageNumberLabel"), make<TKPageNumberLabel>()},
        {QStringLiteral("TKMultiLineLabel"), make<TKMultiLineLabel>()},
        {QStringLiteral("TKDMultiLineLabel"), make<TKDMultiLineLabel>()},
        {QStringLiteral("TKDMultiLineAddressLabel"), make<TKDMultiLineAddressLabel>()},
        {QStringLiteral("TKPostNetBarCode"), make<TKPostNetBarCode>()},
        {QStringLiteral("TKFIMBarCode"), make<TKFIMBarCode>()},
        {QStringLiteral("TKIntelligentMailBarCode"), make<TKIntelligentMailBarCode>()},
        {QStringLiteral("TKImage"), make<TKImage>()},
        {QStringLiteral("TKLabelShapes"), make<TKLabelShapes>()},
        {QStringLiteral("Trpshapes"), make<TKLabelShapes>()},
        {QStringLiteral("TKLineShape"), make<TKLineShape>()},
    };
    const auto it = kinds.find(className);
    if (it != kinds.end())
        return it->second;
    return [](const ClassTable& table) { return new TKGraphicControl(table); };
}

} // namespace qb::design
