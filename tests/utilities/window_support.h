#pragma once
// Shared by the utilities' window tests: widgets found by name, grid cells
// opened and typed into as a user does, the reference table and the table's
// files as the disk holds them.

#include "core/address_fixture.h"
#include "core/system_tables.h"
#include "core/ttagallrecords.h"
#include "platform/xbase/table.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <array>
#include <gtest/gtest.h>

namespace qb::test {

template <class B>
B* child(QWidget* w, const char* name)
{
    B* found = w->findChild<B*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Where the table's nth record ends in its file (from the header's lengths).
inline uint64_t recordsEnd(const QString& dbf, uint64_t n)
{
    const QByteArray header = bytesOf(dbf).left(12);
    const auto u16 = [&](int at) { return uint64_t(uint8_t(header[at])) | uint64_t(uint8_t(header[at + 1])) << 8; };
    return u16(8) + n * u16(10);
}

// The table's own files, as the disk holds them.
inline QByteArray tableBytes(const QString& dbf)
{
    QString base = dbf;
    base.chop(4);
    return bytesOf(dbf) + bytesOf(base + ".CDX") + bytesOf(base + ".FPT");
}

inline void writeCsz(const ProgramDir& program, std::initializer_list<std::array<const char*, 4>> rows)
{
    QDir().mkpath(program.folder() + "sysdata");
    auto csz = xbase::Table::create((program.folder() + "sysdata/CSZ.DBF").toStdString(), systemTableFields(SystemTable::CityStateZip));
    for (const auto& r : rows) {
        csz->appendBlank();
        csz->setText("NAME", r[0]);
        csz->setText("STATE", r[1]);
        csz->setText("LOW_ZIP", r[2]);
        csz->setText("HIGH_ZIP", r[3]);
        csz->post();
    }
    csz->createTag("STATE", "UPPER(STATE)");
}

inline int columnTitled(QTableView* view, const QString& title)
{
    for (int c = 0; c < view->model()->columnCount(); ++c)
        if (view->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == title)
            return c;
    ADD_FAILURE() << "no column " << title.toStdString();
    return 0;
}

// Double-clicks the cell, as a user opens it, and types text over what it holds.
inline QLineEdit* typeIntoCell(QTableView* view, int row, int column, const QString& text)
{
    const QModelIndex index = view->model()->index(row, column);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(index));
    EXPECT_NE(editor, nullptr) << "no editor opened";
    if (!editor)
        return nullptr;
    editor->selectAll();
    // Keys for what a keyboard has; the rest comes as an input method or a
    // paste gives it.
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 128;
    if (ascii)
        QTest::keyClicks(editor, text);
    else
        editor->insert(text);
    return editor;
}

// Closes the Tagging window with its Ok once it has finished, as the user would.
inline void closeTaggingWhenDone()
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* t = qobject_cast<TTagAllRecords*>(w); t && t->isVisible() && t->finished()) {
                QTest::mouseClick(t->findChild<QPushButton*>(QStringLiteral("OkButton")), Qt::LeftButton);
                timer->deleteLater();
            }
    });
    timer->start();
}

inline void click(QWidget* window, const char* button) { QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton); }

} // namespace qb::test
