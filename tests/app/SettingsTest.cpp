#include "app/Settings.h"

#include "FileSizeLimit.h"
#include "QtPrinters.h"
#include "TempDir.h"
#include "app/Remetron.h"
#include "platform/Edit.h"
#include "platform/Exception.h"
#include "platform/Memo.h"
#include "platform/NumericEdit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <ostream>
#include <string_view>
#include <sys/stat.h>

using namespace std::string_view_literals;

namespace {

QByteArray bytesOf(std::string_view text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// What the first close writes when no field was changed since a start without ERP.INI.
const QByteArray defaultFile = "[REMETRONCOBRANCA]\r\n"
                               "EMPRESA=1\r\n"
                               "USUARIO=0\r\n"
                               "HOST=LOCALHOST\r\n"
                               "BANCO=erp\r\n"
                               "PORTA=3306\r\n"
                               "HOSTEMAIL=smtp.gmail.com\r\n"
                               "PORTAEMAIL=465\r\n"
                               "USUARIOEMAIL=contato@gmail.com\r\n"
                               "SENHAEMAIL=\r\n"
                               "SSL=1\r\n"
                               "TLS=1\r\n"
                               "[REMETRONREVISAO]\r\n"
                               "ASSUNTO=\r\n"
                               "TITULO=\r\n"
                               "RODAPE=\r\n";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { Settings::setFolderForTesting(dir.path()); }
    void TearDown() override { Settings::setFolderForTesting(QString()); }

    TempDir dir;
    const QString path = dir.file(QStringLiteral("ERP.INI"));
};

TEST_F(SettingsTest, StartWithoutTheFileShowsTheDefaults)
{
    const TForm_Remetron form;
    EXPECT_EQ(form.empresa->asInteger(), 1);
    EXPECT_EQ(form.usuario->asInteger(), 0);
    EXPECT_EQ(form.host->text(), QStringLiteral("LOCALHOST"));
    EXPECT_EQ(form.banco->text(), QStringLiteral("erp"));
    EXPECT_EQ(form.porta->text(), QStringLiteral("3306"));
    EXPECT_EQ(form.hostemail->text(), QStringLiteral("smtp.gmail.com"));
    EXPECT_EQ(form.portaemail->text(), QStringLiteral("465"));
    EXPECT_EQ(form.usuarioemail->text(), QStringLiteral("contato@gmail.com"));
    EXPECT_EQ(form.senhaemail->text(), QString());
    EXPECT_TRUE(form.ssl->isChecked());
    EXPECT_TRUE(form.tls->isChecked());
    EXPECT_EQ(form.assunto->text(), QString());
    EXPECT_EQ(form.titulo->text(), QString());
    EXPECT_EQ(form.rodape->text(), QString());
    EXPECT_EQ(form.historico->asInteger(), 1);
    EXPECT_FALSE(QFileInfo::exists(path)) << "loading creates no file";
}

TEST_F(SettingsTest, FirstSaveWritesBothSectionsAndAllKeysInOrder)
{
    const TForm_Remetron form;
    Settings::save(form);
    EXPECT_EQ(readAll(path), defaultFile);
    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u) << "the file holds the mail password";
    EXPECT_EQ(entries(dir.path()), QStringList {QStringLiteral("ERP.INI")});
}

