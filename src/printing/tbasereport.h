#pragma once
// The page operations every printout uses. A job is set up (units, margins,
// printer, page range), then RunJob calls the producing callback, inside which
// the caller moves a cursor over the page, prints text into tab cells, draws
// shapes and breaks pages. Positions are in the job's units (inches here) from
// the paper's top-left corner; the cursor's Y is the text baseline.
//
// Subclasses say where the pages go: TCanvasReport draws on the selected
// printer, TReportFiler records them into a TPageStream.

#include "platform/printer/printer_backend.h"
#include "printing/page_stream.h"
#include "printing/print_types.h"

#include <QFont>
#include <QFontMetricsF>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QLabel>

namespace qb {

// Replaces each "%" code of format: %% a percent sign, %0..%9 the lines of
// text, %P the page, %F/%L the page range, %D/%R/%T device, driver and port;
// anything else becomes "<ERROR-%c>". Letters are compared upper-case.
struct StatusValues {
    int page = 0, firstPage = 0, lastPage = 0;
    QStringList text;
    QString device, driver, port;
};
QString formatStatus(const QString& format, const StatusValues& values);

// Each of red, green and blue moved towards white: c + (100 - p) * (255 - c) / 100,
// p clamped to 0..100 (100 the colour itself, 0 white).
QColor ShadeColor(const QColor& colour, int percent);

// The family drawn for a family name of the stored designs: the metric-compatible
// Liberation fonts stand in for "Arial", "Times New Roman" and "Courier New".
QString drawnFontFamily(const QString& family);

class TBaseReport : public QObject {
    Q_OBJECT
public:
    explicit TBaseReport(QObject* parent = nullptr);
    ~TBaseReport() override;

    // ---- events (each optional) ----
    std::function<void()> OnBeforePrint, OnPrint, OnNewPage, OnPrintHeader, OnPrintFooter, OnAfterPrint,
        OnNewColumn, OnEndOfSection;
    // Produces one page; returns whether more pages follow.
    std::function<bool()> OnPrintPage;

    // ---- configuration ----
    Units units() const { return units_; }
    void setUnits(Units units);
    double UnitsFactor() const { return unitsFactor_; }
    void setUnitsFactor(double factor);

    double MarginLeft() const { return fromIn(marginLeft_); }
    double MarginRight() const { return fromIn(marginRight_); }
    double MarginTop() const { return fromIn(marginTop_); }
    double MarginBottom() const { return fromIn(marginBottom_); }
    void setMarginLeft(double v);
    void setMarginRight(double v);
    void setMarginTop(double v);
    void setMarginBottom(double v);

    LineHeightMethod lineHeightMethod() const { return lineHeightMethod_; }
    void setLineHeightMethod(LineHeightMethod m) { lineHeightMethod_ = m; }
    int LinesPerInch() const { return linesPerInch_; }
    void setLinesPerInch(int lines);
    // Sets a line height of the caller's and switches to lhmUser.
    void setLineHeight(double height);

    Orientation orientation() const { return orientation_; }
    void setOrientation(Orientation o);
    int Copies() const { return copies_; }
    void setCopies(int copies);
    int FirstPage() const { return firstPage_; }
    int LastPage() const { return lastPage_; }
    void setFirstPage(int page) { firstPage_ = page; }
    void setLastPage(int page) { lastPage_ = page; }
    QString Title() const { return title_; }
    void setTitle(const QString& title) { title_ = title.left(31); }

    QLabel* StatusLabel() const { return statusLabel_; }
    void setStatusLabel(QLabel* label) { statusLabel_ = label; }
    QString StatusFormat() const { return statusFormat_; }
    void setStatusFormat(const QString& format) { statusFormat_ = format; }
    QStringList& StatusText() { return statusText_; }
    void setStatusText(const QStringList& lines) { statusText_ = lines; }

