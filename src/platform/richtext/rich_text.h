#pragma once
// The rich-text control's document: formatted text in a QTextDocument with
// the page it is laid out on, read from and written to RTF, split into pages
// and drawn one page at a time into any rectangle of any painter.
//
// A print document lays its text out at a fixed resolution of its own
// (kLayoutResolution), so the lines and pages come out the same whether a
// page is drawn on the screen, into a PDF or onto a printer; only the scale
// differs. An editor document is laid out by the editor that shows it.

#include "platform/richtext/page_layout.h"
#include "platform/richtext/rtf_reader.h"

#include <QRectF>
#include <QString>

#include <memory>
#include <vector>

class QPainter;
class QTextDocument;

namespace qb::richtext {

class RichText {
public:
    enum class Layout { Print, Editor };
    static constexpr double kLayoutResolution = 1200.0;

    explicit RichText(Layout layout = Layout::Print);
    ~RichText();
    RichText(const RichText&) = delete;
    RichText& operator=(const RichText&) = delete;

    // assign() replaces the document object; take it anew after that.
    QTextDocument& document() { return *doc_; }
    const QTextDocument& document() const { return *doc_; }
    bool isEmpty() const;

    const PageLayout& page() const { return page_; }
    // The layout is brought into range first (saneLayout).
    void setPage(const PageLayout& page);

    // No text, the default page.
    void clear();
    // Replaces text and page by what rtf holds; see readRtf for what a
    // damaged text gives.
    RtfReadResult setRtf(QStringView rtf);
    QString rtf() const;
    // The whole formatted text and the page of other.
    void assign(const RichText& other);

    // ---- pages (print documents) ----
    int pageCount();
    // The document position of the first line on each page that has one.
    const std::vector<int>& pageStarts();
    // Draws the page that holds position start into target (any device,
    // target in the painter's coordinates) and returns the start of the next
    // page, or 0 when this page is the last.
    int drawPage(QPainter& painter, int start, const QRectF& target);
    // Draws the headers and footers kept with the text for page number
    // pageNumber (1 for the first; "\\chpgn" shows it) onto the whole paper,
    // paper in the painter's coordinates: headers from the paper's top at
    // \\headery (half an inch unless given), footers ending at \\footery
    // from its bottom, both between the page's left and right margins.
    void drawHeadersAndFooters(QPainter& painter, int pageNumber, const QRectF& paper) const;

    // The page holding position (0 for the first).
    int pageIndexOf(int position);
    // The start of the page after the one holding position; 0 when that is the last.
    int nextPageStart(int position);

private:
    void setUp();
    void prepareLayout();
    void fitIndents();
    void forgetPages() { pages_.clear(); }

    Layout layout_;
    std::unique_ptr<QTextDocument> doc_;
    PageLayout page_;
    std::vector<int> pages_;        // first position of each page with a line
    std::vector<int> pageNumbers_;  // the page index of each entry of pages_
    double laidOutWidth_ = -1, laidOutHeight_ = -1;
};

// A paragraph break put into a paragraph that begins a new page makes a
// paragraph that does not: only the paragraph the user (or the file) marked
// starts the page. Clears the mark of every paragraph that begins after
// position from, up to position to.
void clearPageBreaksAfter(QTextDocument& document, int from, int to);

} // namespace qb::richtext
