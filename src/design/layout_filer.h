#pragma once
// TKLabelObjectFiler: writes design objects to layout files and reads them
// back. A file is a sequence of lists (01 ... 00); a list holds object records:
//
//   "TPF0"                     signature
//   short string               class name ("TKPLabel")
//   short string               object name
//   property entries           short-string path ("Left", "Font.Name") + value
//   00                         end of properties
//   00                         end of children (design objects have none)
//
// Values use the encoding of layout_stream.h. A reader also accepts a prefix
// byte F0..FF before the class name: bit 1 of its low four bits announces an
// integer child position that follows; bit 0 (inherited) is ignored. Properties
// are written in the order of the class tables (property_table.h), only when
// they differ from a declared default; strings only when not empty.
//
// Reading stops at the first fault with a LayoutError carrying the system's
// message; the objects read completely before it stay on the panel, the one
// being read is destroyed.

#include "design/layout_stream.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <array>
#include <functional>

class QWidget;

namespace qb::design {

class TKGraphicControl;
class TKHandle;

class TKLabelObjectFiler {
public:
    using BandWriter = std::function<void(LayoutWriter&)>;
    using BandReader = std::function<void(LayoutReader&)>;

    // Every design object child of panel, in child order.
    static void SavePanel(QWidget* panel, const QString& fileName);
    // Nothing when the file does not exist.
    static void LoadPanel(QWidget* owner, QWidget* panel, const QString& fileName);
    // Nothing, and the file untouched, when nothing is selected.
    static void SaveSelection(TKHandle* frame, const QString& fileName);
    // As LoadPanel, each object moved 15 pixels right and down.
    static void PasteFromFile(QWidget* owner, QWidget* panel, const QString& fileName);
    static void SaveObject(TKGraphicControl* object, const QString& fileName);
    static TKGraphicControl* CloneObject(TKGraphicControl* object, QWidget* owner, QWidget* panel);
    // Three panels' lists in the given order, then a list the callback fills.
    static void SaveBands(const std::array<QWidget*, 3>& panels, const BandWriter& extra, const QString& fileName);
    static void LoadBands(QWidget* owner, const std::array<QWidget*, 3>& panels, const BandReader& extra,
                          const QString& fileName);

    // ---- building blocks ---------------------------------------------------------
    static void writeObject(LayoutWriter& w, const TKGraphicControl& object);
    static void writeList(LayoutWriter& w, const QList<TKGraphicControl*>& objects);
    // One list into parent; names unique within owner. Objects are Loaded.
    static QList<TKGraphicControl*> readList(LayoutReader& r, QWidget* owner, QWidget* parent, QPoint offset = {});
    // One property entry's value into object (the path already read).
    static void readProperty(LayoutReader& r, TKGraphicControl& object, const QString& path);
    static QList<TKGraphicControl*> objectsOf(QWidget* panel);

    // Written to a temporary name and renamed into place; "Stream write error".
    static void writeFile(const QString& fileName, const QByteArray& bytes);
    // The whole file; "Stream read error" when it cannot be read or is absurdly large.
    static QByteArray readFile(const QString& fileName);
    static constexpr qint64 kMaxFileSize = 256ll << 20;
    static constexpr int kMaxObjects = 10000;   // per list
};

} // namespace qb::design
