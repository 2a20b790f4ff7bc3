#pragma once

#include <QString>

class TForm_Remetron;

// ERP.INI: the persisted fields of the main window. Fourteen keys in two sections, read when the window
// is created and written back when it closes.
namespace Settings {

// The settings file: ERP.INI in the executable's folder; when no file of that exact name exists but one
// whose name differs only in letter case does, that one.
QString path();

// Fills the persisted fields from the file; never fails (missing file, section or key: the default).
void load(TForm_Remetron& form);

// Writes all fourteen keys from the fields. Raises platform::InOutError("Unable to write to <path>")
// and leaves the file as it was when the file cannot be written.
void save(const TForm_Remetron& form);

// Tests only: use this folder instead of the executable's; an empty text restores it.
void setFolderForTesting(const QString& folder);

} // namespace Settings
