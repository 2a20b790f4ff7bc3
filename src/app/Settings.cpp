#include "app/Settings.h"

#include "app/Remetron.h"
#include "platform/Edit.h"
#include "platform/IniFile.h"
#include "platform/Memo.h"
#include "platform/NumericEdit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <variant>

namespace {

constexpr QLatin1StringView fileName("ERP.INI");
constexpr QLatin1StringView connection("REMETRONCOBRANCA");
constexpr QLatin1StringView letter("REMETRONREVISAO");

enum class Kind { Integer, Boolean, Text };

using NumericField = platform::NumericEdit* TForm_Remetron::*;
using EditField = platform::Edit* TForm_Remetron::*;
using MemoField = platform::Memo* TForm_Remetron::*;
using CheckField = QCheckBox* TForm_Remetron::*;
using Field = std::variant<NumericField, EditField, MemoField, CheckField>;

struct Setting {
    QLatin1StringView section;
    QLatin1StringView key;
    Kind kind;
    // The value when the key is absent: a number for integers and booleans (0 false, 1 true), a text
    // for texts.
    std::variant<std::int32_t, QLatin1StringView> fallback;
    Field field;
};

// Read and written in this order.
constexpr Setting settings[] = {
    {connection, QLatin1StringView("EMPRESA"), Kind::Integer, 1, &TForm_Remetron::empresa},
    {connection, QLatin1StringView("USUARIO"), Kind::Integer, 0, &TForm_Remetron::usuario},
    {connection, QLatin1StringView("HOST"), Kind::Text, QLatin1StringView("LOCALHOST"),
        &TForm_Remetron::host},
    {connection, QLatin1StringView("BANCO"), Kind::Text, QLatin1StringView("erp"), &TForm_Remetron::banco},
    {connection, QLatin1StringView("PORTA"), Kind::Text, QLatin1StringView("3306"), &TForm_Remetron::porta},
    {connection, QLatin1StringView("HOSTEMAIL"), Kind::Text, QLatin1StringView("smtp.gmail.com"),
        &TForm_Remetron::hostemail},
    {connection, QLatin1StringView("PORTAEMAIL"), Kind::Text, QLatin1StringView("465"),
        &TForm_Remetron::portaemail},
    {connection, QLatin1StringView("USUARIOEMAIL"), Kind::Text, QLatin1StringView("contato@gmail.com"),
        &TForm_Remetron::usuarioemail},
    {connection, QLatin1StringView("SENHAEMAIL"), Kind::Text, QLatin1StringView(""),
        &TForm_Remetron::senhaemail},
    {connection, QLatin1StringView("SSL"), Kind::Boolean, 1, &TForm_Remetron::ssl},
    {connection, QLatin1StringView("TLS"), Kind::Boolean, 1, &TForm_Remetron::tls},
    {letter, QLatin1StringView("ASSUNTO"), Kind::Text, QLatin1StringView(""), &TForm_Remetron::assunto},
    {letter, QLatin1StringView("TITULO"), Kind::Text, QLatin1StringView(""), &TForm_Remetron::titulo},
    {letter, QLatin1StringView("RODAPE"), Kind::Text, QLatin1StringView(""), &TForm_Remetron::rodape},
};

// Each row's kind agrees with its field and its default, so the loops below never meet a mismatch.
constexpr bool consistent(const Setting& row)
{
    switch (row.kind) {
    case Kind::Integer:
        return std::holds_alternative<NumericField>(row.field)
            && std::holds_alternative<std::int32_t>(row.fallback);
    case Kind::Boolean:
        return std::holds_alternative<CheckField>(row.field)
            && std::holds_alternative<std::int32_t>(row.fallback);
    case Kind::Text:
        return (std::holds_alternative<EditField>(row.field) || std::holds_alternative<MemoField>(row.field))
            && std::holds_alternative<QLatin1StringView>(row.fallback);
    }
    return false;
}
static_assert(std::ranges::all_of(settings, consistent));

QString& folderForTesting()
{
    static QString folder;
    return folder;
}

// Only ASCII letters may differ in case: "ERP.INI" has no other.
bool isFileName(const QString& candidate)
{
    if (candidate.size() != fileName.size())
        return false;
    for (qsizetype i = 0; i < candidate.size(); ++i) {
        const char16_t c = candidate[i].unicode();
        if (c >= 0x80 || QChar::toUpper(c) != static_cast<char16_t>(fileName[i].unicode()))
            return false;
    }
    return true;
}

QString textOf(const TForm_Remetron& form, const Field& field)
{
    if (const auto* edit = std::get_if<EditField>(&field))
        return (form.**edit)->text();
    return (form.*std::get<MemoField>(field))->text();
}

void setText(TForm_Remetron& form, const Field& field, const QString& text)
{
    if (const auto* edit = std::get_if<EditField>(&field))
        (form.**edit)->setText(text);
    else
        (form.*std::get<MemoField>(field))->setText(text);
}

} // namespace

namespace Settings {

QString path()
{
    const QString folder
        = folderForTesting().isEmpty() ? QCoreApplication::applicationDirPath() : folderForTesting();
    const QString exact = folder + u'/' + fileName;
    const QFileInfo info(exact);
    if (info.exists() || info.isSymbolicLink())
        return exact;
    // As on the ERP's platform, whose file names ignore letter case; of several, the first by name.
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Unsorted);
    std::ranges::sort(names);
    for (const QString& name : names) {
        if (isFileName(name))
            return folder + u'/' + name;
    }
    return exact;
}

void load(TForm_Remetron& form)
{
    const platform::IniFile ini(path());
    for (const Setting& row : settings) {
        const QString section(row.section);
        const QString key(row.key);
        switch (row.kind) {
        case Kind::Integer:
            (form.*std::get<NumericField>(row.field))
                ->setValue(ini.ReadInteger(section, key, std::get<std::int32_t>(row.fallback)));
            break;
        case Kind::Boolean:
            (form.*std::get<CheckField>(row.field))
                ->setChecked(ini.ReadBool(section, key, std::get<std::int32_t>(row.fallback) != 0));
            break;
        case Kind::Text:
            setText(form, row.field,
                ini.ReadString(section, key, QString(std::get<QLatin1StringView>(row.fallback))));
            break;
        }
    }
}

void save(const TForm_Remetron& form)
{
    // Read again now: whatever else changed in the file since the start is kept.
    platform::IniFile ini(path());
    for (const Setting& row : settings) {
        const QString section(row.section);
        const QString key(row.key);
        switch (row.kind) {
        case Kind::Integer:
            ini.WriteInteger(section, key, (form.*std::get<NumericField>(row.field))->asInteger());
            break;
        case Kind::Boolean:
            ini.WriteBool(section, key, (form.*std::get<CheckField>(row.field))->isChecked());
            break;
        case Kind::Text:
            ini.WriteString(section, key, textOf(form, row.field));
            break;
        }
    }
    ini.UpdateFile();
}

void setFolderForTesting(const QString& folder)
{
    folderForTesting() = folder;
}

} // namespace Settings
