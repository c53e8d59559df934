#include "utilities/bulk_restore.h"

#include "core/messages.h"

namespace qb {

bool askToGoOnWithoutRestorePoint(const QString& why)
{
    return askQuestionDefaultNo(why + QStringLiteral("\r\nThe change could not be undone. Go on without a restore point?"),
                                QStringLiteral("Restore Point"));
}

} // namespace qb
