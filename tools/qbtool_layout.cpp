#include "qbtool_commands.h"

int layoutCommand(const std::string&, int, char**)
{
    return -1;
}
