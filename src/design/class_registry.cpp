#include "design/class_registry.h"

#include <map>

namespace qb::design {

namespace {

std::map<QString, DesignClass>& registry()
{
    static std::map<QString, DesignClass> r;   // keyed by the upper-cased name
    return r;
}

void registerBuiltins(const QStringList& names)
{
    for (const QString& name : names)
        if (const ClassTable* table = builtinClassTable(name))
            registerDesignClass(*table, kindFactory(name));
}

} // namespace

void registerDesignClass(const ClassTable& table, DesignFactory factory)
{
    registry().insert_or_assign(table.className.toUpper(), DesignClass{&table, std::move(factory)});
}

const DesignClass* findDesignClass(const QString& name)
{
    const auto it = registry().find(name.toUpper());
    return it == registry().end() ? nullptr : &it->second;
}

QStringList registeredClassNames()
{
    QStringList out;
    for (const auto& [key, cls] : registry())
        out << cls.table->className;
    return out;
}

QStringList labelPanelClassNames()
{
    return {"TKLineShape", "TKPostNetBarCode", "TKImage", "TKLabelShapes", "TKPLabel", "TKPDLabel",
            "TKCounterLabel", "TKSymbolLabel", "TKMultiLineLabel", "TKDMultiLineLabel", "TKDMultiLineAddressLabel",
            "TKIntelligentMailBarCode"};
}

QStringList envelopePanelClassNames()
{
    return {"TKLineShape", "TKPostNetBarCode", "TKFIMBarCode", "TKImage", "TKLabelShapes", "TKPLabel",
            "TKPDLabel", "TKMultiLineLabel", "TKDMultiLineAddressLabel", "TKIntelligentMailBarCode"};
}

QStringList reportPanelClassNames()
{
    return {"TKLineShape", "TKImage", "TKPLabel", "TKPDLabel", "TKDMultiLineLabel", "TKDateTimeLabel",
            "TKPageNumberLabel", "Trpshapes", "TKSymbolLabel"};
}

void registerLabelPanelClasses() { registerBuiltins(labelPanelClassNames()); }
void registerEnvelopePanelClasses() { registerBuiltins(envelopePanelClassNames()); }
void registerReportPanelClasses() { registerBuiltins(reportPanelClassNames()); }
void registerAllClasses() { registerBuiltins(builtinClassNames()); }

void clearDesignClassesForTesting() { registry().clear(); }

} // namespace qb::design
