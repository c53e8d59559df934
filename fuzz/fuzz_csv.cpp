#include "csv_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qb::fuzz::csvBytes(data, size);
    return 0;
}
