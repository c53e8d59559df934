#include "letters/letter_print_loop.h"

#include "letters/letter_merge.h"
#include "platform/richtext/picture.h"
#include "printing/tbasereport.h"
#include "platform/xbase/table.h"

#include <QPainter>
#include <QPicture>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace qb {

LetterRunRecords::LetterRunRecords(xbase::Table& table, Records records, bool startFromCurrent,
                                   const std::function<void(const QString&)>& inform)
    : table_(table), query_(table.filter()), recno_(table.eof() ? 0 : table.recno())
{
    if (records == Records::All)
        table_.setFilter("NOT ISDEL");
    if (startFromCurrent) {
        const std::string query = table_.filter().empty() ? std::string(".T.") : "(" + table_.filter() + ")";
        if (recno_ > 0 && table_.count(query + " .and. RECNO()=" + std::to_string(recno_)) > 0) {
            table_.go(recno_);
        } else {
            if (inform)
                inform(kLetterOutOfRange);
            table_.first();
        }
    } else if (records != Records::OnlyCurrent) {
        table_.first();
    } else if (recno_ > 0) {
        table_.go(recno_);
    }
}

LetterRunRecords::~LetterRunRecords()
{
    try {
        table_.setFilter(query_);
        if (recno_ > 0)
            table_.go(recno_);
    } catch (const std::exception&) {
        // The main window puts its own view back after every command.
    }
}

LetterPrintLoop::LetterPrintLoop(xbase::Table& table, const richtext::RichText& letterTemplate, int copies,
                                 bool onlyCurrent)
    : table_(table), template_(letterTemplate), copies_(std::clamp(copies, 1, kMaxLetterCopies)),
      onlyCurrent_(onlyCurrent)
{
}

PrintOutcome LetterPrintLoop::run(TBaseReport& job)
{
    const richtext::PageLayout& page = template_.page();
    job.setUnits(Units::unInch);
    job.setCopies(1);   // each copy is drawn by the loop
    const double w = double(page.width) / richtext::kTwipsPerInch;
    const double h = double(page.height) / richtext::kTwipsPerInch;
    job.SetPaperSize(0, std::max(w, h), std::min(w, h));
    job.setOrientation(w > h ? Orientation::poLandScape : Orientation::poPortrait);

    // A cancel asked for before the first record is seen after it.
    stopped_ = false;
    pages_ = letters_ = 0;
    running_ = true;
    job.OnPrint = [this, &job] { printRecords(job); };
    const bool ok = job.RunJob();
    job.OnPrint = nullptr;
    running_ = false;
    if (stopped_ || job.Aborted())
        return PrintOutcome::Aborted;
    return ok ? PrintOutcome::Completed : PrintOutcome::Failed;
}

void LetterPrintLoop::printRecords(TBaseReport& job)
{
    // One copy of the template serves every record: each merge is one step
    // on the copy's undo stack and is taken back after the letter is printed,
    // which costs far less than copying and laying out the whole template anew.
    richtext::RichText letter;
    letter.assign(template_);
    QTextDocument& text = letter.document();
    text.setUndoRedoEnabled(true);
    while (!table_.eof() && !stopped_) {
        QTextCursor step(&text);
        step.beginEditBlock();
        mergeLetter(text, tableFieldReader(table_), today);
        step.endEditBlock();
        const bool merged = text.isUndoAvailable();
        for (int copy = 0; copy < copies_; ++copy) {
            printLetter(job, letter);
            if (copy + 1 < copies_)
                job.BreakPage();
        }
        letters_ += copies_;
        if (merged)
            text.undo();
        if (onlyCurrent_)
            break;
        table_.next();
        if (!table_.eof())
            job.BreakPage();
        if (status)
            status(QStringLiteral("Printing page %1").arg(pages_));
        if (idle)
            idle();
        if (cancelRequested_) {
            if (confirmCancel && confirmCancel(QStringLiteral("Cancel print job?"))) {
                stopped_ = true;
                job.AbortJob();
                break;
            }
            cancelRequested_ = false;
        }
        if (job.Aborted())
            break;
    }
}

void LetterPrintLoop::printLetter(TBaseReport& job, richtext::RichText& letter)
{
    const richtext::PageLayout& page = letter.page();
    const double px = TBaseReport::kDesignPixelsPerInch;
    const QSizeF area(page.contentWidth() * px / richtext::kTwipsPerInch,
                      page.contentHeight() * px / richtext::kTwipsPerInch);
    const double left = double(page.left) / richtext::kTwipsPerInch;
    const double top = double(page.top) / richtext::kTwipsPerInch;
    int start = 0;
    for (;;) {
        // The page is recorded as a picture in design pixels, which the job
        // plays into the area inside the margins on whatever it prints on.
        // Pictures go to the job as images of their own: the same picture on
        // every page is one image in the output, not one copy a page.
        QPicture picture;
        QPainter painter(&picture);
        std::vector<richtext::PlacedPicture> pictures;
        int next = 0;
        {
            const richtext::PictureCollector collect(&pictures);
            next = letter.drawPage(painter, start, QRectF(QPointF(0, 0), area));
        }
        painter.end();
        job.DrawDesignPicture(picture, left, top, area);
        // Headers and footers, on the whole paper.
        const QSizeF paper(page.width * px / richtext::kTwipsPerInch, page.height * px / richtext::kTwipsPerInch);
        QPicture margins;
        QPainter marginPainter(&margins);
        letter.drawHeadersAndFooters(marginPainter, letter.pageIndexOf(start) + 1, QRectF(QPointF(0, 0), paper));
        marginPainter.end();
        job.DrawDesignPicture(margins, 0, 0, paper);
        for (const richtext::PlacedPicture& p : pictures)
            job.DrawBitmap(p.image, left + p.rect.left() / px, top + p.rect.top() / px, left + p.rect.right() / px,
                           top + p.rect.bottom() / px);
        ++pages_;
        // A start that does not move on would print the same page for ever.
        if (next <= start)
            return;
        job.BreakPage();
        start = next;
    }
}

} // namespace qb
