#include "envelopes/tenvelopepanel.h"

#include "design/class_registry.h"
#include "design/tkgraphiccontrol.h"

#include <QPainter>

#include <cmath>

namespace qb {

TEnvelopePanel::TEnvelopePanel(QWidget* parent) : design::TKLabelPanel(parent) { design::registerEnvelopePanelClasses(); }

bool TEnvelopePanel::acceptsKind(const QString& className) const
{
    return design::envelopePanelClassNames().contains(className, Qt::CaseInsensitive);
}

QSize TEnvelopePanel::surfaceSize(double w, double h)
{
    return QSize(design::roundHalfEven(design::kDesignPixelsPerInch * w),
                 design::roundHalfEven(design::kDesignPixelsPerInch * h));
}

QList<TEnvelopePanel::TemplateArea> TEnvelopePanel::templateAreas(QSize surface, double z)
{
    const int W = surface.width(), H = surface.height();
    const auto s = [z](double inches) { return int(std::trunc(design::kDesignPixelsPerInch * inches * z)); };
    // A wide envelope keeps its address area 9.75 inches from the right edge.
    const int a = int(std::trunc(W / z)) < int(std::trunc(design::kDesignPixelsPerInch * 10.25)) ? s(0.5) : W - s(9.75);
    const QRect clear(QPoint(W - s(4), H - s(0.625)), QPoint(W - s(0.5), H - 1));
    const QRect address(QPoint(a, H - s(2.75)), QPoint(W - s(0.5), H - s(0.625)));
    return {
        {QStringLiteral("[Return Address Area]"), QRect(QPoint(1, 1), QPoint(W / 2, std::min(H - s(2.75), H / 3))),
         QPoint(3, 3)},
        {QStringLiteral("[Barcode Clear Zone]"), clear, clear.topLeft() + QPoint(2, 2)},
        {QStringLiteral("[Address Area]"), address, address.topLeft() + QPoint(2, 2)},
        {QStringLiteral("[FIM Area]"), QRect(QPoint(W - s(3), 1), QPoint(W - s(2), s(0.625))), QPoint(W - s(3) + 2, 3)},
    };
}

void TEnvelopePanel::paintEvent(QPaintEvent* event)
{
    design::TKLabelPanel::paintEvent(event);
    QPainter p(this);
    const double z = zoom();
    if (showTemplate_) {
        QFont f(QStringLiteral("Arial"));
        f.setPointSize(std::max(1, int(std::trunc(z * 8))));
        p.setFont(f);
        for (const TemplateArea& a : templateAreas(size(), z)) {
            p.setPen(QPen(QColor(128, 128, 128), 1));
            p.setBrush(QColor(239, 239, 239));
            p.drawRect(a.rect.adjusted(0, 0, -1, -1));
            p.setBackgroundMode(Qt::OpaqueMode);
            p.setBackground(QColor(192, 192, 192));
            p.setPen(Qt::black);
            p.drawText(a.text + QPoint(0, p.fontMetrics().ascent()), a.label);
            p.setBackgroundMode(Qt::TransparentMode);
        }
    }
    if (showMargins_) {
        const auto t = [z](int v) { return int(std::trunc(v * z)); };
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 0, 0), 1, Qt::DotLine));
        p.drawRect(QRect(QPoint(t(area_.offsetLeft), t(area_.offsetTop)),
                         QPoint(t(area_.pageWidth - area_.offsetRight), t(area_.pageHeight - area_.offsetBottom))));
    }
}

} // namespace qb
