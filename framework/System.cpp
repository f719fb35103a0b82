#include "framework/System.h"

void TPersistent::Assign(const TPersistent* Source)
{
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    AssignTo(this);  // nil source: the class decides (most raise)
}

void TPersistent::AssignTo(TPersistent* Dest) const
{
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2")
                            .arg(this == Dest ? QStringLiteral("nil") : ClassName(), Dest->ClassName()));
}
