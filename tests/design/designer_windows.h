#pragma once
// The designers driven as a user drives them: closed with Esc or the
// window's close box, the question about unsaved work answered with a real
// click on its button; zoomed with the zoom buttons.

#include "core/address_fixture.h"
#include "core/system_tables.h"
#include "design/class_registry.h"
#include "design/tkbasepanel.h"
#include "design/tkgraphiccontrol.h"
#include "design/tkhandle.h"
#include "platform/xbase/table.h"
#include "qstring_print.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>
#include <QToolButton>

#include <gtest/gtest.h>

namespace qb::test {

// A program folder with one address record and the catalogue of one kind of
// design open under its print screen, whose designer the tests drive.
template <class Screen, SystemTable Catalogue>
class DesignScreenFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        design::registerAllClasses();
        const QString path = program.data("add0001.DBF");
        ASSERT_TRUE(createAddressTable(path, FieldLengths::settingsDefaults()));
        ASSERT_TRUE(addresses.open(path));
        addRow(addresses.table(), {{"LNAME", "Adams"}, {"FNAME", "Ann"}, {"STREET", "12 Elm St"},
                                   {"CITY", "Springfield"}, {"STATE", "IL"}, {"ZIP", "62701"}});
        addresses.table().setFilter("!ISDEL");
        addresses.table().first();
        catalogue = openSystemTable(Catalogue, xbase::OpenMode::Exclusive);
        ASSERT_TRUE(catalogue);
        screen = std::make_unique<Screen>(*catalogue, addresses, false);
        screen->show();
    }

    // The highlighted row's description and layout file.
    QString description() { return QString::fromStdString(catalogue->text("DESCRIPT")).trimmed(); }
    QString layoutFile() { return program.folder() + "sysdata/" + QString::fromStdString(catalogue->text("BINARY")).trimmed(); }

    static void put(design::TKBasePanel* panel, const char* className, QRect r)
    {
        const design::DesignClass* cls = design::findDesignClass(QLatin1String(className));
        design::TKGraphicControl* o = cls->create(*cls->table);
        o->loaded();
        panel->addObject(o, r);
    }
    static void oneText(design::TKBasePanel* panel) { put(panel, "TKPLabel", QRect(10, 10, 80, 20)); }

    ProgramDir program;
    MessageLog log;
    AddressTable addresses;
    std::unique_ptr<xbase::Table> catalogue;
    std::unique_ptr<Screen> screen;
};

enum class CloseBy { Escape, CloseBox };

// One way of closing a changed designer and what must follow.
struct CloseCase {
    const char* name;
    CloseBy by;
    QMessageBox::StandardButton answer;
    bool staysOpen;
    bool saves;
};

inline constexpr CloseCase kCloseCases[] = {
    {"Esc, Cancel", CloseBy::Escape, QMessageBox::Cancel, true, false},
    {"Esc, No", CloseBy::Escape, QMessageBox::No, false, false},
    {"Esc, Yes", CloseBy::Escape, QMessageBox::Yes, false, true},
    {"close box, Cancel", CloseBy::CloseBox, QMessageBox::Cancel, true, false},
    {"close box, No", CloseBy::CloseBox, QMessageBox::No, false, false},
    {"close box, Yes", CloseBy::CloseBox, QMessageBox::Yes, false, true},
};

inline QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// After a changed design was closed as c says: saved, the description typed
// and the moved object are stored; otherwise description and file are as
// they were, byte for byte.
inline void expectCloseOutcome(const CloseCase& c, const QString& described, const QString& descriptionNow,
                               const QByteArray& before, const QByteArray& fileNow)
{
    if (c.saves) {
        EXPECT_EQ(descriptionNow, described + " 2");
        EXPECT_NE(fileNow, before);
    } else {
        EXPECT_EQ(descriptionNow, described);
        EXPECT_EQ(fileNow, before);
    }
}

// Every close case on a stored design: openChangeAndClose opens it in its
// designer, changes it and closes it as the case says (changeAndClose), the
// question expected being the one given; then the outcome is checked.
inline void expectEveryCloseCase(const QString& file, const QString& title, const std::function<QString()>& description,
                                 const std::function<void(const CloseCase&, const QString&)>& openChangeAndClose)
{
    for (const CloseCase& c : kCloseCases) {
        SCOPED_TRACE(c.name);
        const QByteArray before = bytesOf(file);
        const QString described = description();
        openChangeAndClose(c, title + "|Save changes to " + described + " 2?");
        expectCloseOutcome(c, described, description(), before, bytesOf(file));
    }
}

