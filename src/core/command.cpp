#include "core/command.h"

#include <stdexcept>

namespace qb {

void CommandRegistry::add(Command command)
{
    const bool unnamed = command.menuItem.isEmpty() && command.button.isEmpty();
    const bool twice = (!command.menuItem.isEmpty() && find(command.menuItem)) ||
                       (!command.button.isEmpty() && findButton(command.button));
    if (unnamed || twice)
        throw std::logic_error("command registered twice or without a menu item or button: " +
                               (command.menuItem + QLatin1Char(' ') + command.button).toStdString());
    commands_.push_back(std::move(command));
}

const Command* CommandRegistry::find(const QString& menuItem) const
{
    for (const Command& c : commands_)
        if (!menuItem.isEmpty() && c.menuItem == menuItem)
            return &c;
    return nullptr;
}

const Command* CommandRegistry::findButton(const QString& button) const
{
    for (const Command& c : commands_)
        if (!button.isEmpty() && c.button == button)
            return &c;
    return nullptr;
}

} // namespace qb