    int TabShade() const { return tabShade_; }
    void setTabShade(int percent);
    // The colour tab shading lightens (black unless set).
    QColor tabShadeColor() const { return tabShadeColor_; }
    void setTabShadeColor(const QColor& c) { tabShadeColor_ = c; }
    TextBKMode textBKMode() const { return textBKMode_; }
    void setTextBKMode(TextBKMode m) { textBKMode_ = m; }
    double ScaleX() const { return scaleX_; }
    double ScaleY() const { return scaleY_; }
    void setScaleX(double percent) { scaleX_ = percent > 0 ? percent : 100.0; }
    void setScaleY(double percent) { scaleY_ = percent > 0 ? percent : 100.0; }

    // ---- job control ----
    // Runs the job; true when the document was completed (never after an
    // abort or a failure, whose text LastError() then gives). An exception
    // thrown by a callback ends the job as a failure.
    bool RunJob();
    // Nothing more is printed; a document on a printer queue is cancelled at once.
    void AbortJob()
    {
        aborted_ = true;
        if (running_)
            deviceAbort();
    }
    bool Aborted() const { return aborted_; }
    bool Running() const { return running_; }
    bool Completed() const { return completed_; }
    QString LastError() const { return lastError_; }
    void BreakPage();
    int CurrentPage() const { return page_; }
    // Pages of the last run that reached the output (those inside the range).
    int printedPages() const { return printedPages_; }
    void RefreshStatus();
    // The status line RefreshStatus writes.
    QString statusLine() const;

    // ---- printer selection ----
    QStringList PrinterNames();
    int SelectedPrinter() const { return selected_; }
    // -1 selects the system's default printer.
    void SelectPrinter(int index);
    // The printer of that list entry (or device name); an unknown name selects
    // the default printer.
    void SelectPrinterByName(const QString& name);
    QStringList BinNames() const;
    QStringList PaperNames() const;
    // The current paper source and paper; empty when the printer reports none.
    QString BinName() const;
    QString PaperName() const;
    // Unknown names select the printer's default source / paper.
    void SelectBinByName(const QString& name);
    void SelectPaperByName(const QString& name);
    // A standard paper by its code (1 Letter, 9 A4, ...); any other code asks
    // for a custom paper of width x height in units (ignored when either is 0
    // or less).
    void SetPaperSize(int code, double height, double width);
    // Where the "PDF file" printer writes; empty asks the user when the job starts.
    QString pdfFileName() const { return settings_.pdfPath; }
    void setPdfFileName(const QString& path) { settings_.pdfPath = path; }
    const printer::PrinterSettings& printerSettings() const { return settings_; }
    void setPrinterSettings(const printer::PrinterSettings& s);

    // ---- page geometry and area ----
    double PageWidth() const { return fromIn(geometry_.paper.width()); }
    double PageHeight() const { return fromIn(geometry_.paper.height()); }
    double OffsetLeft() const { return fromIn(geometry_.unprintable.left()); }
    double OffsetRight() const { return fromIn(geometry_.unprintable.right()); }
    double OffsetTop() const { return fromIn(geometry_.unprintable.top()); }
    double OffsetBottom() const { return fromIn(geometry_.unprintable.bottom()); }
    double AreaLeft() const { return fromIn(areaLeft_); }
    double AreaRight() const { return fromIn(areaRight_); }
    double AreaTop() const { return fromIn(areaTop_); }
    double AreaBottom() const { return fromIn(areaBottom_); }
    void setAreaLeft(double v);
    void setAreaRight(double v);
    void setAreaTop(double v);
    void setAreaBottom(double v);
    void ResetArea();
    void SetXOffset(double x) { xOffset_ = toIn(x); }

    // ---- cursor and lines ----
    double CursorX() const { return fromIn(cursorX_); }
    double CursorY() const { return fromIn(cursorY_); }
    void MoveCursor(double x, double y);
    void CursorHome();
    void NextLine();
    int RemainingLines() const;
    double LineHeight() const { return fromIn(lineHeightIn()); }
    double AscentHeight() const;
    double DescentHeight() const { return fromIn(descentIn()); }
    double FontHeight() const { return fromIn(fontSize_ / 72.0); }

