#include "design/tkbasepanel.h"

#include "core/address_table.h"
#include "core/messages.h"
#include "core/paths.h"
#include "design/layout_filer.h"
#include "design/tkgraphiccontrol.h"
#include "design/tkhandle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSet>

namespace qb::design {

// ---- clock ----------------------------------------------------------------------------------

namespace {

std::function<qint64()>& clockOverride()
{
    static std::function<qint64()> c;
    return c;
}

// The rubber band and the previews of moves, drawn above the objects.
class Overlay : public QWidget {
public:
    explicit Overlay(TKBasePanel* panel) : QWidget(panel), panel_(panel)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        if (const auto r = panel_->previewRect())
            p.drawRect(*r);
        if (const auto r = panel_->rubberBand())
            p.drawRect(*r);
    }

private:
    TKBasePanel* panel_;
};

} // namespace

qint64 designClockMs()
{
    if (clockOverride())
        return clockOverride()();
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed() + 1;   // never 0: 0 means "no press" and "no paste yet"
}

void setDesignClockForTesting(std::function<qint64()> clock) { clockOverride() = std::move(clock); }

// ---- panel ----------------------------------------------------------------------------------

TKBasePanel::TKBasePanel(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    handle_ = new TKHandle(this);
    handle_->clear();
    overlay_ = new Overlay(this);
    overlay_->setGeometry(rect());
    overlay_->show();
    clipboardFile_ = ProgramFolder::path() + QStringLiteral("Clipbrd.tmp");
    tempFile_ = ProgramFolder::path() + QStringLiteral("TempFile.tmp");
    buildContextMenu();
}

TKBasePanel::~TKBasePanel()
{
    // The clipboard belongs to the designer session that made it.
    QFile::remove(resolvePath(clipboardFile_));
    QFile::remove(resolvePath(tempFile_));
    handle_ = nullptr;
}

void TKBasePanel::setGridSize(TGridSize g)
{
    gridSize_ = g;
    handle_->setGridX(gridStep());
    handle_->setGridY(gridStep());
    update();
}

void TKBasePanel::setSnapToGrid(bool on)
{
    snapToGrid_ = on;
    handle_->setGridX(gridStep());
    handle_->setGridY(gridStep());
    handle_->setSnapToGrid(on);
}

QWidget* TKBasePanel::owner() const { return const_cast<TKBasePanel*>(this)->window(); }

QList<TKGraphicControl*> TKBasePanel::designObjects() const
{
    return TKLabelObjectFiler::objectsOf(const_cast<TKBasePanel*>(this));
}

void TKBasePanel::keepFrameOnTop()
{
    if (handle_)
        handle_->raise();
    if (overlay_)
        overlay_->raise();
}

void TKBasePanel::clearSelection()
{
    if (handle_)
        handle_->clear();
}

void TKBasePanel::refitSelection()
{
    if (handle_)
        handle_->refit();
}

void TKBasePanel::notifyChanged()
{
    if (!scaling_)
        emit labelChanged(this);
}

QCursor TKBasePanel::idleCursor() const { return pointing_ ? QCursor(Qt::ArrowCursor) : QCursor(Qt::DragMoveCursor); }

void TKBasePanel::setPreviewRect(std::optional<QRect> r)
{
    preview_ = r;
    overlay_->update();
}

std::optional<QRect> TKBasePanel::rubberBand() const
{
    if (!banding_)
        return std::nullopt;
    return QRect(bandStart_, bandEnd_).normalized();
}

// ---- objects ---------------------------------------------------------------------------------

void TKBasePanel::addObject(TKGraphicControl* object, const QRect& r)
{
    object->hide();
    object->setParent(this);
    object->setObjectName(uniqueName(QStringLiteral("Special")));
    object->setBounds(r.x(), r.y(), qMax(r.width(), 10), qMax(r.height(), 15));
    object->setZoomFactor(zoom_);
    object->show();
    keepFrameOnTop();
    notifyChanged();
    QCoreApplication::processEvents();
}

