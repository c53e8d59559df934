#pragma once
// The process-wide table of design object classes a layout reader can resolve.
// Each panel registers the classes of its kind when it is created; registering
// twice is harmless, so the reader sees the union of every panel made so far.

#include "design/property_table.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace qb::design {

class TKGraphicControl;

// Makes a new object of the class with its creation values, without a parent.
using DesignFactory = std::function<TKGraphicControl*(const ClassTable&)>;

struct DesignClass {
    const ClassTable* table;
    DesignFactory create;
};

void registerDesignClass(const ClassTable& table, DesignFactory factory);
// Any case; null when no panel registered the name.
const DesignClass* findDesignClass(const QString& name);
QStringList registeredClassNames();

// The classes each panel kind accepts.
QStringList labelPanelClassNames();
QStringList envelopePanelClassNames();
QStringList reportPanelClassNames();
void registerLabelPanelClasses();
void registerEnvelopePanelClasses();
void registerReportPanelClasses();
void registerAllClasses();   // the tools: every built-in class

// The factory of a built-in class (design_kinds.cpp): each kind's own class
// once it exists, a plain object of the base class until then.
DesignFactory kindFactory(const QString& className);

// Tests start from an empty table.
void clearDesignClassesForTesting();

} // namespace qb::design