    // ---- text ----
    void EmitText(const QString& text);
    void EmitLine(const QString& text);
    void TextLeftAt(const QString& text, double x);
    void TextCenteredAt(const QString& text, double x);
    void TextRightAt(const QString& text, double x);
    void TextJustified(const QString& text, double x, double width);
    void ClippedText(double x1, double y1, double x2, double y2, double x, double y, const QString& text);
    double TextWidth(const QString& text) const;

    // ---- fonts ----
    void ApplyFont(const QString& name, double size);
    void SetBold(bool on);
    void SetItalic(bool on);
    void SetUnderline(bool on);
    void SetStrikeOut(bool on);
    void SetFontColor(const QColor& c);
    // Degrees counter-clockwise; ApplyFont resets it to 0.
    void SetFontRotation(double degrees);
    QString FontName() const { return fontName_; }
    double FontSize() const { return fontSize_; }
    bool FontBold() const { return bold_; }
    bool FontItalic() const { return italic_; }

    // ---- tab cells ----
    // position < 0 follows the previous cell; margin in hundredths of an inch.
    void AddTab(double position, int align, double width, int margin, int box, int shade);
    void ClearTabs();
    void SaveTabs();
    void RestoreTabs();
    void NextTab(int left = kNoOverride, int right = kNoOverride, int top = kNoOverride, int bottom = kNoOverride,
                 int shade = kNoOverride);
    // Start + margin of cell n (1 = first; 0 = the active cell); 0 when there is none.
    double TabLeft(int n) const;
    int tabCount() const { return int(tabs_.size()); }

    // ---- drawing ----
    void PenMoveTo(double x, double y);
    void PenLineTo(double x, double y);
    void DrawRectangle(double x1, double y1, double x2, double y2);
    void DrawEllipse(double x1, double y1, double x2, double y2);
    void DrawRoundRect(double x1, double y1, double x2, double y2, double cornerWidth, double cornerHeight);
    // width < 0: hundredths of an inch (at least one device pixel); otherwise device pixels.
    void SetPen(const QColor& colour, PenStyle style, PenMode mode, int width);
    void SetBrush(const QColor& colour, BrushStyle style, const QImage& pattern = {});
    QColor penColor() const { return penColor_; }
    QColor brushColor() const { return brushColor_; }
    // The output device's pixel rectangle of a rectangle in units.
    QRect DeviceRect(double x1, double y1, double x2, double y2) const;
    // picture's bounding rectangle stretched into deviceRect.
    void DrawPicture(const QRect& deviceRect, const QPicture& picture);
    void DrawPicture(const QRect& deviceRect, const QImage& image);
    // A picture drawn in design pixels (96 per inch) with its (0, 0) at (x, y)
    // in units; designSize is the part of the picture that is printed
    // (the picture's bounding rectangle when empty).
    void DrawDesignPicture(const QPicture& picture, double x, double y, QSizeF designSize = {});
    void DrawBitmap(const QImage& bitmap, double left, double top, double right, double bottom);

    // Device pixels per inch of the output, scaling included.
    double devicePixelsPerInchX() const { return devicePpiX() * scaleX_ / 100.0; }
    double devicePixelsPerInchY() const { return devicePpiY() * scaleY_ / 100.0; }

    static constexpr double kDesignPixelsPerInch = 96.0;

protected:
    // ---- what a kind of output provides ----
    virtual double devicePpiX() const = 0;
    virtual double devicePpiY() const = 0;
    // False (after telling the user) when the job cannot start at all.
    virtual bool checkDevice() { return true; }
    virtual void deviceBeginDocument() {}
    // A page inside the range begins.
    virtual void deviceBeginPage() = 0;
    virtual void deviceDraw(DrawCommand&& command) = 0;
    // discard: the document was aborted or failed.
    virtual void deviceEndDocument(bool discard) = 0;
    virtual void deviceAbort() {}
    virtual bool outputIsPreview() const = 0;

    // Output happens: the job runs, is not aborted and the page is in range.
    bool drawing() const { return running_ && outputOn_ && !aborted_; }
    void requireRunning(const char* operation) const;
    void requireIdle(const char* operation) const;
    void refreshGeometry();
    // The device's resolution changed: fonts are made again.
    void invalidateFont()
    {
        deviceFont_.reset();
        metrics_.reset();
        glyphInk_.reset();
    }

