#include "core/command.h"

#include <stdexcept>

namespace qb {

void CommandRegistry::add(Command command)
{
    if (command.menuItem.isEmpty() || find(command.menuItem))
        throw std::logic_error("command registered twice or without a menu item: " + command.menuItem.toStdString());
    commands_.push_back(std::move(command));
}

const Command* CommandRegistry::find(const QString& menuItem) const
{
    for (const Command& c : commands_)
        if (c.menuItem == menuItem)
            return &c;
    return nullptr;
}

} // namespace qb
