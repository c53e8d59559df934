#include "labels/label_stock.h"

#include "core/ascii.h"
#include "platform/xbase/table.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace qb {

namespace {

QString text(const xbase::Table& t, const char* field)
{
    return t.fieldIndex(field) < 0 ? QString() : QString::fromStdString(t.text(field));
}
double number(const xbase::Table& t, const char* field) { return t.fieldIndex(field) < 0 ? 0.0 : t.number(field); }
double round3(double v) { return std::round(v * 1000.0) / 1000.0; }

LabelStock fromRow(const xbase::Table& t)
{
    LabelStock s;
    s.printer = text(t, "PRINTER");
    s.labelHeight = number(t, "LBLHEIGHT");
    s.labelWidth = number(t, "LBLWIDTH");
    s.across = int(number(t, "NBRACROSS"));
    s.down = int(number(t, "NBRDOWN"));
    s.topMargin = number(t, "TOPMARG");
    s.leftMargin = number(t, "LEFTMARG");
    s.horizontalPitch = number(t, "HORIZPITCH");
    s.verticalPitch = number(t, "VERTPITCH");
    s.sheetWidth = number(t, "SHEETWIDTH");
    s.sheetDepth = number(t, "SHEETDEPTH");
    s.paperSize = text(t, "PAPERSIZE");
    s.shape = text(t, "LBLSHAPE");
    s.manufacturer = text(t, "MANUFAC");
    s.productType = text(t, "PRODTYPE");
    s.middleExtraX = number(t, "MIDEXTRAX");
    s.middleExtraY = number(t, "MIDEXTRAY");
    s.art = text(t, "ART");
    return s;
}

} // namespace

LabelStock LabelStock::fromCatalogueRow(const xbase::Table& catalogue)
{
    LabelStock s = fromRow(catalogue);
    s.templateName = text(catalogue, "DESCRIPT");
    return s;
}

LabelStock LabelStock::fromLayoutRow(const xbase::Table& labels)
{
    LabelStock s = fromRow(labels);
    s.templateName = text(labels, "TPLDESCRIP");
    return s;
}

void LabelStock::writeTo(xbase::Table& t) const
{
    const auto put = [&t](const char* field, const QString& value) { t.setText(field, value.toStdString()); };
    const auto num = [&t](const char* field, double value) { t.setNumber(field, round3(value)); };
    put("PRINTER", printer);
    num("LBLHEIGHT", labelHeight);
    num("LBLWIDTH", labelWidth);
    num("NBRACROSS", across);
    num("NBRDOWN", down);
    num("TOPMARG", topMargin);
    num("LEFTMARG", leftMargin);
    num("HORIZPITCH", horizontalPitch);
    num("VERTPITCH", verticalPitch);
    num("SHEETWIDTH", sheetWidth);
    num("SHEETDEPTH", sheetDepth);
    put("PAPERSIZE", paperSize);
    put("LBLSHAPE", shape);
    put("TPLDESCRIP", templateName);
    put("MANUFAC", manufacturer);
    put("PRODTYPE", productType);
    num("MIDEXTRAX", middleExtraX);
    num("MIDEXTRAY", middleExtraY);
    put("ART", art);
}

bool LabelStock::landscape() const
{
    const PaperEntry* paper = paperEntry(paperSize);
    return paper && paper->landscape;
}

QPointF LabelStock::labelOrigin(int row, int column) const
{
    double x = leftMargin + column * horizontalPitch;
    double y = topMargin + row * verticalPitch;
    if (middleExtraX > 0 && column >= across / 2)
        x += middleExtraX;
    if (middleExtraY > 0 && row >= down / 2)
        y += middleExtraY;
    return {x, y};
}

QRectF LabelStock::labelRect(int row, int column) const
{
    return QRectF(labelOrigin(row, column), QSizeF(labelWidth, labelHeight));
}

void LabelStock::makeUserDefined()
{
    manufacturer = QStringLiteral("USER");
    templateName.clear();
    printer.clear();
    productType.clear();
    art.clear();
    middleExtraX = middleExtraY = 0;
}

const std::vector<PaperEntry>& paperTable()
{
    static const std::vector<PaperEntry> table = {
        {"LTR", "Letter (8.5 x 11\")", 8.5, 11, 215.9, 279.4, false, false},
        {"LTRL", "Letter Landscape (11 x 8.5\")", 11, 8.5, 279.4, 215.9, true, false},
        {"A4", "A4 (210 x 297mm)", 8.27, 11.69, 210.058, 296.926, false, false},
        {"A4L", "A4 Landscape ( 297 x 210mm)", 11.69, 8.27, 296.926, 210.058, true, false},
        {"A5", "A5 (148 x 210mm)", 5.82, 8.27, 147.828, 210.058, false, false},
        {"USERP", "Other Portrait (User Defined)", 0, 0, 0, 0, false, true},
        {"USERL", "Other Landscape (User Defined)", 0, 0, 0, 0, true, true},
    };
    return table;
}

