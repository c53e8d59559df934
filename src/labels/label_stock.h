#pragma once
// A label stock: one kind of label sheet, the paper, one label's size and
// shape, how many lie across and down, where the first starts and the pitch
// from one to the next, an optional extra gap in the middle, and where it
// came from in the catalogue. Lengths in inches.

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QImage;

namespace qb {

namespace xbase {
class Table;
}

struct LabelStock {
    QString printer = QStringLiteral("LJ");           // PRINTER: LJ, IJ, DM, LP; empty for a user-defined stock
    double labelHeight = 1.0;                          // LBLHEIGHT
    double labelWidth = 2.625;                         // LBLWIDTH
    int across = 3;                                    // NBRACROSS
    int down = 10;                                     // NBRDOWN
    double topMargin = 0.5;                            // TOPMARG
    double leftMargin = 0.188;                         // LEFTMARG
    double horizontalPitch = 2.765;                    // HORIZPITCH
    double verticalPitch = 1.01;                       // VERTPITCH
    double sheetWidth = 8.5;                           // SHEETWIDTH
    double sheetDepth = 11.0;                          // SHEETDEPTH
    QString paperSize = QStringLiteral("LTR");        // PAPERSIZE
    QString shape = QStringLiteral("RR");             // LBLSHAPE: RR, SR, EL
    QString templateName = QStringLiteral("Avery 5160  Address");   // TPLDESCRIP
    QString manufacturer = QStringLiteral("AVERY");   // MANUFAC; "USER" for a user-defined stock
    QString productType = QStringLiteral("ADDRESS/SHIPPING LABELS");   // PRODTYPE
    double middleExtraX = 0;                           // MIDEXTRAX
    double middleExtraY = 0;                           // MIDEXTRAY
    QString art;                                       // ART

    bool operator==(const LabelStock&) const = default;

    // The stock a new layout starts from is the default one.
    static LabelStock newLayout() { return {}; }

    // The stock columns of the current row of LABEL.DBF or LBLTPL.DBF (whose
    // DESCRIPT becomes the template name); writing rounds to three decimals.
    static LabelStock fromCatalogueRow(const xbase::Table& catalogue);
    static LabelStock fromLayoutRow(const xbase::Table& labels);
    void writeTo(xbase::Table& labels) const;

    int positions() const { return across * down; }
    bool landscape() const;
    // Top-left corner of the label at (row, column), both from 0, on the sheet.
    QPointF labelOrigin(int row, int column) const;
    QRectF labelRect(int row, int column) const;

    // Makes the stock user-defined after the stock editor's Ok.
    void makeUserDefined();
};

// ---- paper --------------------------------------------------------------------

struct PaperEntry {
    const char* code;
    const char* caption;     // as the stock editor lists it
    double widthInches, heightInches;
    double widthMm, heightMm;
    bool landscape;
    bool userDefined;        // the editor leaves the dimensions as they are
};
const std::vector<PaperEntry>& paperTable();
const PaperEntry* paperEntry(const QString& code);

// ---- the catalogue ------------------------------------------------------------

inline const QStringList kManufacturerEntries = {QStringLiteral("Avery Laserjet"), QStringLiteral("Avery Inkjet"),
                                                 QStringLiteral("Avery Dot Matrix"),
                                                 QStringLiteral("Costar LabelPrinter")};
inline const QStringList kProductTypes = {
    QStringLiteral("Address/Shipping Labels"), QStringLiteral("Card Products"), QStringLiteral("Diskette Labels"),
    QStringLiteral("File Folder Labels"),      QStringLiteral("Index Products"), QStringLiteral("Miscellaneous"),
    QStringLiteral("All")};

// The catalogue query for a manufacturer entry, a product type entry and the
// European paper box.
QString catalogueFilter(const QString& manufacturerEntry, const QString& productType, bool europeanOnly);

// Where the template dialog opens for a stock.
struct TemplateStart {
    QString manufacturerEntry;   // upper case; may match no entry of the list
    QString productType;         // an entry of kProductTypes
    bool findTemplate;           // look for the stock's template row
};
TemplateStart templateStart(const LabelStock& stock, bool startFresh);

// ---- the stock editor's rules ----------------------------------------------------

// The first failing check's message, or nullopt when the stock may be used:
// the label at least .3 by .5 inch, the pitches at least the label, the paper
// at least .3 inch each way, the label and the margins within the paper.
std::optional<QString> stockEditorCheck(const LabelStock& stock);
// The largest length the stock columns hold (numeric 6.3).
inline constexpr double kStockLengthMax = 99.999;
// A length typed in the editor's box captioned caption, in millimetres or
// inches: its message when it is not a number from 0 to the largest length
// (as it will be stored), otherwise nullopt with the length in inches.
std::optional<QString> stockLengthCheck(const QString& caption, const QString& typed, bool millimetres, double& inches);
// Millimetres typed in the editor as inches, rounded to three decimals.
double millimetresToInches(double mm);

// ---- pictures ---------------------------------------------------------------------

// The names of the product pictures the program carries.
const QStringList& artNames();
// A picture of the sheet drawn from its geometry: the paper and every label
// in its shape, scaled to fit size.
QImage stockPicture(const LabelStock& stock, const QSize& size);
// The same sheet as outlines on white, for drawing behind a design.
QImage stockOutline(const LabelStock& stock, const QSize& size);

} // namespace qb
