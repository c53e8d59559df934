// qbtool: the table engine from the command line, for scripts and checks.
// Output is plain and stable; errors go to stderr with exit status 1.

#include "platform/xbase/expression.h"
#include "platform/xbase/settings.h"
#include "platform/xbase/table.h"
#include "qbtool_commands.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using namespace qb::xbase;

namespace {

const char* kUsage =
    "usage: qbtool COMMAND FILE [ARGS]\n"
    "  info FILE                     header, fields and tags (of a single-order FILE.idx: its tag and keys)\n"
    "  dump FILE [--tag T|X.idx] [--limit N] [--fields A,B] [--filter EXPR] [--deleted]\n"
    "                                one record a line: number, then values, tab-separated\n"
    "  count FILE EXPR [--deleted]   how many records pass EXPR\n"
    "  seek FILE TAG KEY             record number of the first key match, or 0\n"
    "  index FILE TAG EXPR           build (or rebuild) a tag\n"
    "  reindex FILE                  rebuild every tag\n"
    "  pack FILE                     remove deleted-marked records\n"
    "  check FILE                    verify table, memo file and index (or a single-order FILE.idx)\n"
    "  testpage OUT.pdf [PAGES]      a test page (or PAGES pages) through the print engine into a PDF\n"
    "  printers                      the printers a job can print on\n"
    "  labels DATABASE LAYOUT OUT.pdf [--program DIR] [--filter EXPR] [--presort] [--copies N]\n"
    "                                print a stored label layout for the records into a PDF\n"
    "  import DATABASE SOURCE [--map FIELD=COLUMN,...] [--version 1|2]\n"
    "                                append a text file's or a table's records, print the count\n"
    "  export DATABASE OUT.(csv|dbf) [--filter EXPR] [--tag T]\n"
    "                                copy the records out to text or a new table, print the count\n"
    "  envelopes DATABASE LAYOUT OUT.pdf [--program DIR] [--filter EXPR] [--feed O,F,P[,cw]] [--paper NAME]\n"
    "                                print a stored envelope layout, one envelope a page, into a PDF\n"
    "  letters DATABASE TEMPLATE OUT.pdf [--program DIR] [--filter EXPR] [--copies N]\n"
    "                                merge a stored letter template with the records into a PDF\n"
    "  report DATABASE REPORT OUT.pdf [--program DIR] [--filter EXPR]\n"
    "  report DATABASE OUT.pdf --builtin N [--title T] [--memo] [--codes] [--filter EXPR]\n"
    "                                print a stored report or built-in list N into a PDF\n"
    "  dial PORT NUMBER [--init S] [--pulse]\n"
    "                                send a direct dial's modem commands to PORT (COM1-COM4 or a device)\n"
    "  telephony                     the telephony line voice calls would use, or why there is none\n"
    "  zipcount DATABASE [--filter EXPR] [--pdf OUT.pdf]\n"
    "                                the zip code count's lines, and its printed list into a PDF\n"
    "  statezip DATABASE [--program DIR] [--blanks]\n"
    "                                the records with questionable state or zip, by name\n"
    "  duplicates DATABASE [--kind name|initial|street] [--chars N]\n"
    "                                the possible duplicates, in name or street order\n"
    "  standardize DATABASE [--program DIR] [--apply]\n"
    "                                the addresses' changes to the postal standard form; --apply writes them\n"
    "  undo DATABASE [--list]        put back the newest restore point of a bulk change, or list them\n"
    "Records carrying the deleted mark are skipped unless --deleted is given.\n";

struct Args {
    std::vector<std::string> positional;
    std::string tag, fields, filter;
    long limit = -1;
    bool deleted = false;
};

Args parse(int argc, char** argv)
{
    Args a;
    for (int i = 2; i < argc; ++i) {
        const std::string s = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw XbaseError({}, "option " + s + " needs a value");
            return argv[++i];
        };
        if (s == "--tag")
            a.tag = value();
        else if (s == "--limit")
            a.limit = std::stol(value());
        else if (s == "--fields")
            a.fields = value();
        else if (s == "--filter")
            a.filter = value();
        else if (s == "--deleted")
            a.deleted = true;
        else if (s.rfind("--", 0) == 0)
            throw XbaseError({}, "unknown option " + s);
        else
            a.positional.push_back(s);
    }
    return a;
}

void need(const Args& a, size_t n)
{
    if (a.positional.size() != n)
        throw XbaseError({}, std::string("wrong number of arguments\n") + kUsage);
}

// Tabs and line breaks inside values would break the one-record-a-line form.
std::string escape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

const char* typeName(KeyType t)
{
    switch (t) {
    case KeyType::Character: return "C";
    case KeyType::Numeric: return "N";
    case KeyType::Date: return "D";
    case KeyType::Logical: return "L";
    }
    return "?";
}

// A single-order index file (.idx) rather than a table.
bool isIndexFile(const std::string& path)
{
    return path.size() > 4 && (path.compare(path.size() - 4, 4, ".idx") == 0 || path.compare(path.size() - 4, 4, ".IDX") == 0);
}

int indexFileInfo(const std::string& path)
{
    auto f = CdxFile::openSingle(path, true);
    const TagInfo& tag = f->tagAt(0)->info();
    uint64_t keys = 0;
    auto c = f->tagAt(0)->cursor();
    for (bool ok = c->first(); ok; ok = c->next())
        ++keys;
    std::cout << "file\t" << path << "\n"
              << "tag\t" << tag.name << "\t" << tag.keyExpr << "\t" << typeName(tag.keyType) << "\t" << tag.keyLength
              << (tag.forExpr.empty() ? "" : "\tFOR " + tag.forExpr) << "\n"
              << "keys\t" << keys << "\n";
    return 0;
}

