#include "letters/letter_commands.h"

#include "core/address_table.h"
#include "core/command.h"
#include "core/placement.h"
#include "core/system_tables.h"
#include "letters/tqbletters.h"

namespace qb {

namespace {

void printLetters(CommandHost& host)
{
    std::unique_ptr<xbase::Table> letters = openSystemTable(SystemTable::Letter, xbase::OpenMode::Exclusive);
    if (!letters)
        return;
    TQBLetters screen(*letters, host.addressTable(), host.filterIsSet(), host.window());
    centreWindow(&screen);
    screen.exec();
}

} // namespace

void registerLetterCommands(CommandRegistry& registry)
{
    Command letters;
    letters.menuItem = QStringLiteral("mnuPrintLetters");
    letters.button = QStringLiteral("LettersButton");
    letters.needs = NeedDatabase | NeedNotEditing | NeedPassingRecords | NeedPrinter;
    letters.steps = CommandScope::printLetters();
    letters.run = printLetters;
    registry.add(std::move(letters));
}

} // namespace qb