QString TKBasePanel::uniqueName(const QString& prefix) const
{
    QSet<QString> names;
    const QWidget* o = owner();
    names.insert(o->objectName());
    for (const QObject* c : o->findChildren<QObject*>())
        names.insert(c->objectName());
    for (int n = 1; n <= 1000; ++n) {
        const QString candidate = prefix + QString::number(n);
        if (!names.contains(candidate))
            return candidate;
    }
    return {};
}

void TKBasePanel::objectMouseDown(TKGraphicControl* object, Qt::MouseButton button, Qt::KeyboardModifiers mods,
                                  QPoint panelPos, QPoint globalPos)
{
    // Drawing over an object, or clicking an unselectable one, is a click on the panel.
    if (!pointing_ || object->unselectable()) {
        panelPress(panelPos, button, mods, globalPos);
        return;
    }
    if (!(mods & Qt::ShiftModifier))
        handle_->clear();
    handle_->add(object);
    handle_->update();
    // The frame takes the mouse: the object's moves and release go to it from here on.
    if (button == Qt::LeftButton && handle_->count() > 0)
        handle_->setCapturing(true);
    if (handle_->count() == 1 && button == Qt::RightButton)
        object->openContextMenu(globalPos);
}

void TKBasePanel::objectMouseMove(TKGraphicControl* object, QPoint panelPos, Qt::MouseButtons buttons,
                                  Qt::KeyboardModifiers mods)
{
    if (handle_->capturing() && handle_->isVisible()) {
        handle_->moveAt(panelPos - handle_->geometry().topLeft(), buttons, mods);
        return;
    }
    if (banding_) {
        panelMove(panelPos, buttons, mods);
        return;
    }
    object->setCursor(pointing_ ? QCursor(Qt::PointingHandCursor) : idleCursor());
}

void TKBasePanel::objectMouseUp(TKGraphicControl* object, QPoint panelPos, Qt::MouseButton button,
                                Qt::KeyboardModifiers mods, QPoint globalPos)
{
    Q_UNUSED(object);
    if (handle_->capturing() && handle_->isVisible()) {
        handle_->releaseAt(panelPos - handle_->geometry().topLeft(), button, mods, globalPos);
        return;
    }
    panelRelease(panelPos, button, mods);
}

void TKBasePanel::objectDoubleClick(TKGraphicControl* object, QPoint globalPos)
{
    if (handle_->dragging())
        handle_->releaseAt(QPoint(), Qt::NoButton, {}, globalPos);
    object->openContextMenu(globalPos);
}

void TKBasePanel::printObjects(DesignPrinter& printer, double x, double y)
{
    for (TKGraphicControl* o : designObjects())
        o->printAt(printer, x, y);
}

void TKBasePanel::keepObjectsInside()
{
    clearSelection();
    const int w = QWidget::width(), h = QWidget::height();
    for (TKGraphicControl* o : designObjects()) {
        if (o->top() > h - 10)
            o->setBounds(o->left(), h - 10, o->objectWidth(), o->objectHeight());
        if (o->left() > w - 20)
            o->setBounds(w - 20, o->top(), o->objectWidth(), o->objectHeight());
    }
}

void TKBasePanel::deleteObjectsOutside()
{
    clearSelection();
    const int w = QWidget::width(), h = QWidget::height();
    for (TKGraphicControl* o : designObjects())
        if (o->top() > h - 10 || o->left() > w - 10 || o->objectWidth() < 1 || o->objectHeight() < 1)
            delete o;
}

void TKBasePanel::setZoom(float z)
{
    if (z == zoom_)
        return;
    scaling_ = true;
    const double current = zoom_ == 0.0f ? 1.0 : double(zoom_);
    const double r = double(z) / current;
    resize(roundHalfEven(QWidget::width() * r), roundHalfEven(QWidget::height() * r));
    zoom_ = z;
    for (TKGraphicControl* o : designObjects())
        o->setZoom(z);
    QCoreApplication::processEvents();
    scaling_ = false;
}

