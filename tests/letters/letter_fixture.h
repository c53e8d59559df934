#pragma once
// Shared by the letter tests: a program folder with an address database and
// LETTER.DBF, letter templates written as RTF, and messages caught.

#include "core/address_fixture.h"
#include "core/system_tables.h"
#include "letters/letter_catalogue.h"
#include "platform/richtext/rich_text.h"
#include "platform/xbase/table.h"
#include "qstring_print.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTextDocument>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace qb::test {

// An RTF letter in 12-point Arial on a Letter page with 1-inch margins, one
// paragraph for each entry of paragraphs; "\page" in an entry breaks the page.
inline QString rtfLetter(const QStringList& paragraphs)
{
    QString rtf = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\paperw12240\\paperh15840\\margl1440\\margr1440"
                                 "\\margt1440\\margb1440\\f0\\fs24 ");
    for (const QString& p : paragraphs)
        rtf += p + QStringLiteral("\\par ");
    return rtf + QLatin1Char('}');
}

// A logo of one colour as PNG bytes.
inline QByteArray pngLogo(QSize size, QColor colour)
{
    QImage logo(size, QImage::Format_RGB32);
    logo.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    logo.save(&buffer, "PNG");
    return png;
}

class LetterFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(program.folder() + "sysdata");
        ASSERT_TRUE(createAddressTable(path(), FieldLengths::settingsDefaults()));
        ASSERT_TRUE(addresses.open(path()));
    }

    QString path() const { return program.data("add0001.DBF"); }

    void add(const std::vector<Row>& rows)
    {
        for (const Row& r : rows)
            addRow(addresses.table(), r);
        addresses.table().setFilter("!ISDEL");
        addresses.table().selectOrder("LNAME");
        addresses.table().first();
    }

    // Stores a template in LETTER.DBF, which is left closed.
    void storeTemplate(const QString& description, const QString& rtf)
    {
        auto table = openSystemTable(SystemTable::Letter, xbase::OpenMode::Exclusive);
        ASSERT_NE(table, nullptr);
        LetterCatalogue catalogue(*table);
        richtext::RichText text;
        text.setRtf(rtf);
        ASSERT_TRUE(catalogue.save(true, description, text));
    }

    ProgramDir program;
    MessageLog log;
    AddressTable addresses;
};

} // namespace qb::test
