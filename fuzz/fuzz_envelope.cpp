// Envelope layout files on arbitrary bytes, read through the envelope panel
// as the envelope screen and the envelope run read them (see envelope_harness.h).

#include "envelope_harness.h"

#include "core/paths.h"
#include "design/class_registry.h"

#include <QApplication>
#include <QDir>
#include <unistd.h>

namespace {
QString g_folder;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_envelope";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    g_folder = QDir::tempPath() + QStringLiteral("/qbfuzz-envelope-%1").arg(::getpid());
    QDir().mkpath(g_folder);
    qb::ProgramFolder::setPath(g_folder);
    qb::design::registerAllClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qb::fuzz::envelopeLayoutBytes(data, size, g_folder);
    return 0;
}
