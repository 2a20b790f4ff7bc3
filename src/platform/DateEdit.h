#pragma once

#include <QDateEdit>

namespace platform {

// A date edit with a button that opens a calendar.
class DateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);
};

} // namespace platform
