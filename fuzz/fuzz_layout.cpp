// The layout reader on arbitrary bytes: one list of object records read into a
// panel that accepts every class, then the objects read are written and read
// again, which must give the same bytes. The value reader alone runs on the
// same bytes too.

#include "core/paths.h"
#include "design/class_registry.h"
#include "design/layout_filer.h"
#include "design/tkbasepanel.h"
#include "design/tkgraphiccontrol.h"

#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <unistd.h>

using namespace qb::design;

namespace {

QWidget* g_owner = nullptr;
TKDataPanel* g_panel = nullptr;

QByteArray written(const QList<TKGraphicControl*>& objects)
{
    LayoutWriter w;
    TKLabelObjectFiler::writeList(w, objects);
    return w.bytes();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_layout";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    const QString folder = QDir::tempPath() + QStringLiteral("/qbfuzz-layout-%1").arg(::getpid());
    QDir().mkpath(folder);
    qb::ProgramFolder::setPath(folder);
    registerAllClasses();
    g_owner = new QWidget;
    g_panel = new TKDataPanel(g_owner);
    g_panel->resize(400, 300);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        LayoutReader values(bytes);
        for (int i = 0; i < 64 && !values.atEnd(); ++i)
            (void)values.readValue();
    } catch (const LayoutError&) {
    }

    LayoutReader r(bytes);
    try {
        TKLabelObjectFiler::readList(r, g_owner, g_panel);
    } catch (const LayoutError&) {
    }
    const QByteArray first = written(g_panel->designObjects());
    g_panel->clearObjects();
    try {
        LayoutReader again(first);
        TKLabelObjectFiler::readList(again, g_owner, g_panel);
    } catch (const LayoutError& e) {
        qFatal("objects written by us did not read back: %s", qPrintable(e.message()));
    }
    // Names are given anew on reading, so compare after one more round.
    const QByteArray second = written(g_panel->designObjects());
    g_panel->clearObjects();
    LayoutReader third(second);
    TKLabelObjectFiler::readList(third, g_owner, g_panel);
    if (written(g_panel->designObjects()) != second)
        qFatal("a layout written twice differs");
    g_panel->clearObjects();
    return 0;
}