void TKBasePanel::saveToFile(const QString& fileName)
{
    const float remembered = zoom_;
    if (zoom_ != 1.0f)
        setZoom(1.0f);
    prepareForSave();
    try {
        TKLabelObjectFiler::SavePanel(this, fileName);
    } catch (...) {
        refreshData();
        setZoom(remembered);
        throw;
    }
    refreshData();
    setZoom(remembered);
}

void TKBasePanel::loadFromFile(const QString& fileName)
{
    // Objects are stored at zoom 1.0: they are read at it and then take the
    // panel's zoom with the panel.
    const float remembered = zoom_;
    if (zoom_ != 1.0f)
        setZoom(1.0f);
    try {
        TKLabelObjectFiler::LoadPanel(owner(), this, fileName);
    } catch (...) {
        keepFrameOnTop();
        hookObjects();
        setZoom(remembered);
        refreshData();
        throw;
    }
    keepFrameOnTop();
    hookObjects();
    setZoom(remembered);
    refreshData();
}

void TKBasePanel::clearObjects()
{
    clearSelection();
    for (TKGraphicControl* o : designObjects())
        delete o;
}

void TKBasePanel::prepareForSave()
{
    for (TKGraphicControl* o : designObjects())
        o->clearData();
}

void TKBasePanel::advanceCounters()
{
    for (TKGraphicControl* o : designObjects())
        o->advanceCounter();
}

void TKBasePanel::resetCounters()
{
    for (TKGraphicControl* o : designObjects())
        o->resetCounter();
}

void TKBasePanel::hookObjects()
{
    // Objects route their mouse to their panel whenever it is a design panel;
    // what remains is the zoom factor.
    for (TKGraphicControl* o : designObjects())
        o->setZoomFactor(zoom_);
}

void TKBasePanel::clipboardAction(int code, TKGraphicControl* object)
{
    const bool alone = object && handle_->find(object) < 0;
    switch (code) {
    case Copy:
        if (alone)
            TKLabelObjectFiler::SaveObject(object, clipboardFile_);
        else
            TKLabelObjectFiler::SaveSelection(handle_, clipboardFile_);
        break;
    case Cut:
        clipboardAction(Copy, object);
        clipboardAction(Delete, object);
        break;
    case Delete: {
        const QList<TKGraphicControl*> concerned = alone ? QList<TKGraphicControl*>{object} : handle_->selection();
        for (auto it = concerned.rbegin(); it != concerned.rend(); ++it) {
            TKGraphicControl* o = *it;
            handle_->remove(o);
            // Later: the command may come from the object's own menu.
            o->hide();
            o->setParent(nullptr);
            o->deleteLater();
            notifyChanged();
        }
        break;
    }
    case Paste: {
        const qint64 now = designClockMs();
        if (lastPaste_ != 0 && now - lastPaste_ < 1000)
            return;
        lastPaste_ = now;
        const QList<TKGraphicControl*> before = designObjects();
        const auto pasted = [&] {
            QList<TKGraphicControl*> added;
            for (TKGraphicControl* o : designObjects())
                if (!before.contains(o))
                    added << o;
            return added;
        };
        try {
            TKLabelObjectFiler::PasteFromFile(owner(), this, clipboardFile_);
        } catch (...) {
            keepFrameOnTop();
            hookObjects();
            objectsPasted(pasted());
            throw;
        }
        keepFrameOnTop();
        hookObjects();
        objectsPasted(pasted());
        notifyChanged();
        QCoreApplication::processEvents();
        break;
    }
    default:
        break;
    }
}

void TKBasePanel::selectInRect(const QRect& r, bool shift)
{
    QList<TKGraphicControl*> list = shift ? handle_->selection() : QList<TKGraphicControl*>{};
    handle_->clear();
    const QList<TKGraphicControl*> objects = designObjects();
    const auto meets = [&r](const TKGraphicControl* o) {
        return qMax(r.x(), o->left()) < qMin(r.x() + r.width(), o->left() + o->objectWidth()) &&
               qMax(r.y(), o->top()) < qMin(r.y() + r.height(), o->top() + o->objectHeight());
    };
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        if (!meets(*it))
            continue;
        if (shift && list.contains(*it))
            list.removeAll(*it);
        else if (!list.contains(*it))
            list << *it;
    }
    for (TKGraphicControl* o : list)
        handle_->add(o);
}

