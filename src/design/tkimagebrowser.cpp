#include "design/tkimagebrowser.h"

#include "core/messages.h"
#include "design/tklabeldialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QScrollArea>
#include <QTreeView>
#include <QVBoxLayout>

namespace qb::design {

QStringList TKImageBrowser::fileMask()
{
    QStringList mask;
    // Upper and lower case, since names on this system are case-sensitive.
    for (const char* ext : {"BMP", "DIB", "JPG", "JIF", "PCX", "RLE", "TGA", "WMF", "ICO"}) {
        mask << QStringLiteral("*.") + QLatin1String(ext);
        mask << QStringLiteral("*.") + QString::fromLatin1(ext).toLower();
    }
    return mask;
}

TKImageBrowser::TKImageBrowser(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Load Image File "));
    QApplication::restoreOverrideCursor();
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    layout->addLayout(row, 1);

    dirs_ = new QFileSystemModel(this);
    dirs_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    dirs_->setRootPath(QDir::rootPath());
    dirView_ = new QTreeView(this);
    dirView_->setModel(dirs_);
    for (int c = 1; c < dirs_->columnCount(); ++c)
        dirView_->hideColumn(c);
    dirView_->setHeaderHidden(true);
    row->addWidget(dirView_, 1);

    files_ = new QFileSystemModel(this);
    files_->setFilter(QDir::Files);
    files_->setNameFilters(fileMask());
    files_->setNameFilterDisables(false);
    fileView_ = new QListView(this);
    fileView_->setModel(files_);
    row->addWidget(fileView_, 1);

    auto* right = new QVBoxLayout;
    auto* options = new QGroupBox(QStringLiteral(" Options "), this);
    auto* optionsLayout = new QVBoxLayout(options);
    stretch_ = new QCheckBox(QStringLiteral("Stretch"), options);
    stretch_->setToolTip(QStringLiteral("Stretch image to max display size"));
    autoSize_ = new QCheckBox(QStringLiteral("AutoSize"), options);
    autoSize_->setToolTip(QStringLiteral("AutoSize TImage"));
    optionsLayout->addWidget(stretch_);
    optionsLayout->addWidget(autoSize_);
    right->addWidget(options);
    scroll_ = new QScrollArea(this);
    scroll_->setMinimumSize(160, 160);
    previewLabel_ = new QLabel;
    previewLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll_->setWidget(previewLabel_);
    scroll_->setWidgetResizable(true);
    right->addWidget(scroll_, 1);
    row->addLayout(right, 1);
    addDialogButtons(this, layout, 40003);

    connect(stretch_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            autoSize_->setChecked(false);
        showPreview();
    });
    connect(autoSize_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            stretch_->setChecked(false);
        showPreview();
    });
    connect(dirView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { setDirectory(dirs_->filePath(index)); });
    connect(fileView_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        if (index.isValid())
            selectFile(files_->filePath(index));
    });
    setDirectory(QDir::currentPath());
    resize(640, 380);
}

bool TKImageBrowser::stretch() const { return stretch_->isChecked(); }
void TKImageBrowser::setStretch(bool on) { stretch_->setChecked(on); }
bool TKImageBrowser::autoSize() const { return autoSize_->isChecked(); }
void TKImageBrowser::setAutoSize(bool on) { autoSize_->setChecked(on); }

void TKImageBrowser::setDirectory(const QString& path)
{
    fileView_->setRootIndex(files_->setRootPath(path));
    dirView_->setCurrentIndex(dirs_->index(path));
    QDir::setCurrent(path);
}

void TKImageBrowser::selectFile(const QString& path)
{
    selected_ = path;
    preview_ = {};
    const QString ext = QFileInfo(path).suffix().toUpper();
    try {
        preview_ = qb::image::Picture::fromFile(path);
    } catch (const std::exception&) {
        // The platform's own formats say so; the others fail quietly.
        if (ext == QLatin1String("BMP") || ext == QLatin1String("WMF"))
            showInformation(QStringLiteral("Error loading file!"));
    }
    showPreview();
}

void TKImageBrowser::showPreview()
{
    if (preview_.isEmpty()) {
        previewLabel_->setPixmap({});
        return;
    }
    const QSize own = preview_.size().isValid() ? preview_.size() : QSize(100, 100);
    const QSize size = autoSize() ? own : scroll_->viewport()->size();
    QImage shown(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::white);
    {
        QPainter p(&shown);
        preview_.draw(p, QRectF(QPointF(0, 0), QSizeF(shown.size())));
    }
    scroll_->setWidgetResizable(!autoSize());
    previewLabel_->setPixmap(QPixmap::fromImage(shown));
    previewLabel_->adjustSize();
}

} // namespace qb::design
