#include "envelope_harness.h"

#include "envelopes/tenvelopepanel.h"

#include <QFile>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace qb::fuzz {

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "envelope layout: %s\n", what);
    std::abort();
}

} // namespace

bool envelopeLayoutBytes(const uint8_t* data, size_t size, const QString& folder)
{
    static QWidget* owner = new QWidget;
    static TEnvelopePanel* panel = new TEnvelopePanel(owner);
    panel->clearObjects();
    const QString input = folder + QStringLiteral("/input.E");
    {
        QFile f(input);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fail("cannot write the scratch file");
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        panel->loadFromFile(input);
    } catch (const std::exception&) {
        panel->clearObjects();
        return false;
    }
    // Names are given anew on reading, so the second and third writes must agree.
    const QString first = folder + QStringLiteral("/first.E"), second = folder + QStringLiteral("/second.E"),
                  third = folder + QStringLiteral("/third.E");
    try {
        panel->saveToFile(first);
        panel->clearObjects();
        panel->loadFromFile(first);
        panel->saveToFile(second);
        panel->clearObjects();
        panel->loadFromFile(second);
        panel->saveToFile(third);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        fail("a layout written by us did not read back");
    }
    panel->clearObjects();
    if (bytesOf(second) != bytesOf(third))
        fail("a layout written twice differs");
    return true;
}

} // namespace qb::fuzz
