#include "utilities/bulk_run.h"

#include "platform/xbase/table.h"

#include "core/messages.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace qb {

void EventBreaks::take()
{
    if (sinceLast_.elapsed() < 40)
        return;
    QCoreApplication::processEvents();
    sinceLast_.restart();
}

BulkProgress::BulkProgress(const QString& label, const QString& cancelQuestion, QWidget* parent)
    : QWidget(parent), question_(cancelQuestion)
{
    setObjectName(QStringLiteral("BulkProgress"));
    label_ = new QLabel(label, this);
    label_->setObjectName(QStringLiteral("RunningLabel"));
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setRange(0, 100);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label_);
    layout->addWidget(gauge_);
    hide();
}

KeepGoing BulkProgress::start()
{
    running_ = true;
    cancelled_ = false;
    gauge_->setValue(0);
    show();
    QCoreApplication::processEvents();
    return [this](uint64_t done, uint64_t total) {
        if (breaks_.due()) {
            gauge_->setValue(total ? int(done * 100 / total) : 0);
            breaks_.take();
        }
        return !cancelled_;
    };
}

void BulkProgress::finish()
{
    running_ = false;
    hide();
}

bool BulkProgress::cancel()
{
    if (!running_)
        return false;
    if (askQuestion(question_, QStringLiteral("CANCEL")))
        cancelled_ = true;
    return true;
}

QString recordCount(uint64_t n) { return QString::number(n) + (n == 1 ? QStringLiteral(" record") : QStringLiteral(" records")); }

TableView::TableView(xbase::Table& table)
    : table_(table), filter_(table.filter()), order_(table.currentOrderName()), recno_(table.recno()), atEnd_(table.eof())
{
}

TableView::~TableView()
{
    try {
        if (table_.editing())
            table_.cancel();
        if (table_.filter() != filter_)
            table_.setFilter(filter_);
        if (order_.empty())
            table_.selectOrder(0);
        else
            table_.selectOrder(order_);
        if (atEnd_ || recno_ == 0 || !table_.go(recno_))
            table_.first();
    } catch (const std::exception&) {
        // The view is put back as far as the table lets it; the run has
        // already reported what went wrong.
    }
}

namespace {

std::vector<std::string> recordBytes(xbase::Table& table)
{
    std::vector<std::string> out;
    out.push_back(table.deleted() ? "*" : " ");
    for (int i = 0; i < table.fieldCount(); ++i)
        if (table.field(i).type != 'M')
            out.push_back(table.raw(table.field(i).name));
    return out;
}

} // namespace

bool changeRecord(xbase::Table& table, BulkOutcome& outcome, const std::function<bool()>& change)
{
    const uint32_t recno = table.recno();
    std::vector<std::string> before;
    try {
        before = recordBytes(table);
        table.edit();
        if (!change()) {
            table.cancel();
            return true;
        }
        table.post();
        ++outcome.changed;
        return true;
    } catch (const std::exception& e) {
        outcome.error = QString::fromStdString(e.what());
        try {
            if (table.editing())
                table.cancel();
            // A post can fail after its record reached the table (its keys
            // failed): the record is changed all the same, and counted.
            if (!before.empty() && table.go(recno) && recordBytes(table) != before)
                ++outcome.changed;
        } catch (const std::exception&) {
        }
        return false;
    }
}

bool inCp1252(QChar c)
{
    static const char16_t extra[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
                                     0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
                                     0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    if (c.unicode() < 0x100)
        return true;
    for (char16_t e : extra)
        if (c.unicode() == e)
            return true;
    return false;
}

bool storable(const QString& text)
{
    for (QChar c : text)
        if (!inCp1252(c))
            return false;
    return true;
}

QString unstorableMessage(const QString& text) { return QStringLiteral("\"%1\" holds characters the table cannot store").arg(text); }

} // namespace qb