    double toIn(double v) const { return v / unitsFactor_; }
    double fromIn(double in) const { return in * unitsFactor_; }
    double devX(double xIn) const { return (xIn + xOffset_) * devicePixelsPerInchX(); }
    double devY(double yIn) const { return yIn * devicePixelsPerInchY(); }
    QRectF devRect(double x1In, double y1In, double x2In, double y2In) const;

    printer::PrinterSettings settings_;
    printer::PageGeometry geometry_;

private:
    void startFirstPage();
    void beginOutputPage();
    void fire(const std::function<void()>& event) { if (event) event(); }
    void resetFont();
    const QFont& deviceFont() const;
    const QFontMetricsF& metrics() const;
    double lineHeightIn() const;
    double descentIn() const;
    double widthIn(const QString& text) const;
    bool inkInside(const QString& text, QPointF origin, const QRectF& clip) const;
    void setStyle(bool& style, bool on);
    void printAt(double leftIn, const QString& text);
    void printInCell(const TabCell& cell, const QString& text);
    void justifiedAt(const QString& text, double xIn, double widthIn);
    QPen devicePen(int widthCode) const;
    QBrush deviceBrush() const;
    void drawShape(ShapeCommand::Kind kind, double x1, double y1, double x2, double y2, QSizeF radii = {});
    const TabCell* activeCell() const;
    bool pageInRange(int page) const { return page >= firstPage_ && page <= lastPage_; }

    Units units_ = Units::unInch;
    double unitsFactor_ = 1.0;
    double marginLeft_ = 0, marginRight_ = 0, marginTop_ = 0, marginBottom_ = 0;
    double areaLeft_ = 0, areaRight_ = 0, areaTop_ = 0, areaBottom_ = 0;
    LineHeightMethod lineHeightMethod_ = LineHeightMethod::lhmFont;
    int linesPerInch_ = 6;
    double userLineHeight_ = 1.0 / 6;
    Orientation orientation_ = Orientation::poDefault;
    int copies_ = 1;
    int firstPage_ = 1;
    int lastPage_ = kAllPages;
    QString title_ = QStringLiteral("Quillbase");
    QPointer<QLabel> statusLabel_;
    QString statusFormat_ = QStringLiteral("Printing Page %p\r%0\r%1");
    QStringList statusText_{QString(), QString()};
    int tabShade_ = 0;
    QColor tabShadeColor_ = Qt::black;
    TextBKMode textBKMode_ = TextBKMode::bkTransparent;
    double scaleX_ = 100.0, scaleY_ = 100.0;

    bool running_ = false;
    bool aborted_ = false;
    bool completed_ = false;
    bool outputOn_ = false;
    QString lastError_;
    int page_ = 0;
    int printedPages_ = 0;
    double cursorX_ = 0, cursorY_ = 0;
    double xOffset_ = 0;
    double penX_ = 0, penY_ = 0;

    std::vector<TabCell> tabs_;
    int tabIndex_ = -1;
    std::vector<std::vector<TabCell>> tabStack_;

    QString fontName_;
    double fontSize_ = 10;
    bool bold_ = false, italic_ = false, underline_ = false, strikeOut_ = false;
    QColor fontColor_ = Qt::black;
    double fontRotation_ = 0;
    mutable std::optional<QFont> deviceFont_;
    mutable std::optional<QFontMetricsF> metrics_;
    // Advance and ink box of each Latin-1 character in the device font.
    struct GlyphInk {
        enum State : signed char { Unknown, Missing, Blank, Inked };
        double advance = 0, left = 0, right = 0, top = 0, bottom = 0;
        State state = Unknown;
    };
    mutable std::unique_ptr<std::array<GlyphInk, 256>> glyphInk_;

    QColor penColor_ = Qt::black;
    PenStyle penStyle_ = PenStyle::psSolid;
    int penWidth_ = 1;
    QColor brushColor_ = Qt::white;
    BrushStyle brushStyle_ = BrushStyle::bsSolid;
    QImage brushPattern_;

    QList<printer::PrinterEntry> printers_;
    int selected_ = -1;
};

} // namespace qb
