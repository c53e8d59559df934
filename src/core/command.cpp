#include "core/command.h"

#include <stdexcept>

namespace qb {

void CommandRegistry::add(Command command)
{
    const bool twice = (!command.menuItem.isEmpty() && find(command.menuItem))
                       || (!command.button.isEmpty() && findButton(command.button));
    if (twice || (command.menuItem.isEmpty() && command.button.isEmpty()))
        throw std::logic_error("command registered twice or without a menu item or button: "
                               + (command.menuItem + command.button).toStdString());
    commands_.push_back(std::move(command));
}

const Command* CommandRegistry::find(const QString& menuItem) const
{
    if (menuItem.isEmpty())
        return nullptr;
    for (const Command& c : commands_)
        if (c.menuItem == menuItem)
            return &c;
    return nullptr;
}

const Command* CommandRegistry::findButton(const QString& button) const
{
    if (button.isEmpty())
        return nullptr;
    for (const Command& c : commands_)
        if (c.button == button)
            return &c;
    return nullptr;
}

} // namespace qb
