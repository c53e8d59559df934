#pragma once
// Shared by the report tests: a program folder with an address table, and
// report bands to fill with objects.

#include "core/address_fixture.h"
#include "core/address_table.h"
#include "core/field_lengths.h"
#include "design/class_registry.h"
#include "design/tkgraphiccontrol.h"
#include "message_log.h"
#include "platform/xbase/table.h"
#include "reports/report_file.h"
#include "reports/treportpanel.h"

#include <QDir>
#include <gtest/gtest.h>

namespace qb::test {

class ReportFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(table.open(path));
        header = new TReportPanel(rpkHeader, &owner);
        detail = new TReportPanel(rpkDetail, &owner);
        footer = new TReportPanel(rpkFooter, &owner);
        for (TReportPanel* p : {header, detail, footer})
            p->resize(700, 200);
    }

    void ready()
    {
        table.table().setFilter("!ISDEL");
        table.table().selectOrder("LNAME");
        table.table().first();
    }

    static design::TKGraphicControl* put(TReportPanel* panel, const char* cls, QRect r)
    {
        const design::DesignClass* c = design::findDesignClass(cls);
        design::TKGraphicControl* o = c->create(*c->table);
        o->loaded();
        panel->addObject(o, r);
        o->setValue("Font.Name", "Arial");
        o->setValue("Font.Height", -13);
        return o;
    }
    static void text(TReportPanel* panel, const char* caption, QRect r)
    {
        put(panel, "TKPLabel", r)->setValue("Caption", caption);
    }
    static void field(TReportPanel* panel, const char* name, const char* label, QRect r)
    {
        design::TKGraphicControl* o = put(panel, "TKPDLabel", r);
        o->setValue("DataFieldName", name);
        o->setValue("DataFieldDescript", label);
    }
    ReportBands bands() const { return {header, detail, footer}; }

    ProgramDir program;
    MessageLog log;
    AddressTable table;
    QWidget owner;
    TReportPanel* header = nullptr;
    TReportPanel* detail = nullptr;
    TReportPanel* footer = nullptr;
};

} // namespace qb::test
