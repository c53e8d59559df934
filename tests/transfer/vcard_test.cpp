// vCard files: versions 2.1, 3.0 and 4.0 read into address fields, and the
// round trip through python-vobject, an independent implementation.

#include "transfer/export_run.h"
#include "transfer/import_run.h"
#include "transfer/vcard.h"
#include "transfer_fixture.h"

namespace qb {
namespace {

using test::AddressDatabase;
using test::MessageLog;
using test::Row;
using test::rowsOf;
using test::shell;
using xbase::test::readFile;
using xbase::test::writeFile;

using Fields = std::vector<std::pair<std::string, std::string>>;

std::vector<Fields> cardsOf(const std::string& text, std::vector<std::string>* notes = nullptr)
{
    VCardReader reader = VCardReader::fromText(text, "in.vcf");
    std::vector<Fields> out;
    std::vector<std::string> n;
    for (VCard card; reader.next(card);)
        out.push_back(addressOfCard(card, n, "card " + std::to_string(out.size() + 1)));
    if (notes)
        *notes = n;
    return out;
}

TEST(VCard, VersionsAndTheirEncodings)
{
    const struct {
        const char* name;
        std::string text;
        std::vector<Fields> cards;
    } cases[] = {
        {"2.1: quoted-printable over a soft break, a character set, bare types, a folded photo",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;D=C3=B6rte;;;\r\n"
         "FN:D\xF6rte M\xFCller\r\n"
         "ADR;HOME;PREF;ENCODING=QUOTED-PRINTABLE;CHARSET=ISO-8859-1:;;Hauptstra=DFe 1=0D=0A=\r\nHinterhaus;K=F6ln;;50667;Germany\r\n"
         "TEL;CELL:0171 555\r\nTEL;HOME;PREF:0221 555\r\nTEL;WORK;FAX:0221 556\r\n"
         "PHOTO;ENCODING=BASE64;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD\r\n AAAAAAAAAAA\r\n\r\nEMAIL;INTERNET:d@example.de\r\nEND:VCARD\r\n",
         {{{"LNAME", "Müller"}, {"FNAME", "Dörte"}, {"STREET", "Hauptstraße 1"}, {"STREET2", "Hinterhaus"}, {"CITY", "Köln"},
           {"ZIP", "50667"}, {"COUNTRY", "Germany"}, {"PHONE", "0221 555"}, {"PHONE2", "0171 555"}, {"FAX", "0221 556"},
           {"EMAIL", "d@example.de"}}}},
        {"3.0: escapes, folding, a group, two cards, no N",
         "BEGIN:VCARD\nVERSION:3.0\nN:O'Brien;Se\xC3\xA1n;Patrick;Mr.;\nitem1.ORG:Smith\\, Jones & Co;Sales\nTITLE:Chair\n"
         "NOTE:line one\\nline two\\; with a\n  fold\nEND:VCARD\nBEGIN:VCARD\nVERSION:3.0\nFN:Ann Marie Lee\nEND:VCARD\n",
         {{{"LNAME", "O'Brien"}, {"FNAME", "Seán"}, {"MIDDLE", "P"}, {"PREFIX", "Mr."}, {"ORG", "Smith, Jones & Co"}, {"TITLE", "Chair"},
           {"MEMO", "line one\r\nline two; with a fold"}},
          {{"LNAME", "Lee"}, {"FNAME", "Ann Marie"}}}},
        {"4.0: tel addresses, types in quotes, PREF=1, more phones and e-mails to the memo",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Zed;Zo\xC3\xAB;;;\r\nTEL;VALUE=uri;TYPE=\"voice,home\":tel:+1-555-0100\r\n"
         "TEL;VALUE=uri;TYPE=cell;PREF=1:tel:+1-555-0101\r\nTEL;TYPE=work:+1-555-0102\r\n"
         "EMAIL;TYPE=work:z@work.example\r\nEMAIL;PREF=1:z@home.example\r\nADR;TYPE=work:;;1 Main St;Dayton;OH;45401;USA\r\n"
         "ADR;TYPE=home;PREF=1:;;2 Elm St;Troy;OH;45373;\r\nBDAY:--0428\r\nEND:VCARD\r\n",
         {{{"LNAME", "Zed"}, {"FNAME", "Zoë"}, {"STREET", "2 Elm St"}, {"CITY", "Troy"}, {"STATE", "OH"}, {"ZIP", "45373"},
           {"PHONE", "+1-555-0101"}, {"PHONE2", "+1-555-0100"}, {"EMAIL", "z@home.example"},
           {"MEMO", "Address (work): 1 Main St, Dayton, OH, 45401, USA\r\nPhone (work): +1-555-0102\r\nE-mail (work): z@work.example"}}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cardsOf(c.text), c.cards) << c.name;
    std::vector<std::string> notes;
    cardsOf(cases[2].text, &notes);
    EXPECT_EQ(notes, std::vector<std::string>{"card 1, Actual Date: \"--0428\" is not a date; left empty"});
}

// python-vobject writes the cards; we import them, export the records to a
// vCard file again with qbtool, and vobject reads back the same names,
// addresses and phones (the middle name as the initial the field keeps, the
// first two phones and the fax, the other phone in the memo).
TEST(VCard, RoundTripThroughVobject)
{
    MessageLog messages;
    AddressDatabase db;
    const std::string in = db.program.folder().toStdString() + "contacts.vcf";
    shell("/usr/bin/python3 " + test::kWitnesses + "/vcard_witness.py write " + in);
    VCardImportSource source(in, db.t());
    std::vector<std::string> notes;
    ImportRun::Hooks hooks;
    hooks.note = [&](const std::string& n) { notes.push_back(n); };
    const auto r = ImportRun(db.t(), tableImportFields(db.t()), hooks).run(source);
    ASSERT_TRUE(r);
    EXPECT_EQ(importMessage(ImportRun::Kind::Table, *r), "Import complete. Imported 3 records.");
    EXPECT_EQ(notes, std::vector<std::string>{});
    const std::vector<Row> expected{
        {{"LNAME", "Müller"}, {"FNAME", "Dörte"}, {"MIDDLE", "A"}, {"PREFIX", "Dr."}, {"ORG", "Smith, Jones & Co"}, {"TITLE", "Chair"},
         {"STREET", "12 Oak St"}, {"STREET2", "Apt 4"}, {"CITY", "Zürich"}, {"STATE", "ZH"}, {"ZIP", "8001"}, {"COUNTRY", "Switzerland"},
         {"PHONE", "555-0101"}, {"PHONE2", "555-0102"}, {"FAX", "555-0103"}, {"EMAIL", "doerte@example.com"}, {"DATE", "19690720"},
         {"MEMO", "Met at the fair;\r\nlikes tea, not coffee\r\nAddress (work): 1 Main St, Dayton, OH, 45401, USA\r\n"
                  "Phone (home): 555-0104\r\nE-mail: d.mueller@example.org"}},
        {{"LNAME", "O'Brien"}, {"FNAME", "Seán"}, {"STREET", "Flat 2, 9 Quay Road"}, {"CITY", "Cork"}, {"ZIP", "T12 X1Y2"},
         {"COUNTRY", "Ireland"}, {"PHONE", "+353 21 555 0000"}},
        {{"LNAME", "Zed"}, {"FNAME", "Zoë"}, {"PREFIX", "Ms."}, {"ORG", "ACME"}, {"EMAIL", "zoe@example.net"}},
    };
    EXPECT_EQ(rowsOf(db.t()), expected);
    db.table.close();

    const std::string out = db.program.folder().toStdString() + "out.vcf";
    const std::string printed = shell(std::string(QB_QBTOOL) + " export " + db.path.toStdString() + " " + out);
    EXPECT_EQ(printed, "exported 3 records\n");
    EXPECT_EQ(shell("/usr/bin/python3 " + test::kWitnesses + "/vcard_witness.py read " + out),
              "Müller|Dörte|A|Dr.\t12 Oak St|Apt 4|Zürich|ZH|8001|Switzerland\t555-0101,555-0102,555-0103\tdoerte@example.com\n"
              "O'Brien|Seán||\tFlat 2, 9 Quay Road||Cork||T12 X1Y2|Ireland\t+353 21 555 0000\t\n"
              "Zed|Zoë||Ms.\t\t\tzoe@example.net\n");
    // Lines of at most 75 bytes, CR LF.
    const std::string bytes = readFile(out);
    size_t longest = 0;
    for (size_t from = 0, end; (end = bytes.find("\r\n", from)) != std::string::npos; from = end + 2)
        longest = std::max(longest, end - from);
    EXPECT_LE(longest, 75u);
}

} // namespace
} // namespace qb
