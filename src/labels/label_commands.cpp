#include "labels/label_commands.h"

#include "core/address_table.h"
#include "core/command.h"
#include "core/placement.h"
#include "core/system_tables.h"
#include "labels/tlabelsetupscreen.h"

namespace qb {

namespace {

// The name and address values are computed only while labels are printed.
class ExtraFieldsOn {
public:
    explicit ExtraFieldsOn(AddressTable& table) : table_(table) { table_.setExtraFieldsEnabled(true); }
    ~ExtraFieldsOn() { table_.setExtraFieldsEnabled(false); }
    ExtraFieldsOn(const ExtraFieldsOn&) = delete;
    ExtraFieldsOn& operator=(const ExtraFieldsOn&) = delete;

private:
    AddressTable& table_;
};

void printLabels(CommandHost& host)
{
    std::unique_ptr<xbase::Table> labels = openSystemTable(SystemTable::Label);
    if (!labels)
        return;
    ExtraFieldsOn extra(host.addressTable());
    TLabelSetupScreen screen(*labels, host.addressTable(), host.filterIsSet(), host.window());
    centreWindow(&screen);
    screen.exec();
}

} // namespace

void registerLabelCommands(CommandRegistry& registry)
{
    Command labels;
    labels.menuItem = QStringLiteral("mnuPrintLabels");
    labels.button = QStringLiteral("LabelsButton");
    labels.needs = NeedDatabase | NeedNotEditing | NeedPassingRecords | NeedPrinter;
    labels.steps = CommandScope::printLabelsOrReports();
    labels.run = printLabels;
    registry.add(std::move(labels));
}

} // namespace qb
