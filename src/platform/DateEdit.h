#pragma once

#include <QDateEdit>

namespace platform {

// A date edit with a button that opens a calendar. It shows the date as day, month and year
// ("dd/mm/yyyy") with the date separator of the regional settings. Tab and Shift+Tab move the focus
// to the next or previous control, as from any edit of the form; the cursor keys move between the
// day, the month and the year.
class DateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);

protected:
    // QDateEdit would step through its sections first.
    bool focusNextPrevChild(bool next) override;
};

} // namespace platform
