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

void TReportFiler::deviceDraw(DrawCommand&& command)
{
    if (page_)
        page_->commands.push_back(std::move(command));
}

void TReportFiler::deviceEndDocument(bool discard)
{
    page_ = nullptr;
    if (discard)
        stream()->clear();
}

} // namespace qb