// ---- mouse on the panel ------------------------------------------------------------------------

void TKBasePanel::panelPress(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint globalPos)
{
    Q_UNUSED(mods);
    if (button == Qt::RightButton) {
        openContextMenu(globalPos);
        return;
    }
    if (button != Qt::LeftButton)
        return;
    banding_ = true;
    bandStart_ = bandEnd_ = pos;
    setCursor(Qt::PointingHandCursor);
    overlay_->update();
}

void TKBasePanel::panelMove(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    Q_UNUSED(buttons);
    Q_UNUSED(mods);
    if (!banding_)
        return;
    bandEnd_ = pos;
    overlay_->update();
}

void TKBasePanel::panelRelease(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    if (!banding_ || button != Qt::LeftButton)
        return;
    bandEnd_ = pos;
    banding_ = false;
    const QRect r(qMin(bandStart_.x(), bandEnd_.x()), qMin(bandStart_.y(), bandEnd_.y()),
                  qAbs(bandEnd_.x() - bandStart_.x()), qAbs(bandEnd_.y() - bandStart_.y()));
    overlay_->update();
    update();
    if (pointing_) {
        selectInRect(r, mods & Qt::ShiftModifier);
        setCursor(Qt::ArrowCursor);
    } else {
        createObject(r);
        emit droppedObject(r);
    }
}

void TKBasePanel::mousePressEvent(QMouseEvent* e)
{
    panelPress(e->position().toPoint(), e->button(), e->modifiers(), e->globalPosition().toPoint());
}

void TKBasePanel::mouseMoveEvent(QMouseEvent* e) { panelMove(e->position().toPoint(), e->buttons(), e->modifiers()); }

void TKBasePanel::mouseReleaseEvent(QMouseEvent* e)
{
    panelRelease(e->position().toPoint(), e->button(), e->modifiers());
}

bool TKBasePanel::clipboardKey(QKeyEvent* e)
{
    const int key = e->key();
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    int code = -1;
    if (ctrl && key == Qt::Key_C)
        code = Copy;
    else if (ctrl && key == Qt::Key_V)
        code = Paste;
    else if (ctrl && key == Qt::Key_X)
        code = Cut;
    else if (!ctrl && key == Qt::Key_Delete)
        code = Delete;
    if (code < 0)
        return false;
    try {
        clipboardAction(code);
    } catch (const LayoutError& err) {
        showInformation(err.message());
    }
    return true;
}

void TKBasePanel::keyPressEvent(QKeyEvent* e)
{
    // The frame handles the keys; with the focus on the panel they go to it all the same.
    // Keys the frame ignores come back here as its parent: pass each on once.
    if (handle_ && handle_->isVisible() && !forwardingKey_) {
        forwardingKey_ = true;
        QApplication::sendEvent(handle_, e);
        forwardingKey_ = false;
        return;
    }
    // With nothing selected (right after a cut, say) the clipboard keys are the panel's own.
    if (!forwardingKey_ && clipboardKey(e))
        return;
    QWidget::keyPressEvent(e);
}

void TKBasePanel::keyReleaseEvent(QKeyEvent* e)
{
    // Keys the frame ignores come back here as its parent: pass each on once.
    if (handle_ && handle_->isVisible() && !forwardingKey_) {
        forwardingKey_ = true;
        QApplication::sendEvent(handle_, e);
        forwardingKey_ = false;
        return;
    }
    QWidget::keyReleaseEvent(e);
}

void TKBasePanel::resizeEvent(QResizeEvent*)
{
    if (overlay_)
        overlay_->setGeometry(rect());
}