int info(const Args& a)
{
    need(a, 1);
    if (isIndexFile(a.positional[0]))
        return indexFileInfo(a.positional[0]);
    auto t = Table::open(a.positional[0], OpenMode::ReadOnly);
    char version[8];
    std::snprintf(version, sizeof version, "0x%02X", t->version());
    std::cout << "file\t" << t->path() << "\n"
              << "version\t" << version << "\n"
              << "records\t" << t->recordCount() << "\n"
              << "codepage\t" << int(t->codePage()) << "\n"
              << "fields\t" << t->fieldCount() << "\n";
    for (int i = 0; i < t->fieldCount(); ++i) {
        const Field& f = t->field(i);
        std::cout << "field\t" << f.name << "\t" << f.type << "\t" << f.length << "\t" << int(f.decimals) << "\n";
    }
    if (!t->indexError().empty())
        std::cout << "index\tunreadable: " << t->indexError() << "\n";
    else if (!t->indexFileName().empty())
        std::cout << "index\t" << t->indexFileName() << "\n";
    for (int n = 1; n <= t->tagCount(); ++n) {
        const TagInfo tag = t->tagInfo(n);
        std::cout << "tag\t" << tag.name << "\t" << tag.keyExpr << "\t" << typeName(tag.keyType) << "\t" << tag.keyLength
                  << (tag.forExpr.empty() ? "" : "\tFOR " + tag.forExpr) << "\n";
    }
    return 0;
}

void selectTag(Table& t, const std::string& tag)
{
    if (isIndexFile(tag)) {
        t.selectOrder(t.openIndexFile(tag));
        return;
    }
    if (!tag.empty() && t.selectOrder(tag) == 0)
        throw XbaseError(t.path(), "no usable tag named " + tag);
}

int dump(const Args& a)
{
    need(a, 1);
    auto t = Table::open(a.positional[0], OpenMode::ReadOnly);
    selectTag(*t, a.tag);
    std::vector<std::string> fields;
    if (a.fields.empty()) {
        for (int i = 0; i < t->fieldCount(); ++i)
            fields.push_back(t->field(i).name);
    } else {
        std::stringstream ss(a.fields);
        for (std::string f; std::getline(ss, f, ',');) {
            if (t->fieldIndex(f) < 0)
                throw XbaseError(t->path(), "no field named " + f);
            fields.push_back(f);
        }
    }
    if (!a.filter.empty())
        t->setFilter(a.filter);
    long n = 0;
    for (bool ok = t->first(); ok && (a.limit < 0 || n < a.limit); ok = t->next(), ++n) {
        std::cout << t->recno();
        for (const auto& f : fields)
            std::cout << '\t' << escape(t->text(f));
        std::cout << '\n';
    }
    return 0;
}

int count(const Args& a)
{
    need(a, 2);
    auto t = Table::open(a.positional[0], OpenMode::ReadOnly);
    std::cout << t->count(a.positional[1]) << "\n";
    return 0;
}

int seek(const Args& a)
{
    need(a, 3);
    auto t = Table::open(a.positional[0], OpenMode::ReadOnly);
    selectTag(*t, a.positional[1]);
    std::cout << (t->seek(a.positional[2]) ? t->recno() : 0) << "\n";
    return 0;
}

int index(const Args& a)
{
    need(a, 3);
    auto t = Table::open(a.positional[0], OpenMode::Exclusive);
    std::cout << t->createTag(a.positional[1], a.positional[2]) << "\n";
    return 0;
}

int reindex(const Args& a)
{
    need(a, 1);
    Table::open(a.positional[0], OpenMode::Exclusive)->reindex();
    return 0;
}

int pack(const Args& a)
{
    need(a, 1);
    auto t = Table::open(a.positional[0], OpenMode::Exclusive);
    t->pack();
    for (const Table::LostMemo& lost : t->lostMemos())
        std::cerr << "qbtool: record " << lost.recno << " (record " << lost.formerRecno << " before the pack) kept without its "
                  << lost.field << ": " << lost.why << "\n";
    std::cout << t->recordCount() << "\n";
    return 0;
}

int check(const Args& a)
{
    need(a, 1);
    std::vector<std::string> faults;
    if (isIndexFile(a.positional[0])) {
        try {
            for (const std::string& f : CdxFile::openSingle(a.positional[0], true)->check())
                faults.push_back(a.positional[0] + ": " + f);
        } catch (const XbaseError& e) {
            faults.push_back(e.what());
        }
    } else {
        faults = Table::open(a.positional[0], OpenMode::ReadOnly)->check();
    }
    for (const auto& f : faults)
        std::cout << f << "\n";
    if (faults.empty())
        std::cout << "ok\n";
    return faults.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        (argc < 2 ? std::cerr : std::cout) << kUsage;
        return argc < 2 ? 1 : 0;
    }
    const std::string command = argv[1];
    try {
        for (auto run : {printCommand, layoutCommand, labelsCommand, transferCommand, lettersCommand, envelopesCommand, dialCommand, reportCommand, utilitiesCommand})
            if (const int status = run(command, argc, argv); status >= 0)
                return status;
        const Args a = parse(argc, argv);
        engineSettings().skipDeleted = !a.deleted;
        if (command == "info") return info(a);
        if (command == "dump") return dump(a);
        if (command == "count") return count(a);
        if (command == "seek") return seek(a);
        if (command == "index") return index(a);
        if (command == "reindex") return reindex(a);
        if (command == "pack") return pack(a);
        if (command == "check") return check(a);
        std::cerr << "qbtool: unknown command " << command << "\n" << kUsage;
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "qbtool: " << e.what() << "\n";
        return 1;
    }
}
