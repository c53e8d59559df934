#include "vcard_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qb::fuzz::vcardBytes(data, size);
    return 0;
}