// ---- painting -----------------------------------------------------------------------------------

QPainterPath TKBasePanel::outlinePath(bool forClip) const
{
    const int extra = forClip ? 1 : 0;
    const QRectF r(0, 0, QWidget::width() + extra, QWidget::height() + extra);
    QPainterPath path;
    switch (shape_) {
    case lsRectangle: path.addRect(r); break;
    case lsRoundRect: path.addRoundedRect(r, 12, 12); break;
    case lsEllipse: path.addEllipse(r); break;
    }
    return path;
}

void TKBasePanel::paintEvent(QPaintEvent*)
{
    QImage surface(size(), QImage::Format_RGB32);
    surface.fill(Qt::white);
    {
        QPainter p(&surface);
        p.setRenderHint(QPainter::Antialiasing, false);
        for (const QImage* picture : {&picture_, &colorPicture_}) {
            if (picture->isNull())
                continue;
            p.setClipPath(outlinePath(true));
            p.drawImage(rect(), *picture);
            p.setClipping(false);
        }
        if (drawOutline_) {
            p.setPen(QPen(Qt::black, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            const QRect r(0, 0, QWidget::width() - 1, QWidget::height() - 1);
            switch (shape_) {
            case lsRectangle: p.drawRect(r); break;
            case lsRoundRect: p.drawRoundedRect(r, 12, 12); break;
            case lsEllipse: p.drawEllipse(r); break;
            }
        }
        if (showGrid_) {
            // Green dots ANDed into the picture: white ground turns green, dark stays dark.
            QImage tile(8, 8, QImage::Format_RGB32);
            tile.fill(Qt::white);
            const QRgb green = qRgb(0, 128, 0);
            if (gridSize_ == gs4x4) {
                for (int y : {2, 6})
                    for (int x : {2, 6})
                        tile.setPixel(x, y, green);
            } else {
                tile.setPixel(2, 2, green);
            }
            p.setClipPath(outlinePath(true));
            p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
            p.fillRect(rect(), QBrush(tile));
        }
    }
    QPainter(this).drawImage(0, 0, surface);
}

// ---- context menu -------------------------------------------------------------------------------

void TKBasePanel::runMenuCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const LayoutError& e) {
        showInformation(e.message());
    }
}

void TKBasePanel::buildContextMenu()
{
    menu_ = new QMenu(this);
    const auto add = [this](const char* caption, std::function<void()> f) {
        QAction* a = menu_->addAction(QString::fromLatin1(caption));
        connect(a, &QAction::triggered, this, [this, f] { runMenuCommand(f); });
        return a;
    };
    QList<QAction*> needSelection;
    needSelection << add("Bring To Front", [this] {
        if (handle_->locked())
            return;
        handle_->bringToFront();
        notifyChanged();
    });
    needSelection << add("Send To Back", [this] {
        if (handle_->locked())
            return;
        handle_->sendToBack();
        clearSelection();
        notifyChanged();
    });
    menu_->addSeparator();
    needSelection << add("Cut", [this] { clipboardAction(Cut); });
    needSelection << add("Copy", [this] { clipboardAction(Copy); });
    QAction* paste = add("Paste", [this] { clipboardAction(Paste); });
    menu_->addSeparator();
    needSelection << add("Delete", [this] { clipboardAction(Delete); });
    menu_->addSeparator();
    needSelection << add("Align Left", [this] { alignCommand(0); });
    needSelection << add("Align Right", [this] { alignCommand(1); });
    needSelection << add("Align Tops", [this] { alignCommand(2); });
    needSelection << add("Align Bottoms", [this] { alignCommand(3); });
    menu_->addSeparator();
    needSelection << add("Center Vertically", [this] {
        for (TKGraphicControl* o : handle_->selection())
            o->centerVertically();
    });
    needSelection << add("Center Horizontally", [this] {
        for (TKGraphicControl* o : handle_->selection())
            o->centerHorizontally();
    });
    menu_->addSeparator();
    QList<QAction*> needObjects;
    needObjects << add("Lock All", [this] {
        for (TKGraphicControl* o : designObjects())
            o->setLocked(true);
    });
    needObjects << add("Unlock All", [this] {
        for (TKGraphicControl* o : designObjects())
            o->setLocked(false);
    });
    menu_->addSeparator();
    add("Mark All Selectable", [this] {
        for (TKGraphicControl* o : designObjects())
            o->setUnselectable(false);
    });
    add("Mark All Unselectable", [this] {
        for (TKGraphicControl* o : designObjects())
            o->setUnselectable(true);
    });
    add("Select All", [this] {
        clearSelection();
        for (TKGraphicControl* o : designObjects())
            handle_->add(o);
    });
    menu_->addSeparator();
    needSelection << add("Font", [this] { fontCommand(); });
    connect(menu_, &QMenu::aboutToShow, this, [this, needSelection, needObjects, paste] {
        const bool any = handle_->count() > 0;
        for (QAction* a : needSelection)
            a->setEnabled(any);
        paste->setEnabled(QFileInfo::exists(resolvePath(clipboardFile_)));
        const bool objects = !designObjects().isEmpty();
        for (QAction* a : needObjects)
            a->setEnabled(objects);
    });
}