const PaperEntry* paperEntry(const QString& code)
{
    for (const PaperEntry& p : paperTable())
        if (code.trimmed().compare(QLatin1String(p.code), Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

QString catalogueFilter(const QString& manufacturerEntry, const QString& productType, bool europeanOnly)
{
    const QString m = asciiUpper(manufacturerEntry);
    QString out;
    const auto append = [&out](const QString& part) {
        if (part.isEmpty())
            return;
        if (!out.isEmpty())
            out += QStringLiteral(" and ");
        out += part;
    };
    if (m.contains(QLatin1String("AVERY")))
        append(QStringLiteral(" UPPER(manufac)=\"AVERY\" "));
    else if (m.contains(QLatin1String("NEBS")))
        append(QStringLiteral(" UPPER(manufac)=\"NEBS\" "));
    else if (m.contains(QLatin1String("COSTAR")))
        append(QStringLiteral(" UPPER(manufac)=\"COSTAR\" "));
    if (m.contains(QLatin1String("LASERJET")))
        append(QStringLiteral(" UPPER(printer)=\"LJ\" "));
    else if (m.contains(QLatin1String("INKJET")))
        append(QStringLiteral(" UPPER(printer)=\"IJ\" "));
    else if (m.contains(QLatin1String("DOT MATRIX")))
        append(QStringLiteral(" UPPER(printer)=\"DM\" "));
    else if (m.contains(QLatin1String("LABELPRINTER")))
        append(QStringLiteral(" UPPER(printer)=\"LP\" "));
    const qsizetype product = kProductTypes.indexOf(productType);
    if (product >= 0 && product < kProductTypes.size() - 1)
        append(QStringLiteral(" UPPER(PRODTYPE)=\"") + asciiUpper(productType) + QStringLiteral("\" "));
    if (europeanOnly)
        append(QStringLiteral(" (\"A4\"$UPPER(PAPERSIZE) OR \"A5\"$UPPER(PAPERSIZE))"));
    return out;
}

TemplateStart templateStart(const LabelStock& stock, bool startFresh)
{
    QString manufacturer = stock.manufacturer.trimmed().toUpper();
    QString printer = stock.printer.trimmed().toUpper();
    QString product = stock.productType.trimmed();
    bool find = true;
    if (manufacturer == QLatin1String("USER") || startFresh) {
        manufacturer = QStringLiteral("AVERY");
        printer = QStringLiteral("LJ");
        product = QStringLiteral("ADDRESS/SHIPPING LABELS");
        find = false;
    }
    QString entry = QStringLiteral("AVERY LASERJET");
    if (manufacturer == QLatin1String("AVERY") && printer == QLatin1String("IJ"))
        entry = QStringLiteral("AVERY INKJET");
    else if (manufacturer == QLatin1String("AVERY") && printer == QLatin1String("DM"))
        entry = QStringLiteral("AVERY DOT MATRIX");
    else if (manufacturer == QLatin1String("NEBS") && printer == QLatin1String("LJ"))
        entry = QStringLiteral("NEBS LASERJET");
    else if (manufacturer == QLatin1String("NEBS") && printer == QLatin1String("DM"))
        entry = QStringLiteral("NEBS DOT MATRIX");
    else if (manufacturer == QLatin1String("COSTAR"))
        entry = QStringLiteral("COSTAR LABELPRINTER");
    QString productEntry = QStringLiteral("All");
    for (const QString& p : kProductTypes)
        if (p.compare(product, Qt::CaseInsensitive) == 0)
            productEntry = p;
    return {entry, productEntry, find};
}

std::optional<QString> stockEditorCheck(const LabelStock& s)
{
    if (s.labelHeight < 0.3)
        return QStringLiteral("Label Height must be at least .3 inches (or 7mm)");
    if (s.labelWidth < 0.5)
        return QStringLiteral("Label Width must be at least .5 inch (or 13mm)");
    if (s.across >= 2 && s.labelWidth > s.horizontalPitch)
        return QStringLiteral("Horizontal Pitch must be at least = Label Width");
    if (s.down >= 2 && s.labelHeight > s.verticalPitch)
        return QStringLiteral("Vertical Pitch must be at least = Label Height");
    if (s.sheetWidth < 0.3)
        return QStringLiteral("Page Width must be at least .3 inch");
    if (s.sheetDepth < 0.3)
        return QStringLiteral("Page Height must be at least .3 inches");
    // A label or a margin beyond the paper cannot print.
    if (s.labelWidth > s.sheetWidth)
        return QStringLiteral("Label Width must not be more than the Paper Width");
    if (s.labelHeight > s.sheetDepth)
        return QStringLiteral("Label Height must not be more than the Paper Height");
    if (s.leftMargin >= s.sheetWidth)
        return QStringLiteral("Left Margin must be less than the Paper Width");
    if (s.topMargin >= s.sheetDepth)
        return QStringLiteral("Top Margin must be less than the Paper Height");
    return std::nullopt;
}

std::optional<QString> stockLengthCheck(const QString& caption, const QString& typed, bool millimetres, double& inches)
{
    bool number = false;
    const double value = typed.trimmed().toDouble(&number);
    const double stored = millimetres ? millimetresToInches(value) : round3(value);
    // What LABEL.DBF's numeric 6.3 columns hold, negative lengths aside.
    if (!number || !std::isfinite(value) || stored < 0 || stored > kStockLengthMax)
        return caption + QStringLiteral(" must be a number from 0 to 99.999 inches (or 0 to 2540mm)");
    inches = millimetres ? stored : value;
    return std::nullopt;
}

double millimetresToInches(double mm) { return round3(mm / 25.4); }

const QStringList& artNames()
{
    static const QStringList names = {
        QStringLiteral("AV12295"), QStringLiteral("AV12297"), QStringLiteral("AV2180"), QStringLiteral("AV4160"),
        QStringLiteral("AV4161"),  QStringLiteral("AV4168"),  QStringLiteral("AV4169"), QStringLiteral("AV4266"),
        QStringLiteral("AV5097"),  QStringLiteral("AV5196"),  QStringLiteral("AV5198"), QStringLiteral("AV5305"),
        QStringLiteral("AV5385"),  QStringLiteral("AV5386"),  QStringLiteral("AV5391"), QStringLiteral("AV5766"),
        QStringLiteral("AV5776"),  QStringLiteral("AV5824"),  QStringLiteral("AV5895"), QStringLiteral("AV5896"),
        QStringLiteral("AV8166"),  QStringLiteral("AVWSD5"),  QStringLiteral("AVWSD8"), QStringLiteral("AVWSI13"),
        QStringLiteral("AVWSI15")};
    return names;
}

namespace {

// The paper and every label in its shape, scaled to fit size, centred.
QImage drawSheet(const LabelStock& stock, const QSize& size, QColor desk, QColor paper, const QBrush& labels)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(desk);
    if (stock.sheetWidth <= 0 || stock.sheetDepth <= 0 || size.isEmpty())
        return image;
    const double scale = std::min((size.width() - 4) / stock.sheetWidth, (size.height() - 4) / stock.sheetDepth);
    const QSizeF sheet(stock.sheetWidth * scale, stock.sheetDepth * scale);
    const QPointF at((size.width() - sheet.width()) / 2, (size.height() - sheet.height()) / 2);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(at, sheet), paper);
    p.setPen(QPen(Qt::darkGray, 1));
    p.drawRect(QRectF(at, sheet));
    p.setBrush(labels);
    // A sheet of more labels than the editor allows is not drawn label by label.
    const int across = std::clamp(stock.across, 0, 10), down = std::clamp(stock.down, 0, 30);
    for (int r = 0; r < down; ++r)
        for (int c = 0; c < across; ++c) {
            const QRectF inches = stock.labelRect(r, c);
            const QRectF box(at + inches.topLeft() * scale, inches.size() * scale);
            if (stock.shape == QLatin1String("EL"))
                p.drawEllipse(box);
            else if (stock.shape == QLatin1String("RR"))
                p.drawRoundedRect(box, std::min(box.width(), box.height()) / 8, std::min(box.width(), box.height()) / 8);
            else
                p.drawRect(box);
        }
    return image;
}

} // namespace

QImage stockPicture(const LabelStock& stock, const QSize& size)
{
    return drawSheet(stock, size, QColor(160, 160, 160), Qt::white, QColor(235, 240, 250));
}

QImage stockOutline(const LabelStock& stock, const QSize& size)
{
    return drawSheet(stock, size, Qt::white, Qt::white, Qt::NoBrush);
}

} // namespace qb
