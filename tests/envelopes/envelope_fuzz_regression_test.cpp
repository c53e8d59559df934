// Every seed of the envelope layout fuzzer and every input that once broke
// it, read through its harness: a read error or a layout that writes and
// reads back the same, never a crash.

#include "envelope_harness.h"

#include "design/class_registry.h"
#include "design/layout_stream.h"
#include "design/tkgraphiccontrol.h"
#include "design/tklabelpanel.h"
#include "envelopes/tenvelopepanel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(EnvelopeLayoutFuzzInputs, ReadOrRefusedNeverBroken)
{
    design::registerAllClasses();
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    int inputs = 0, read = 0;
    for (const QString& folder : {QStringLiteral(QB_FUZZ_SEEDS "/envelope"), QStringLiteral(QB_FUZZ_REGRESSIONS "/envelope")})
        for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files)) {
            QFile file(f.filePath());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            SCOPED_TRACE(f.fileName().toStdString());
            read += fuzz::envelopeLayoutBytes(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()),
                                              scratch.path());
            ++inputs;
        }
    EXPECT_GE(inputs, 2);
    EXPECT_GE(read, 1);   // at least one seed is a real envelope layout
}

// An ".E" file holding a label's counter or a report's date is refused as a
// whole by the envelope panel, though every kind is registered: the panel
// reads only the kinds it can make.
TEST(EnvelopeLayoutKinds, OnlyTheEnvelopesKindsAreRead)
{
    design::registerAllClasses();
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    QWidget owner;
    for (const char* kind : {"TKCounterLabel", "TKDateTimeLabel", "TKPageNumberLabel", "TKPDLabel"}) {
        SCOPED_TRACE(kind);
        design::TKLabelPanel writer(&owner);
        const design::DesignClass* cls = design::findDesignClass(kind);
        ASSERT_TRUE(cls);
        design::TKGraphicControl* o = cls->create(*cls->table);
        o->loaded();
        writer.addObject(o, QRect(10, 10, 80, 20));
        const QString file = scratch.path() + "/" + kind + ".E";
        writer.saveToFile(file);
        TEnvelopePanel panel(&owner);
        if (QString(kind) == "TKPDLabel") {
            panel.loadFromFile(file);
            EXPECT_EQ(panel.designObjects().size(), 1);
            continue;
        }
        try {
            panel.loadFromFile(file);
            ADD_FAILURE() << "read";
        } catch (const design::LayoutError& e) {
            EXPECT_EQ(QString(e.what()), QString("Class %1 not found").arg(kind));
        }
        EXPECT_TRUE(panel.designObjects().isEmpty());
    }
}

} // namespace
} // namespace qb
