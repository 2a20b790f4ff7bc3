#include "platform/DateEdit.h"

namespace platform {

DateEdit::DateEdit(QWidget* parent)
    : QDateEdit(parent)
{
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
}

} // namespace platform
