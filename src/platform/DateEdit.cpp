#include "platform/DateEdit.h"

#include "platform/RegionalFormats.h"

namespace platform {

DateEdit::DateEdit(QWidget* parent)
    : QDateEdit(parent)
{
    setCalendarPopup(true);
    const QString separator = regional::dateSeparator();
    // Quoted, since QDateEdit would read a separator that is a letter as part of the format.
    const QString quoted = QLatin1Char('\'') + separator + QLatin1Char('\'');
    setDisplayFormat(QStringLiteral("dd") + quoted + QStringLiteral("MM") + quoted + QStringLiteral("yyyy"));
}

bool DateEdit::focusNextPrevChild(bool next)
{
    return QWidget::focusNextPrevChild(next);
}

} // namespace platform
