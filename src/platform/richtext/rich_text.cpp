#include "platform/richtext/rich_text.h"

#include "platform/richtext/picture.h"
#include "platform/richtext/rtf_writer.h"
#include "platform/richtext/text_units.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QRegularExpression>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <cmath>

namespace qb::richtext {

namespace {

// The device print documents are measured on: nothing is ever painted on it,
// it only gives the text layout its resolution.
class LayoutDevice : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        const int dpi = int(RichText::kLayoutResolution);
        switch (m) {
        case PdmWidth: return 22 * dpi;
        case PdmHeight: return 22 * dpi;
        case PdmWidthMM:
        case PdmHeightMM: return 559;
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return dpi;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }
};

LayoutDevice& layoutDevice()
{
    static LayoutDevice device;
    return device;
}

double twipsToLayout(int twips) { return twips * RichText::kLayoutResolution / kTwipsPerInch; }

// Brings the indents of every paragraph to the given scale (see
// kIndentScaleProperty): the layout's for a print document, 1 for an editor's.
void scaleIndents(QTextDocument& doc, double scale)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextBlockFormat f = b.blockFormat();
        const double now = f.hasProperty(kIndentScaleProperty) ? f.doubleProperty(kIndentScaleProperty) : 1.0;
        if (now == scale)
            continue;
        const double k = scale / now;
        f.setLeftMargin(f.leftMargin() * k);
        f.setRightMargin(f.rightMargin() * k);
        f.setTextIndent(f.textIndent() * k);
        if (scale == 1.0)
            f.clearProperty(kIndentScaleProperty);
        else
            f.setProperty(kIndentScaleProperty, scale);
        QTextCursor(b).setBlockFormat(f);
    }
}

double layoutIndentScale() { return RichText::kLayoutResolution / twipsToUnits(kTwipsPerInch); }

} // namespace

RichText::RichText(Layout layout) : layout_(layout), doc_(std::make_unique<QTextDocument>())
{
    setUp();
}

RichText::~RichText() = default;

void RichText::setUp()
{
    doc_->setDocumentMargin(0);
    registerPictures(*doc_);
    doc_->setUndoRedoEnabled(false);
    scaleIndents(*doc_, layout_ == Layout::Print ? layoutIndentScale() : 1.0);
    doc_->setUndoRedoEnabled(layout_ == Layout::Editor);
    if (layout_ == Layout::Print) {
        // Glyph advances unhinted, so lines break where they would on paper.
        doc_->setUseDesignMetrics(true);
        doc_->documentLayout()->setPaintDevice(&layoutDevice());
        installPictureHandler(*doc_, layoutIndentScale());
    }
    laidOutWidth_ = laidOutHeight_ = -1;
    pages_.clear();
    QObject::connect(doc_.get(), &QTextDocument::contentsChanged, doc_.get(), [this] { forgetPages(); });
}

bool RichText::isEmpty() const { return doc_->isEmpty(); }

void RichText::setPage(const PageLayout& page)
{
    page_ = saneLayout(page);
    forgetPages();
}

void RichText::clear()
{
    doc_->clear();
    doc_->setProperty(kKeptRtfProperty, QStringList());
    page_ = PageLayout{};
    forgetPages();
}

RtfReadResult RichText::setRtf(QStringView rtf)
{
    PageLayout page;
    const RtfReadResult result = readRtf(rtf, *doc_, page);
    fitIndents();
    page_ = page;
    forgetPages();
    return result;
}

QString RichText::rtf() const { return writeRtf(*doc_, page_); }

void RichText::assign(const RichText& other)
{
    doc_.reset(other.doc_->clone());
    doc_->setProperty(kKeptRtfProperty, other.doc_->property(kKeptRtfProperty));
    setUp();
    page_ = other.page_;
}

void RichText::fitIndents()
{
    // Done before any editing the caller may want to undo: the merge of the
    // print loop is taken back by undo.
    if (!doc_->isUndoRedoEnabled())
        scaleIndents(*doc_, layout_ == Layout::Print ? layoutIndentScale() : 1.0);
}

void RichText::prepareLayout()
{
    if (layout_ != Layout::Print)
        return;
    fitIndents();
    const double w = twipsToLayout(page_.contentWidth());
    const double h = twipsToLayout(page_.contentHeight());
    if (w != laidOutWidth_ || h != laidOutHeight_) {
        doc_->setPageSize(QSizeF(w, h));
        laidOutWidth_ = w;
        laidOutHeight_ = h;
        pages_.clear();
    }
}

int RichText::pageCount()
{
    prepareLayout();
    return doc_->pageCount();
}

const std::vector<int>& RichText::pageStarts()
{
    prepareLayout();
    if (!pages_.empty())
        return pages_;
    pageNumbers_.clear();
    const double pageHeight = doc_->pageSize().height();
    const QAbstractTextDocumentLayout* layout = doc_->documentLayout();
    for (QTextBlock b = doc_->begin(); b.isValid(); b = b.next()) {
        const QTextLayout* lines = b.layout();
        if (!lines)
            continue;
        const double top = layout->blockBoundingRect(b).top();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            // A line pushed onto the next page starts exactly at its top;
            // the half pixel keeps rounding from putting it on the page before.
            const int page = pageHeight > 0 ? int(std::floor((top + line.y() + 0.5) / pageHeight)) : 0;
            if (pageNumbers_.empty() || page > pageNumbers_.back()) {
                pageNumbers_.push_back(page);
                pages_.push_back(b.position() + line.textStart());
            }
        }
    }
    if (pages_.empty()) {
        pages_.push_back(0);
        pageNumbers_.push_back(0);
    }
    return pages_;
}

