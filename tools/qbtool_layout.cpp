// qbtool layout dump FILE        every object of a layout file: class, name, properties
// qbtool layout roundtrip IN OUT  reads a layout (one panel, or a report's three
//                                  bands and its values) and writes it again

#include "qbtool_commands.h"

#include "design/class_registry.h"
#include "design/layout_filer.h"
#include "design/layout_picture.h"
#include "design/tkbasepanel.h"

#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <memory>

using namespace qb::design;

namespace {

std::string text(const QString& s) { return s.toStdString(); }

std::string describe(const QString& path, const LayoutValue& v)
{
    switch (v.tag) {
    case ValueTag::Int8:
    case ValueTag::Int16:
    case ValueTag::Int32: return std::to_string(v.integer);
    case ValueTag::Extended: return QString::number(v.real, 'g', 17).toStdString();
    case ValueTag::String:
    case ValueTag::LString: return "'" + text(v.text) + "'";
    case ValueTag::Ident: return text(v.text);
    case ValueTag::False: return "False";
    case ValueTag::True: return "True";
    case ValueTag::Nil: return "nil";
    case ValueTag::Set: return "[" + text(v.members.join(QStringLiteral(", "))) + "]";
    case ValueTag::Binary:
        if (path.compare(QLatin1String("Picture.Data"), Qt::CaseInsensitive) == 0) {
            try {
                const LayoutPicture p = LayoutPicture::fromData(v.binary);
                return text(p.graphicClass()) + " " + std::to_string(p.size().width()) + "x" +
                       std::to_string(p.size().height()) + " (" + std::to_string(v.binary.size()) + " bytes)";
            } catch (const LayoutError& e) {
                return "(" + std::to_string(v.binary.size()) + " bytes: " + text(e.message()) + ")";
            }
        }
        return "(" + std::to_string(v.binary.size()) + " bytes)";
    case ValueTag::List: {
        std::string out = "(";
        for (size_t i = 0; i < v.list.size(); ++i)
            out += (i ? ", " : "") + describe(QString(), v.list[i]);
        return out + ")";
    }
    case ValueTag::Collection: {
        std::string out = "<";
        for (size_t i = 0; i < v.items.size(); ++i) {
            out += i ? "; " : "";
            if (v.items[i].index)
                out += "[" + std::to_string(*v.items[i].index) + "] ";
            for (const auto& [p, value] : v.items[i].properties)
                out += text(p) + " = " + describe(p, value) + " ";
        }
        return out + ">";
    }
    case ValueTag::End: break;
    }
    return "?";
}

// One list: object records, or plain values (a report's last list); printed
// when out is given. Returns whether it held values rather than records.
bool scanList(LayoutReader& r, int number, std::ostream* out)
{
    r.expectListBegin();
    bool values = false;
    if (out)
        *out << "list " << number << "\n";
    while (!r.endOfList()) {
        if (!r.startsWith("TPF0")) {
            values = true;
            const LayoutValue v = r.readValue();
            if (out)
                *out << "  value " << describe(QString(), v) << "\n";
            continue;
        }
        r.readBytes(4);
        const uint8_t first = r.peekByte();
        std::string position;
        if ((first & 0xF0) == 0xF0) {
            r.readByte();
            if (first & 0x02)
                position = " at " + std::to_string(r.readInteger());
        }
        const QString cls = r.readShortString();
        const QString name = r.readShortString();
        if (out)
            *out << "  " << text(cls) << " " << text(name) << position << "\n";
        while (!r.endOfList()) {
            const QString path = r.readShortString();
            if (out)
                *out << "    " << text(path) << " = " << std::flush;
            const LayoutValue v = r.readValue();
            if (out)
                *out << describe(path, v) << "\n";
        }
        r.readByte();
        r.expectEnd();
    }
    r.readByte();
    return values;
}

int dump(const QString& fileName)
{
    LayoutReader r(TKLabelObjectFiler::readFile(fileName));
    for (int n = 1; !r.atEnd(); ++n)
        scanList(r, n, &std::cout);
    return 0;
}

// How many lists the file holds: 1 for a label or envelope, 4 for a report.
int listCount(const QByteArray& bytes)
{
    LayoutReader r(bytes);
    int n = 0;
    while (!r.atEnd()) {
        scanList(r, n + 1, nullptr);
        ++n;
    }
    return n;
}

int roundtrip(const QString& in, const QString& out)
{
    registerAllClasses();
    const QByteArray bytes = TKLabelObjectFiler::readFile(in);
    QWidget owner;
    std::array<TKDataPanel*, 3> panels{new TKDataPanel(&owner), new TKDataPanel(&owner), new TKDataPanel(&owner)};
    int lists = 0;
    try {
        lists = listCount(bytes);
    } catch (const LayoutError&) {
        lists = 0;   // records are not plain values; the reader below says what is wrong
    }
    if (lists == 4) {
        std::vector<LayoutValue> extra;
        TKLabelObjectFiler::LoadBands(&owner, {panels[0], panels[1], panels[2]}, [&](LayoutReader& r) {
            while (!r.endOfList())
                extra.push_back(r.readValue());
        }, in);
        // As the designers save: data objects without the values they showed.
        for (TKDataPanel* p : panels)
            p->prepareForSave();
        TKLabelObjectFiler::SaveBands({panels[0], panels[1], panels[2]}, [&](LayoutWriter& w) {
            for (const LayoutValue& v : extra)
                w.writeValue(v);
        }, out);
    } else {
        TKLabelObjectFiler::LoadPanel(&owner, panels[0], in);
        panels[0]->prepareForSave();
        TKLabelObjectFiler::SavePanel(panels[0], out);
    }
    int objects = 0;
    for (TKDataPanel* p : panels)
        objects += int(p->designObjects().size());
    std::cout << objects << " objects\n";
    return 0;
}

} // namespace

int layoutCommand(const std::string& command, int argc, char** argv)
{
    if (command != "layout")
        return -1;
    const std::string usage = "usage: qbtool layout dump FILE | qbtool layout roundtrip IN OUT\n";
    if (argc < 4) {
        std::cerr << usage;
        return 1;
    }
    const std::string sub = argv[2];
    auto app = ensureApplication(argc, argv);
    try {
        if (sub == "dump" && argc == 4)
            return dump(QString::fromLocal8Bit(argv[3]));
        if (sub == "roundtrip" && argc == 5)
            return roundtrip(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    } catch (const LayoutError& e) {
        std::cout << std::flush;
        std::cerr << "qbtool: " << e.what() << "\n";
        return 1;
    }
    std::cerr << usage;
    return 1;
}
