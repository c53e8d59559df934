#pragma once
// What the preview window shows, checked against the printed PDF: the page
// grabbed from the preview at a zoom and the same PDF page rendered to the
// same size must carry the same ink in the same places.

#include "printing/pdf_support.h"
#include "printing/tfileprinter.h"
#include "printing/tpreviewform.h"

#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace qb::test {

// The paper as the preview draws it now, cut out of its page widget.
inline QImage previewSheet(TPreviewForm& form)
{
    TFilePreview& preview = *form.preview();
    const QImage page = preview.pageWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Whole pixels inside the paper's edges: the shadow below and right stays out.
    const QRectF sheet = preview.sheetRect();
    const QPoint from(int(std::ceil(sheet.left())), int(std::ceil(sheet.top())));
    const QPoint to(int(std::floor(sheet.right())) - 1, int(std::floor(sheet.bottom())) - 1);
    return page.copy(QRect(from, to));
}

// Shows the whole page and then 100 percent with the preview's own buttons;
// at each the current page must match page of the PDF.
inline void expectPreviewShowsPdf(TPreviewForm& form, const QString& pdf, int page)
{
    for (const char* zoom : {"sbZoomPage", "zbZoom100"}) {
        form.findChild<QToolButton*>(QLatin1String(zoom))->click();
        const QImage shown = previewSheet(form);
        const QImage printed = renderPdfToSize(pdf, page, shown.size());
        ASSERT_FALSE(printed.isNull()) << zoom;
        const InkMatch m = compareInk(shown, printed);
        // Something must be on the page, and the same amount of it.
        EXPECT_GT(m.inkB, 500) << zoom;
        EXPECT_GT(m.inkA, m.inkB / 2) << zoom;
        EXPECT_LT(m.inkA, m.inkB * 2) << zoom;
        EXPECT_GT(m.aInB, 0.99) << zoom;
        EXPECT_GT(m.bInA, 0.99) << zoom;
    }
}

} // namespace qb::test
