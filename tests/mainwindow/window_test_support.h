#pragma once
// Shared by the main-window tests: acting on a modal window once it shows,
// finding named children, and damaging a memo pointer the way a crash or a
// stray copy leaves it.

#include "platform/xbase/table.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <gtest/gtest.h>

namespace qb::test {

// Runs act on the first visible top-level window of type W once the event
// loop of a modal exec() is running.
template <class W>
void whenShown(std::function<void(W*)> act)
{
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<W*>(w); d && d->isVisible()) {
                act(d);
                return;
            }
        ADD_FAILURE() << "no window of the expected type is showing";
    });
}

template <class B>
B* child(QWidget* w, const char* name)
{
    B* found = w->findChild<B*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Points record recno's memo field at a block far beyond the end of the memo file.
inline void pointMemoOutsideItsFile(const QString& dbfPath, uint32_t recno, const char* field = "MEMO")
{
    uint32_t offset = 0;
    {
        auto t = xbase::Table::open(dbfPath.toStdString());
        offset = t->field(t->fieldIndex(field)).offset;
    }
    QFile f(dbfPath);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QByteArray header = f.read(12);
    const auto u16 = [&](int at) { return uint32_t(uint8_t(header[at])) | uint32_t(uint8_t(header[at + 1])) << 8; };
    const qint64 at = qint64(u16(8)) + qint64(recno - 1) * u16(10) + offset;
    ASSERT_TRUE(f.seek(at));
    ASSERT_EQ(f.write("    999999"), 10);
}

} // namespace qb::test