TEST_F(SettingsTest, EveryFieldSurvivesASaveAndALoad)
{
    TForm_Remetron form;
    const QString edit1 = form.Edit1->text();
    const QString senha = form.senha->text();
    form.empresa->setValue(12.7); // written truncated toward zero
    form.usuario->setValue(-3.9);
    form.host->setText(QStringLiteral("db.example.org"));
    form.banco->setText(QStringLiteral("vendas_filial"));
    form.porta->setText(QStringLiteral("3307"));
    form.hostemail->setText(QStringLiteral("smtp.example.org"));
    form.portaemail->setText(QStringLiteral("587"));
    form.usuarioemail->setText(QStringLiteral("remetente@example.org"));
    form.senhaemail->setText(QStringLiteral(u"S3nh@ \u00C7\u00E9"));
    form.ssl->setChecked(false);
    form.tls->setChecked(true);
    form.assunto->setText(QStringLiteral(u"Revis\u00E3o peri\u00F3dica do equipamento"));
    form.titulo->setText(
        QStringLiteral(u"Prezado cliente,\r\nseu equipamento est\u00E1 pr\u00F3ximo da revis\u00E3o."));
    form.rodape->setText(QStringLiteral(u"Atenciosamente,\r\nAssist\u00EAncia T\u00E9cnica\r\n"));
    // Not persisted: the next start shows the built-in values again.
    form.historico->setValue(7);
    form.Edit1->setText(QStringLiteral("maria"));
    form.senha->setText(QStringLiteral("111111"));
    Settings::save(form);

    // The memos' line breaks are written as they stand. Their later lines hold no '=', so they are no
    // keys, and a new key still goes after the last key line: RODAPE lands before TITULO's second line.
    EXPECT_EQ(readAll(path),
        QStringLiteral(u"[REMETRONCOBRANCA]\r\n"
                       u"EMPRESA=12\r\n"
                       u"USUARIO=-3\r\n"
                       u"HOST=db.example.org\r\n"
                       u"BANCO=vendas_filial\r\n"
                       u"PORTA=3307\r\n"
                       u"HOSTEMAIL=smtp.example.org\r\n"
                       u"PORTAEMAIL=587\r\n"
                       u"USUARIOEMAIL=remetente@example.org\r\n"
                       u"SENHAEMAIL=S3nh@ \u00C7\u00E9\r\n"
                       u"SSL=0\r\n"
                       u"TLS=1\r\n"
                       u"[REMETRONREVISAO]\r\n"
                       u"ASSUNTO=Revis\u00E3o peri\u00F3dica do equipamento\r\n"
                       u"TITULO=Prezado cliente,\r\n"
                       u"RODAPE=Atenciosamente,\r\n"
                       u"Assist\u00EAncia T\u00E9cnica\r\n"
                       u"\r\n"
                       u"seu equipamento est\u00E1 pr\u00F3ximo da revis\u00E3o.\r\n")
            .toUtf8());

    const TForm_Remetron next;
    EXPECT_EQ(next.empresa->asInteger(), 12);
    EXPECT_EQ(next.usuario->asInteger(), -3);
    EXPECT_EQ(next.host->text(), QStringLiteral("db.example.org"));
    EXPECT_EQ(next.banco->text(), QStringLiteral("vendas_filial"));
    EXPECT_EQ(next.porta->text(), QStringLiteral("3307"));
    EXPECT_EQ(next.hostemail->text(), QStringLiteral("smtp.example.org"));
    EXPECT_EQ(next.portaemail->text(), QStringLiteral("587"));
    EXPECT_EQ(next.usuarioemail->text(), QStringLiteral("remetente@example.org"));
    EXPECT_EQ(next.senhaemail->text(), QStringLiteral(u"S3nh@ \u00C7\u00E9"));
    EXPECT_FALSE(next.ssl->isChecked());
    EXPECT_TRUE(next.tls->isChecked());
    EXPECT_EQ(next.assunto->text(), QStringLiteral(u"Revis\u00E3o peri\u00F3dica do equipamento"));
    EXPECT_EQ(next.titulo->text(), QStringLiteral("Prezado cliente,")) << "only the first line comes back";
    EXPECT_EQ(next.rodape->text(), QStringLiteral("Atenciosamente,"));
    EXPECT_EQ(next.historico->asInteger(), 1);
    EXPECT_EQ(next.Edit1->text(), edit1);
    EXPECT_EQ(next.senha->text(), senha);
}

TEST_F(SettingsTest, FieldsThatAreNotPersistedIgnoreTheFile)
{
    const TForm_Remetron builtIn;
    const QByteArray file = "[REMETRONCOBRANCA]\r\nHISTORICO=9\r\nEDIT1=maria\r\nSENHA=111111\r\n"
                            "USUARIO=4\r\n";
    writeFile(path, file);
    const TForm_Remetron form;
    EXPECT_EQ(form.usuario->asInteger(), 4);
    EXPECT_EQ(form.historico->asInteger(), 1);
    EXPECT_EQ(form.Edit1->text(), builtIn.Edit1->text());
    EXPECT_EQ(form.senha->text(), builtIn.senha->text());
    Settings::save(form);
    EXPECT_TRUE(readAll(path).startsWith(file)) << "their keys stay as they were, and no other is added";
}

