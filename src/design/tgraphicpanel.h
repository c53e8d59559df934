#pragma once
// A window-less bevelled box with a caption, used by screens as a status or
// caption area.

#include <QColor>
#include <QWidget>

namespace qb::design {

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TGraphicPanel : public QWidget {
    Q_OBJECT
public:
    explicit TGraphicPanel(QWidget* parent = nullptr);

    Qt::Alignment alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment a) { alignment_ = a; update(); }
    TBevelCut bevelInner() const { return bevelInner_; }
    void setBevelInner(TBevelCut b) { bevelInner_ = b; update(); }
    TBevelCut bevelOuter() const { return bevelOuter_; }
    void setBevelOuter(TBevelCut b) { bevelOuter_ = b; update(); }
    int bevelWidth() const { return bevelWidth_; }
    void setBevelWidth(int w) { bevelWidth_ = qMax(1, w); update(); }
    int borderWidth() const { return borderWidth_; }
    void setBorderWidth(int w) { borderWidth_ = qMax(0, w); update(); }
    bool borderSingle() const { return borderSingle_; }
    void setBorderSingle(bool on) { borderSingle_ = on; update(); }
    QString caption() const { return caption_; }
    void setCaption(const QString& c) { caption_ = c; update(); }
    QColor color() const { return color_; }
    void setColor(QColor c) { color_ = c; update(); }
    bool locked() const { return locked_; }
    void setLocked(bool on) { locked_ = on; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Alignment alignment_ = Qt::AlignCenter;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    bool borderSingle_ = false;
    QString caption_;
    QColor color_;
    bool locked_ = false;
};

} // namespace qb::design
