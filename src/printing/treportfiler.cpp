#include "printing/treportfiler.h"

namespace qb {

TReportFiler::TReportFiler(QObject* parent) : TBaseReport(parent) {}

void TReportFiler::setStream(TPageStream* stream)
{
    requireIdle("setStream");
    stream_ = stream;
    streamMode_ = stream ? StreamMode::smUser : StreamMode::smMemory;
}

void TReportFiler::deviceBeginDocument()
{
    stream()->clear();
    page_ = nullptr;
}

void TReportFiler::deviceBeginPage() { page_ = &stream()->beginPage(CurrentPage(), geometry_.paper); }

namespace {

// An equal value takes the previous one's shared copy.
template <class T>
void share(T& value, const T& previous)
{
    if (value == previous)
        value = previous;
}

} // namespace

void TReportFiler::deviceDraw(DrawCommand&& command)
{
    if (!page_)
        return;
    // Shapes and lines in a row mostly draw with one pen and brush (the bars
    // of a barcode): they share one copy of each, so that a preview of
    // thousands of pages does not hold a pen and a brush for every bar.
    if (!page_->commands.empty()) {
        const DrawCommand& last = page_->commands.back();
        if (auto* shape = std::get_if<ShapeCommand>(&command)) {
            if (const auto* before = std::get_if<ShapeCommand>(&last)) {
                share(shape->pen, before->pen);
                share(shape->brush, before->brush);
            }
        } else if (auto* line = std::get_if<LineCommand>(&command)) {
            if (const auto* before = std::get_if<LineCommand>(&last))
                share(line->pen, before->pen);
        }
    }
    page_->commands.push_back(std::move(command));
}

void TReportFiler::deviceEndDocument(bool discard)
{
    page_ = nullptr;
    if (discard)
        stream()->clear();
}

} // namespace qb