void TKBasePanel::openContextMenu(const QPoint& globalPos) { menu_->popup(globalPos); }

void TKBasePanel::alignCommand(int which)
{
    notifyChanged();
    const QList<TKGraphicControl*> s = handle_->selection();
    int edge = which == 0 ? QWidget::width() : which == 2 ? QWidget::height() : 0;
    for (const TKGraphicControl* o : s) {
        switch (which) {
        case 0: edge = qMin(edge, o->left()); break;
        case 1: edge = qMax(edge, o->left() + o->objectWidth()); break;
        case 2: edge = qMin(edge, o->top()); break;
        case 3: edge = qMax(edge, o->top() + o->objectHeight()); break;
        }
    }
    for (TKGraphicControl* o : s) {
        const int w = o->objectWidth(), h = o->objectHeight();
        switch (which) {
        case 0: o->setBounds(edge, o->top(), w, h); break;
        case 1: o->setBounds(edge - w, o->top(), w, h); break;
        case 2: o->setBounds(o->left(), edge, w, h); break;
        case 3: o->setBounds(o->left(), edge - h, w, h); break;
        }
    }
}

void TKBasePanel::fontCommand()
{
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, font(), this);
    if (!ok)
        return;
    for (TKGraphicControl* o : handle_->selection())
        o->applyObjectFont(f, Qt::black);
}

// ---- data panel -----------------------------------------------------------------------------------

TKDataPanel::TKDataPanel(QWidget* parent) : TKBasePanel(parent) {}

void TKDataPanel::setDisplayDataValues(bool on)
{
    displayDataValues_ = on;
    refreshData();
}

void TKDataPanel::refreshData()
{
    if (!dataset_ || !dataset_->isOpen())
        return;
    for (TKGraphicControl* o : designObjects())
        o->showData();
    QCoreApplication::processEvents();
}

std::optional<QString> TKDataPanel::valueByLabel(const QString& label) const
{
    if (!dataset_ || !dataset_->isOpen())
        return std::nullopt;
    std::optional<QString> field;
    for (const RecordViewField& f : recordViewFields(dataset_->table()))
        if (f.label == label)
            field = f.name;
    if (!field)
        return std::nullopt;
    return dataset_->text(*field);
}

QString TKDataPanel::valueByName(const QString& name) const
{
    if (!dataset_ || !dataset_->isOpen())
        return {};
    for (const RecordViewField& f : recordViewFields(dataset_->table()))
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return dataset_->text(f.name);
    return {};
}

QStringList TKDataPanel::fieldLabels() const
{
    QStringList out;
    if (!dataset_ || !dataset_->isOpen())
        return out;
    for (const RecordViewField& f : recordViewFields(dataset_->table()))
        out << f.label;
    return out;
}

} // namespace qb::design