// Zoom sequences saved again and again store the file saved at 100 percent.
struct ZoomSequence {
    const char* name;
    std::initializer_list<int> percents;
};
inline void expectZoomedSavesAreTheHundredPercentFile(const QString& file, std::initializer_list<ZoomSequence> sequences,
                                                      const std::function<void(std::initializer_list<int>)>& zoomAndSave)
{
    zoomAndSave({});
    const QByteArray hundred = bytesOf(file);
    ASSERT_FALSE(hundred.isEmpty());
    for (const ZoomSequence& s : sequences)
        for (int save = 1; save <= 3; ++save) {
            zoomAndSave(s.percents);
            EXPECT_EQ(bytesOf(file), hundred) << s.name << ", save " << save;
        }
}

// Clicks answer in every question box that comes up while it lives and
// keeps the questions' texts.
class QuestionAnswerer {
public:
    explicit QuestionAnswerer(QMessageBox::StandardButton answer) : answer_(answer)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->windowTitle() + "|" + box->text();
                if (QAbstractButton* b = box->button(answer_))
                    b->click();
            }
        });
        timer_.start(20);
    }
    QStringList texts;

private:
    QMessageBox::StandardButton answer_;
    QTimer timer_;
};

// Esc goes to the control that has the focus, as the keyboard sends it.
inline void closeDesigner(QDialog& designer, CloseBy by)
{
    if (by == CloseBy::CloseBox) {
        designer.close();
        return;
    }
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus && focus->window() == &designer ? focus : &designer, Qt::Key_Escape);
}

// On a designer that shows: types " 2" after the description, moves the
// panel's first object a pixel right with the keyboard, closes the window
// as c says and answers the question. The question must be question; a
// designer left open must still hold the moved object, and is then closed
// with its Cancel button. True when the designer closed with Save.
inline bool changeAndClose(QDialog& designer, design::TKBasePanel* panel, QLineEdit* description,
                           const CloseCase& c, const QString& question)
{
    QTest::keyClicks(description, " 2");
    design::TKGraphicControl* object = panel->designObjects().value(0);
    EXPECT_NE(object, nullptr);
    if (!object)
        return false;
    const QRect was = object->bounds();
    QTest::mouseClick(object, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClick(panel->handle(), Qt::Key_Right);
    EXPECT_EQ(object->bounds(), was.translated(1, 0));

    QuestionAnswerer answer(c.answer);
    closeDesigner(designer, c.by);
    QTest::qWait(50);
    EXPECT_EQ(answer.texts.join(" / "), question);
    EXPECT_EQ(designer.isVisible(), c.staysOpen);
    if (designer.isVisible()) {
        EXPECT_EQ(object->bounds(), was.translated(1, 0));
        EXPECT_EQ(description->text().right(2), " 2");
        designer.findChild<QPushButton*>("CancelButton")->click();
    }
    return designer.result() == QDialog::Accepted;
}

// Closing an unchanged designer asks nothing.
inline void closeUnchanged(QDialog& designer, CloseBy by)
{
    QuestionAnswerer answer(QMessageBox::Cancel);
    closeDesigner(designer, by);
    QTest::qWait(50);
    EXPECT_TRUE(answer.texts.isEmpty());
    EXPECT_FALSE(designer.isVisible());
}

// Clicks the zoom buttons until the caption reads percent.
inline void zoomTo(QWidget& designer, int percent)
{
    auto* caption = designer.findChild<QToolButton*>("ZoomButton");
    for (int i = 0; i < 20 && caption->text() != QString::number(percent) + "%"; ++i) {
        const int now = caption->text().chopped(1).toInt();
        designer.findChild<QToolButton*>(now < percent ? "ZoomInButton" : "ZoomOutButton")->click();
    }
    EXPECT_EQ(caption->text(), QString::number(percent) + "%");
}

// Zooms through percents with the zoom buttons, letting the designer draw
// at each, then types in the description and saves.
inline void zoomThroughAndSave(QDialog& designer, std::initializer_list<int> percents)
{
    for (int percent : percents) {
        zoomTo(designer, percent);
        QTest::qWait(20);   // drawn at that zoom, so objects fit themselves to it
    }
    QTest::keyClicks(designer.findChild<QLineEdit*>("LabelSetupDescription"), "z");
    designer.findChild<QPushButton*>("SaveButton")->click();
}

// Waits until the designer's first activation has run.
template <typename Designer>
bool waitReady(Designer& designer)
{
    for (int i = 0; i < 500 && !designer.ready(); ++i)
        QTest::qWait(10);
    QTest::qWait(20);
    return designer.ready();
}

} // namespace qb::test
