#include "qbtool_commands.h"

int printCommand(const std::string&, int, char**)
{
    return -1;
}