// An ERP.INI that the ERP and its other programs share: only our fourteen keys change, every other
// byte stays, new keys go after the last key of their section, and the file keeps its code page.
TEST_F(SettingsTest, SaveKeepsEverythingElseOfAnExistingFile)
{
    writeFile(path,
        "; Configura\xE7\xE3o do ERP\r\n"
        "[ERP]\r\n"
        "Caminho = C:\\ERP\\dados\r\n"
        "\r\n"
        "[RemetronCobranca]\r\n"
        "host = servidor\r\n"
        "OUTRA=1\r\n"
        "\r\n"
        "[REMETRONREVISAO]\r\n"
        "assunto=Revis\xE3o\r\n");
    TForm_Remetron form;
    ASSERT_EQ(form.host->text(), QStringLiteral("servidor"));
    ASSERT_EQ(form.assunto->text(), QStringLiteral(u"Revis\u00E3o"));
    form.titulo->setText(QStringLiteral(u"Aten\u00E7\u00E3o"));
    Settings::save(form);
    EXPECT_EQ(readAll(path),
        QByteArray("; Configura\xE7\xE3o do ERP\r\n"
                   "[ERP]\r\n"
                   "Caminho = C:\\ERP\\dados\r\n"
                   "\r\n"
                   "[RemetronCobranca]\r\n"
                   "host=servidor\r\n"
                   "OUTRA=1\r\n"
                   "EMPRESA=1\r\n"
                   "USUARIO=0\r\n"
                   "BANCO=erp\r\n"
                   "PORTA=3306\r\n"
                   "HOSTEMAIL=smtp.gmail.com\r\n"
                   "PORTAEMAIL=465\r\n"
                   "USUARIOEMAIL=contato@gmail.com\r\n"
                   "SENHAEMAIL=\r\n"
                   "SSL=1\r\n"
                   "TLS=1\r\n"
                   "\r\n"
                   "[REMETRONREVISAO]\r\n"
                   "assunto=Revis\xE3o\r\n"
                   "TITULO=Aten\xE7\xE3o\r\n"
                   "RODAPE=\r\n"));
}

// ---- reading rules, one field at a time ---------------------------------------------------------

using Reader = QString (*)(const TForm_Remetron&);

