// The RTF reader on arbitrary bytes, with the writer's round trip as the check.

#include "rtf_roundtrip.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_rtf";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qb::fuzz::rtfBytes(data, size);
    return 0;
}
