#include "design/layout_filer.h"

#include "core/paths.h"
#include "design/class_registry.h"
#include "design/layout_picture.h"
#include "design/property_table.h"
#include "design/tkbasepanel.h"
#include "design/tkgraphiccontrol.h"
#include "design/tkhandle.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <memory>

namespace qb::design {

namespace {

const QByteArray kSignature("TPF0");

LayoutError error(const char* text) { return LayoutError(QString::fromLatin1(text)); }

QString resolved(const QString& fileName) { return resolvePath(fileName); }

void writeProperty(LayoutWriter& w, const TKGraphicControl& object, const PropertyDef& d)
{
    if (d.readOnly)
        return;
    const QVariant v = object.value(d.path);
    const auto isDefault = [&](const QVariant& value) {
        return d.streamDefault && value.toLongLong() == d.streamDefault->toLongLong();
    };
    switch (d.type) {
    case PropType::Integer:
        if (isDefault(v))
            return;
        w.writeShortString(d.path);
        w.writeInteger(v.toInt());
        return;
    case PropType::Bool:
        if (d.streamDefault && v.toBool() == d.streamDefault->toBool())
            return;
        w.writeShortString(d.path);
        w.writeBool(v.toBool());
        return;
    case PropType::Enum: {
        const int i = v.toInt();
        if (isDefault(v) || !d.names || i < 0 || i >= int(d.names->values.size()))
            return;
        w.writeShortString(d.path);
        w.writeIdent(QString::fromLatin1(d.names->values[size_t(i)]));
        return;
    }
    case PropType::Colour: {
        const uint32_t c = v.toUInt();
        if (d.streamDefault && c == d.streamDefault->toUInt())
            return;
        w.writeShortString(d.path);
        if (const auto name = colourName(c))
            w.writeIdent(*name);
        else
            w.writeInteger(int32_t(c));
        return;
    }
    case PropType::Cursor: {
        if (isDefault(v))
            return;
        w.writeShortString(d.path);
        if (const auto name = cursorName(v.toInt()))
            w.writeIdent(*name);
        else
            w.writeInteger(v.toInt());
        return;
    }
    case PropType::Set: {
        const uint bits = v.toUInt();
        if (d.streamDefault && bits == d.streamDefault->toUInt())
            return;
        QStringList members;
        for (size_t i = 0; d.names && i < d.names->values.size(); ++i)
            if (bits & (1u << i))
                members << QString::fromLatin1(d.names->values[i]);
        w.writeShortString(d.path);
        w.writeSet(members);
        return;
    }
    case PropType::String: {
        const QString s = v.toString();
        if (s.isEmpty())
            return;
        w.writeShortString(d.path);
        w.writeString(s);
        return;
    }
    case PropType::Real: {
        const double r = v.toDouble();
        if (r == 0)
            return;
        w.writeShortString(d.path);
        w.writeReal(r);
        return;
    }
    case PropType::StringList: {
        const QStringList lines = v.toStringList();
        if (lines.isEmpty())
            return;
        w.writeShortString(d.path);
        w.writeListBegin();
        for (const QString& line : lines)
            w.writeString(line);
        w.writeListEnd();
        return;
    }
    case PropType::Picture: {
        const LayoutPicture p = v.value<LayoutPicture>();
        if (p.isEmpty())
            return;
        w.writeShortString(d.path);
        w.writeBinary(p.data());
        return;
    }
    }
}

QVariant convert(const PropertyDef& d, const LayoutValue& v)
{
    const auto identOf = [&]() -> QString {
        switch (v.tag) {
        case ValueTag::Ident: return v.text;
        case ValueTag::False: return QStringLiteral("False");
        case ValueTag::True: return QStringLiteral("True");
        case ValueTag::Nil: return QStringLiteral("nil");
        default: throw error(msg::kInvalidPropertyValue);
        }
    };
    switch (d.type) {
    case PropType::Integer:
        if (!v.isInteger())
            throw error(msg::kInvalidPropertyValue);
        return v.integer;
    case PropType::Bool: {
        const QString id = identOf();
        if (id.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (id.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        throw error(msg::kInvalidPropertyValue);
    }
    case PropType::Enum: {
        const int i = d.names ? d.names->indexOf(identOf()) : -1;
        if (i < 0)
            throw error(msg::kInvalidPropertyValue);
        return i;
    }
    case PropType::Colour:
        if (v.isInteger())
            return QVariant::fromValue(uint32_t(v.integer));
        if (const auto c = colourFromName(identOf()))
            return QVariant::fromValue(*c);
        throw error(msg::kInvalidPropertyValue);
    case PropType::Cursor:
        if (v.isInteger())
            return v.integer;
        if (const auto c = cursorFromName(identOf()))
            return *c;
        throw error(msg::kInvalidPropertyValue);
    case PropType::Set: {
        if (v.tag != ValueTag::Set)
            throw error(msg::kInvalidPropertyValue);
        uint bits = 0;
        for (const QString& m : v.members) {
            const int i = d.names ? d.names->indexOf(m) : -1;
            if (i < 0 || i >= 32)
                throw error(msg::kInvalidPropertyValue);
            bits |= 1u << i;
        }
        return QVariant::fromValue(bits);
    }
    case PropType::String:
        if (!v.isString())
            throw error(msg::kInvalidPropertyValue);
        return v.text;
    case PropType::Real:
        if (v.tag == ValueTag::Extended)
            return v.real;
        if (v.isInteger())
            return double(v.integer);
        throw error(msg::kInvalidPropertyValue);
    case PropType::StringList: {
        if (v.tag != ValueTag::List)
            throw error(msg::kInvalidPropertyValue);
        QStringList lines;
        for (const LayoutValue& item : v.list) {
            if (!item.isString())
                throw error(msg::kInvalidPropertyValue);
            lines << item.text;
        }
        return lines;
    }
    case PropType::Picture:
        if (v.tag != ValueTag::Binary)
            throw error(msg::kInvalidPropertyValue);
        return QVariant::fromValue(LayoutPicture::fromData(v.binary));
    }
    throw error(msg::kInvalidPropertyValue);
}

QSet<QString> componentNames(QWidget* owner)
{
    QSet<QString> names;
    if (!owner)
        return names;
    names.insert(owner->objectName());
    for (const QObject* o : owner->findChildren<QObject*>())
        if (!o->objectName().isEmpty())
            names.insert(o->objectName());
    return names;
}

} // namespace

// ---- writing -------------------------------------------------------------------------

void TKLabelObjectFiler::writeObject(LayoutWriter& w, const TKGraphicControl& object)
{
    w.writeBytes(kSignature);
    w.writeShortString(object.designClassName());
    w.writeShortString(object.objectName());
    for (const PropertyDef& d : object.classTable().properties)
        writeProperty(w, object, d);
    w.writeByte(0);   // end of properties
    w.writeByte(0);   // end of children
}

void TKLabelObjectFiler::writeList(LayoutWriter& w, const QList<TKGraphicControl*>& objects)
{
    w.writeListBegin();
    for (const TKGraphicControl* o : objects)
        writeObject(w, *o);
    w.writeListEnd();
}

QList<TKGraphicControl*> TKLabelObjectFiler::objectsOf(QWidget* panel)
{
    QList<TKGraphicControl*> out;
    if (!panel)
        return out;
    for (QObject* child : panel->children())
        if (auto* o = qobject_cast<TKGraphicControl*>(child))
            out << o;
    return out;
}

void TKLabelObjectFiler::writeFile(const QString& fileName, const QByteArray& bytes)
{
    // Unbuffered, so that a disk that fills up shows as a short write: a
    // buffered QSaveFile commits a file cut short without a word.
    QSaveFile file(resolved(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() || !file.commit())
        throw error(msg::kStreamWriteError);
}

QByteArray TKLabelObjectFiler::readFile(const QString& fileName)
{
    QFile file(resolved(fileName));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        throw error(msg::kStreamReadError);
    QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        throw error(msg::kStreamReadError);
    return bytes;
}

// ---- reading -------------------------------------------------------------------------

void TKLabelObjectFiler::readProperty(LayoutReader& r, TKGraphicControl& object, const QString& path)
{
    const ClassTable& table = object.classTable();
    const PropertyDef* d = table.find(path);
    if (!d) {
        // Which part of a dotted path fails decides the message.
        const QStringList parts = path.split(QLatin1Char('.'));
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            const QString prefix = parts.mid(0, i + 1).join(QLatin1Char('.'));
            if (table.isSubObject(prefix))
                continue;
            if (table.find(prefix))
                throw error(msg::kInvalidPropertyPath);
            throw error(msg::kPropertyDoesNotExist);
        }
        if (table.isSubObject(path))
            throw error(msg::kInvalidPropertyValue);   // a sub-object itself takes no value
        throw error(msg::kPropertyDoesNotExist);
    }
    if (d->readOnly)
        throw error(msg::kPropertyReadOnly);
    const LayoutValue v = r.readValue();
    object.setValue(d->path, convert(*d, v));
}

QList<TKGraphicControl*> TKLabelObjectFiler::readList(LayoutReader& r, QWidget* owner, QWidget* parent, QPoint offset)
{
    if (!owner && parent)
        owner = parent->window();
    QSet<QString> names = componentNames(owner);
    QList<TKGraphicControl*> done;
    const auto finish = [&done] {
        for (TKGraphicControl* o : done)
            o->loaded();
    };
    try {
        r.expectListBegin();
        while (!r.endOfList()) {
            if (done.size() >= kMaxObjects)
                throw error(msg::kInvalidStreamFormat);
            if (r.readBytes(4) != kSignature)
                throw error(msg::kInvalidStreamFormat);
            std::optional<int> position;
            const uint8_t first = r.peekByte();
            if ((first & 0xF0) == 0xF0) {
                r.readByte();
                if (first & 0x02)
                    position = r.readInteger();
            }
            const QString className = r.readShortString();
            const QString storedName = r.readShortString();
            const DesignClass* cls = findDesignClass(className);
            const auto* panel = qobject_cast<const TKBasePanel*>(parent);
            if (!cls || (panel && !panel->acceptsKind(className)))
                throw LayoutError(QString::fromLatin1(msg::kClassNotFound).arg(className));
            std::unique_ptr<TKGraphicControl> object(cls->create(*cls->table));
            object->setReading(true);
            object->setParent(parent);
            QString name = storedName;
            for (int n = 0; n <= 1000; ++n) {
                const QString candidate = QStringLiteral("Component%1").arg(n);
                if (!names.contains(candidate)) {
                    name = candidate;
                    break;
                }
            }
            object->setObjectName(name);
            while (!r.endOfList()) {
                const QString path = r.readShortString();
                try {
                    readProperty(r, *object, path);
                } catch (const LayoutError& e) {
                    throw LayoutError(QString::fromLatin1(msg::kErrorReading)
                                          .arg(name.isEmpty() ? object->designClassName() : name, path, e.message()));
                }
            }
            r.readByte();      // end of properties
            r.expectEnd();     // design objects have no children
            if (!offset.isNull())
                object->setBounds(object->left() + offset.x(), object->top() + offset.y(), object->objectWidth(),
                                  object->objectHeight());
            object->setReading(false);
            names.insert(name);
            TKGraphicControl* o = object.release();
            if (parent) {
                const QList<TKGraphicControl*> siblings = objectsOf(parent);
                if (position && *position >= 0 && *position < siblings.size() && siblings[*position] != o)
                    o->stackUnder(siblings[*position]);
                o->show();
            }
            done << o;
        }
        r.readByte();   // end of the list
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return done;
}

// ---- operations ------------------------------------------------------------------------

void TKLabelObjectFiler::SavePanel(QWidget* panel, const QString& fileName)
{
    LayoutWriter w;
    writeList(w, objectsOf(panel));
    writeFile(fileName, w.bytes());
}

void TKLabelObjectFiler::LoadPanel(QWidget* owner, QWidget* panel, const QString& fileName)
{
    if (!QFileInfo::exists(resolved(fileName)))
        return;
    LayoutReader r(readFile(fileName));
    readList(r, owner, panel);
}

void TKLabelObjectFiler::SaveSelection(TKHandle* frame, const QString& fileName)
{
    if (!frame || frame->count() == 0)
        return;
    LayoutWriter w;
    writeList(w, frame->selection());
    writeFile(fileName, w.bytes());
}

void TKLabelObjectFiler::PasteFromFile(QWidget* owner, QWidget* panel, const QString& fileName)
{
    if (!QFileInfo::exists(resolved(fileName)))
        return;
    LayoutReader r(readFile(fileName));
    readList(r, owner, panel, QPoint(15, 15));
}

void TKLabelObjectFiler::SaveObject(TKGraphicControl* object, const QString& fileName)
{
    LayoutWriter w;
    writeList(w, {object});
    writeFile(fileName, w.bytes());
}

TKGraphicControl* TKLabelObjectFiler::CloneObject(TKGraphicControl* object, QWidget* owner, QWidget* panel)
{
    LayoutWriter w;
    writeList(w, {object});
    LayoutReader r(w.bytes());
    const QList<TKGraphicControl*> read = readList(r, owner, panel);
    return read.value(0);
}

void TKLabelObjectFiler::SaveBands(const std::array<QWidget*, 3>& panels, const BandWriter& extra,
                                   const QString& fileName)
{
    LayoutWriter w;
    for (QWidget* p : panels)
        writeList(w, objectsOf(p));
    w.writeListBegin();
    if (extra)
        extra(w);
    w.writeListEnd();
    writeFile(fileName, w.bytes());
}

void TKLabelObjectFiler::LoadBands(QWidget* owner, const std::array<QWidget*, 3>& panels, const BandReader& extra,
                                   const QString& fileName)
{
    if (!QFileInfo::exists(resolved(fileName)))
        return;
    LayoutReader r(readFile(fileName));
    for (QWidget* p : panels)
        readList(r, owner, p);
    r.expectListBegin();
    if (extra)
        extra(r);
    r.expectEnd();
}

} // namespace qb::design
