// Every menu of the main window gives each of its items a letter of its own,
// so Alt and a letter always reach one item.

#include "core/address_fixture.h"
#include "mainwindow/taddressmain.h"

#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

namespace qb::test {
namespace {

// The letter after a single '&' ("&&" is a plain ampersand), upper-cased; none when there is none.
QChar mnemonic(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return caption[i + 1].toUpper();
    }
    return {};
}

// Each letter used more than once among the menu's visible items, with the items.
QStringList repeatedLetters(const QString& menu, const QList<QAction*>& actions)
{
    QMap<QChar, QStringList> byLetter;
    for (QAction* a : actions)
        if (a->isVisible() && !a->isSeparator())
            if (const QChar m = mnemonic(a->text()); !m.isNull())
                byLetter[m] << a->text();
    QStringList out;
    for (auto it = byLetter.cbegin(); it != byLetter.cend(); ++it)
        if (it.value().size() > 1)
            out << menu + ": " + it.key() + " in " + it.value().join(", ");
    return out;
}

TEST(MenuMnemonics, NoMenuGivesALetterToTwoItems)
{
    ProgramDir program;
    MessageLog log;
    QDir().mkpath(program.folder() + "sysdata");
    Settings::program().setBoolean("Misc", "GettingStarted", true);
    TAddressMain window;
    window.show();
    QTest::qWait(50);

    QStringList repeated = repeatedLetters("menu bar", window.menuBar()->actions());
    int menus = 0;
    QList<QMenu*> pending;
    for (QAction* a : window.menuBar()->actions())
        if (a->menu())
            pending << a->menu();
    while (!pending.isEmpty()) {
        QMenu* menu = pending.takeFirst();
        ++menus;
        repeated << repeatedLetters(menu->title(), menu->actions());
        for (QAction* a : menu->actions())
            if (a->menu())
                pending << a->menu();
    }
    EXPECT_GE(menus, 8);   // File, Import, Edit, Record, Sort, Utilities, Print, Help
    EXPECT_TRUE(repeated.isEmpty()) << repeated.join('\n').toStdString();
}

} // namespace
} // namespace qb::test
