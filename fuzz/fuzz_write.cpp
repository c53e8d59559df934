#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qb::fuzz::run("write", data, size);
    return 0;
}