QString checked(const QCheckBox* box)
{
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

struct ReadRow {
    const char* name;
    QByteArray file;
    Reader field;
    QString expected;
};

void PrintTo(const ReadRow& row, std::ostream* out)
{
    *out << row.name;
}

const Reader empresa = [](const TForm_Remetron& f) { return QString::number(f.empresa->asInteger()); };
const Reader usuario = [](const TForm_Remetron& f) { return QString::number(f.usuario->asInteger()); };
const Reader host = [](const TForm_Remetron& f) { return f.host->text(); };
const Reader banco = [](const TForm_Remetron& f) { return f.banco->text(); };
const Reader porta = [](const TForm_Remetron& f) { return f.porta->text(); };
const Reader ssl = [](const TForm_Remetron& f) { return checked(f.ssl); };
const Reader tls = [](const TForm_Remetron& f) { return checked(f.tls); };
const Reader assunto = [](const TForm_Remetron& f) { return f.assunto->text(); };
const Reader titulo = [](const TForm_Remetron& f) { return f.titulo->text(); };

class SettingsRead : public SettingsTest, public ::testing::WithParamInterface<ReadRow> { };

TEST_P(SettingsRead, FillsTheField)
{
    const ReadRow& row = GetParam();
    writeFile(path, row.file);
    const TForm_Remetron form;
    EXPECT_EQ(row.field(form), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, SettingsRead,
    ::testing::Values(ReadRow {"empresa_abc_gives_the_default", "[REMETRONCOBRANCA]\r\nEMPRESA=abc\r\n",
                          empresa, QStringLiteral("1")},
        ReadRow {
            "empresa_0x1A_is_hex", "[REMETRONCOBRANCA]\r\nEMPRESA=0x1A\r\n", empresa, QStringLiteral("26")},
        ReadRow {
            "empresa_dollar_is_hex", "[REMETRONCOBRANCA]\r\nEMPRESA=$1f\r\n", empresa, QStringLiteral("31")},
        ReadRow {"empresa_blanks_and_quotes", "[REMETRONCOBRANCA]\r\nEMPRESA = '7' \r\n", empresa,
            QStringLiteral("7")},
        ReadRow {"usuario_negative", "[REMETRONCOBRANCA]\r\nUSUARIO=-5\r\n", usuario, QStringLiteral("-5")},
        ReadRow {"usuario_out_of_range_gives_the_default", "[REMETRONCOBRANCA]\r\nUSUARIO=4294967296\r\n",
            usuario, QStringLiteral("0")},
        ReadRow {"ssl_false_leaves_it_on", "[REMETRONCOBRANCA]\r\nSSL=false\r\n", ssl, QStringLiteral("1")},
        ReadRow {"ssl_0_turns_it_off", "[REMETRONCOBRANCA]\r\nSSL=0\r\n", ssl, QStringLiteral("0")},
        ReadRow {"ssl_2_turns_it_on", "[REMETRONCOBRANCA]\r\nSSL=2\r\n", ssl, QStringLiteral("1")},
        ReadRow {"tls_0_turns_it_off", "[REMETRONCOBRANCA]\r\nTLS=0\r\n", tls, QStringLiteral("0")},
        ReadRow {"host_present_empty_is_empty", "[REMETRONCOBRANCA]\r\nHOST=\r\n", host, QString()},
        ReadRow {"host_absent_is_the_default", "[REMETRONCOBRANCA]\r\nBANCO=x\r\n", host,
            QStringLiteral("LOCALHOST")},
        ReadRow {
            "names_ignore_case", "[remetroncobranca]\r\nbanco=vendas\r\n", banco, QStringLiteral("vendas")},
        ReadRow {"key_of_the_other_section_is_not_read", "[REMETRONREVISAO]\r\nBANCO=vendas\r\n", banco,
            QStringLiteral("erp")},
        ReadRow {"lf_line_ends", "[REMETRONCOBRANCA]\nPORTA=3307\n", porta, QStringLiteral("3307")},
        ReadRow {"junk_and_nul_bytes_around", bytesOf("\0\xFF junk\n[REMETRONCOBRANCA\nPORTA=3307\0\n==\n"sv),
            porta, QStringLiteral("3307")},
        ReadRow {"long_subject_is_cut", "[REMETRONREVISAO]\r\nASSUNTO=" + QByteArray(3000, 'a') + "\r\n",
            assunto, QString(2047, u'a')},
        ReadRow {"accents_in_utf8",
            "[REMETRONREVISAO]\r\nTITULO=Revis\xC3\xA3o peri\xC3\xB3"
            "dica\r\n",
            titulo, QStringLiteral(u"Revis\u00E3o peri\u00F3dica")},
        ReadRow {"accents_in_windows_1252",
            "[REMETRONREVISAO]\r\nTITULO=Revis\xE3o peri\xF3"
            "dica\r\n",
            titulo, QStringLiteral(u"Revis\u00E3o peri\u00F3dica")}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- where the file is --------------------------------------------------------------------------

TEST_F(SettingsTest, FileNameDifferingInCaseIsUsed)
{
    writeFile(dir.file(QStringLiteral("erp.ini")), "[REMETRONCOBRANCA]\r\nBANCO=vendas\r\n");
    EXPECT_EQ(Settings::path(), dir.file(QStringLiteral("erp.ini")));
    const TForm_Remetron form;
    EXPECT_EQ(form.banco->text(), QStringLiteral("vendas"));
    Settings::save(form);
    EXPECT_EQ(entries(dir.path()), QStringList {QStringLiteral("erp.ini")}) << "no second file is made";
    EXPECT_TRUE(
        readAll(dir.file(QStringLiteral("erp.ini"))).startsWith("[REMETRONCOBRANCA]\r\nBANCO=vendas\r\n"));

    // The exact name wins over one that differs in case.
    writeFile(path, "[REMETRONCOBRANCA]\r\nBANCO=exato\r\n");
    EXPECT_EQ(Settings::path(), path);
    EXPECT_EQ(TForm_Remetron().banco->text(), QStringLiteral("exato"));
}

TEST_F(SettingsTest, PathIsErpIniBesideTheExecutable)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("erp.ini")));
    EXPECT_EQ(Settings::path(), path) << "a folder of that name is no settings file";
    Settings::setFolderForTesting(QString());
    EXPECT_EQ(Settings::path(), QCoreApplication::applicationDirPath() + QStringLiteral("/ERP.INI"));
}

// ---- a save that fails ------------------------------------------------------------------------

TEST_F(SettingsTest, SaveThatFailsHalfWayKeepsTheOldFile)
{
    const QByteArray old = "[REMETRONCOBRANCA]\r\nEMPRESA=5\r\n; keep me\r\n";
    writeFile(path, old);
    TForm_Remetron form;
    form.empresa->setValue(6);
    QString message = QStringLiteral("<no error>");
    {
        // The file-size limit stops root as well: the temporary file cannot grow past 16 bytes.
        FileSizeLimit limit(16);
        try {
            Settings::save(form);
        } catch (const platform::InOutError& error) {
            message = error.message();
        }
    }
    EXPECT_EQ(message, QStringLiteral("Unable to write to ") + path);
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(entries(dir.path()), QStringList {QStringLiteral("ERP.INI")})
        << "the temporary file is removed";
}

TEST_F(SettingsTest, SaveIntoAFolderThatCannotExistRaises)
{
    // A folder under a regular file cannot hold a file, whoever asks.
    writeFile(dir.file(QStringLiteral("plain")), "not a folder");
    const QString folder = dir.file(QStringLiteral("plain"));
    Settings::setFolderForTesting(folder);
    const TForm_Remetron form;
    EXPECT_EQ(form.host->text(), QStringLiteral("LOCALHOST"));
    try {
        Settings::save(form);
        ADD_FAILURE() << "no error";
    } catch (const platform::InOutError& error) {
        EXPECT_EQ(
            error.message(), QStringLiteral("Unable to write to ") + folder + QStringLiteral("/ERP.INI"));
    }
    EXPECT_EQ(readAll(folder), QByteArray("not a folder"));
}

} // namespace
