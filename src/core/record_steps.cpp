#include "core/record_steps.h"

#include "platform/xbase/table.h"

namespace qb {

QString stepRecord(xbase::Table& t, RecordStep step)
{
    try {
        switch (step) {
        case RecordStep::First: t.first(); break;
        case RecordStep::Prior:
            if (!t.prior())
                t.first();
            break;
        case RecordStep::Next:
            if (!t.next())
                t.last();
            break;
        case RecordStep::Last: t.last(); break;
        }
    } catch (const std::exception& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

} // namespace qb
