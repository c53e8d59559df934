#pragma once
// A label panel inside an owner window, the program folder in a scratch
// folder, every class registered and a clock the test moves by hand.

#include "core/paths.h"
#include "design/class_registry.h"
#include "design/layout_stream.h"
#include "design/tkgraphiccontrol.h"
#include "design/tkhandle.h"
#include "design/tklabelpanel.h"
#include "platform/xbase/test_support.h"

#include <QApplication>
#include <QByteArray>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace qb::design::test {

// Bytes written as a layout file shows them: short strings, raw hex and tags.
class Bytes {
public:
    Bytes& hex(const char* h)
    {
        bytes_ += QByteArray::fromHex(h);
        return *this;
    }
    Bytes& str(const char* s)   // a short string: length byte + characters
    {
        bytes_ += char(qstrlen(s));
        bytes_ += s;
        return *this;
    }
    Bytes& raw(const char* s)
    {
        bytes_ += s;
        return *this;
    }
    Bytes& raw(const QByteArray& b)
    {
        bytes_ += b;
        return *this;
    }
    const QByteArray& bytes() const { return bytes_; }
    operator QByteArray() const { return bytes_; }

private:
    QByteArray bytes_;
};

class DesignFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramFolder::setPath(QString::fromStdString(dir.path().string()));
        registerAllClasses();
        setDesignClockForTesting([this] { return now; });
        owner = std::make_unique<QWidget>();
        owner->resize(600, 400);
        panel = new TKLabelPanel(owner.get());
        panel->setGeometry(0, 0, 400, 300);
        owner->show();
    }
    // The panel mechanics and the file format are tested on plain objects of
    // the base class, whatever the kinds do in their own dialogs and setters.
    static void usePlainObjects()
    {
        for (const QString& name : builtinClassNames())
            registerDesignClass(*builtinClassTable(name), [](const ClassTable& t) { return new TKGraphicControl(t); });
    }
    void TearDown() override
    {
        owner.reset();
        setDesignClockForTesting({});
    }

    QString file(const char* name) const { return QString::fromStdString(dir.file(name)); }

    TKGraphicControl* place(const char* className, QRect r)
    {
        const DesignClass* cls = findDesignClass(QString::fromLatin1(className));
        TKGraphicControl* o = cls->create(*cls->table);
        o->loaded();
        panel->addObject(o, r);
        return o;
    }

    // Mouse events sent straight to a widget, with the buttons and keys held.
    static void send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
                     Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, mods);
        QApplication::sendEvent(w, &e);
    }
    static void press(QWidget* w, QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier,
                      Qt::MouseButton b = Qt::LeftButton)
    {
        send(w, QEvent::MouseButtonPress, pos, b, b, mods);
    }
    static void move(QWidget* w, QPoint pos, Qt::MouseButtons held = Qt::LeftButton)
    {
        send(w, QEvent::MouseMove, pos, Qt::NoButton, held);
    }
    static void release(QWidget* w, QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier,
                        Qt::MouseButton b = Qt::LeftButton)
    {
        send(w, QEvent::MouseButtonRelease, pos, b, Qt::NoButton, mods);
    }

    xbase::test::ScratchDir dir;
    qint64 now = 1'000'000;
    std::unique_ptr<QWidget> owner;
    TKLabelPanel* panel = nullptr;
};

} // namespace qb::design::test