int RichText::pageIndexOf(int position)
{
    const std::vector<int>& starts = pageStarts();
    const auto it = std::upper_bound(starts.begin(), starts.end(), position);
    const size_t entry = it == starts.begin() ? 0 : size_t(it - starts.begin()) - 1;
    return pageNumbers_[entry];
}

int RichText::nextPageStart(int position)
{
    const std::vector<int>& starts = pageStarts();
    const auto it = std::upper_bound(starts.begin(), starts.end(), position);
    return it == starts.end() ? 0 : *it;
}

void RichText::drawHeadersAndFooters(QPainter& painter, int pageNumber, const QRectF& paper) const
{
    const QStringList kept = doc_->property(kKeptRtfProperty).toStringList();
    if (kept.isEmpty() || page_.width <= 0)
        return;
    const double scale = paper.width() / page_.width;   // painter units per twip
    const auto distance = [](const QString& rtf, const char* word) {
        const QRegularExpression re(QStringLiteral("\\\\%1(\\d+)").arg(QLatin1String(word)));
        const QRegularExpressionMatch m = re.match(rtf);
        return m.hasMatch() ? std::clamp(m.captured(1).toInt(), 0, kMaxPageSide) : 720;
    };
    for (const QString& group : kept) {
        // The group "{\\headerX ...}" read as a text of its own.
        static const QRegularExpression opening(QStringLiteral("^\\{\\\\(header|footer)[lrf]?"));
        const QRegularExpressionMatch m = opening.match(group);
        if (!m.hasMatch())
            continue;
        const bool footer = m.captured(1) == QLatin1String("footer");
        QString rtf = QStringLiteral("{\\rtf1") + group.mid(m.capturedLength());
        rtf.replace(QStringLiteral("\\chpgn"), QString::number(pageNumber));
        RichText part;
        part.setRtf(rtf);
        part.setPage({page_.width, kMaxPageSide, page_.left, 0, page_.right, 0});
        part.pageCount();
        const QAbstractTextDocumentLayout* layout = part.document().documentLayout();
        const double height =
            layout->blockBoundingRect(part.document().lastBlock()).bottom() / kLayoutResolution * kTwipsPerInch;   // twips
        const double top = footer ? page_.height - distance(group, "footery") - height : distance(group, "headery");
        const QRectF area(paper.left() + page_.left * scale, paper.top() + top * scale, page_.contentWidth() * scale,
                          kMaxPageSide * scale);
        part.drawPage(painter, 0, area);
    }
}

int RichText::drawPage(QPainter& painter, int start, const QRectF& target)
{
    const std::vector<int>& starts = pageStarts();
    const auto it = std::upper_bound(starts.begin(), starts.end(), start);
    const size_t entry = it == starts.begin() ? 0 : size_t(it - starts.begin()) - 1;
    const int page = pageNumbers_[entry];

    const QSizeF size = doc_->pageSize();
    if (size.width() > 0 && size.height() > 0 && !target.isEmpty()) {
        const QRectF area(0, page * size.height(), size.width(), size.height());
        painter.save();
        painter.translate(target.topLeft());
        painter.scale(target.width() / size.width(), target.height() / size.height());
        painter.translate(0, -area.top());
        painter.setClipRect(area, Qt::IntersectClip);
        // Text without a colour of its own is black on paper, whatever the
        // colours of the window it is shown in.
        painter.setPen(Qt::black);
        QAbstractTextDocumentLayout* layout = doc_->documentLayout();
        if (doc_->rootFrame()->childFrames().isEmpty()) {
            // Only the lines of this page are drawn, not every line of the
            // paragraphs it holds: the clip hides them on paper, but a PDF
            // would still carry their text. No line starts within half a
            // pixel of a page's edge but one that belongs to the page below.
            const QRectF lines = area.adjusted(0, 0.5, 0, -0.5);
            for (QTextBlock b = doc_->begin(); b.isValid(); b = b.next()) {
                const QRectF r = layout->blockBoundingRect(b);
                if (r.bottom() < lines.top())
                    continue;
                if (r.top() > lines.bottom())
                    break;
                // Pictures are drawn with their lines, by the document's layout.
                if (b.layout())
                    b.layout()->draw(&painter, QPointF(0, 0), {}, lines);
            }
        } else {
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = area;
            context.palette.setColor(QPalette::Text, Qt::black);
            layout->draw(&painter, context);
        }
        painter.restore();
    }
    return entry + 1 < starts.size() ? starts[entry + 1] : 0;
}

void clearPageBreaksAfter(QTextDocument& document, int from, int to)
{
    QTextBlock b = document.findBlock(from);
    if (!b.isValid())
        return;
    for (b = b.next(); b.isValid() && b.position() <= to; b = b.next()) {
        QTextBlockFormat f = b.blockFormat();
        if (!(f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
            continue;
        f.setPageBreakPolicy(f.pageBreakPolicy() & ~QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(b).setBlockFormat(f);
    }
}

} // namespace qb::richtext
