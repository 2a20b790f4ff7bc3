// The program itself, as a user starts it: the real executable in a folder of its own, with or without
// ERP.INI, its window found and its "Fechar" button clicked through a real X server. Registered to run
// under Xvfb with QT_QPA_PLATFORM=xcb.
#include "TempDir.h"
#include "X11Tools.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Table rows show by their name in the test's messages.
template <typename Row>
requires requires(const Row& row)
{
    row.name;
}
void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}

bool waitUntil(const std::function<bool()>& done, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs)
            return false;
        QTest::qWait(50);
    }
    return true;
}

// The program started from a copy of the executable in `folder`, so that the executable's folder,
// where ERP.INI lives, is that one. Whatever happens, the process is gone when this is.
class Program {
public:
    explicit Program(const TempDir& folder)
    {
        const QString copy = folder.file(QStringLiteral("remetron"));
        m_copied = QFile::copy(QStringLiteral(REMETRON_EXECUTABLE), copy);
        m_process.setWorkingDirectory(folder.path());
        m_process.setProgram(copy);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (m_copied)
            m_process.start();
    }

    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool started() { return m_copied && m_process.waitForStarted(10000); }
    QProcess& process() { return m_process; }

    // The program's main window once it is mapped, or an empty text after the limit.
    QString window(int limitMs = 30000)
    {
        QString id;
        waitUntil(
            [&] {
                const auto found = X11Tools::run(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                        QString::number(m_process.processId()), QStringLiteral("--name"),
                        QStringLiteral("^Remetron para revis")});
                id = found ? found->section(QLatin1Char('\n'), 0, 0).trimmed() : QString();
                return !id.isEmpty() || m_process.state() == QProcess::NotRunning;
            },
            limitMs);
        return id;
    }

private:
    QProcess m_process;
    bool m_copied = false;
};

// Motif window-manager hints: what the title bar may offer.
constexpr unsigned functionsGiven = 0x1;
constexpr unsigned allFunctions = 0x1, minimise = 0x8, maximise = 0x10, close = 0x20;

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList keysOf(const QString& text)
{
    QStringList keys;
    const QRegularExpression key(QStringLiteral("^([A-Z]+)="), QRegularExpression::MultilineOption);
    for (auto it = key.globalMatch(text); it.hasNext();)
        keys << it.next().captured(1);
    return keys;
}

struct StartRow {
    const char* name;
    QByteArray iniBefore; // empty: no ERP.INI
    QStringList expectedLines;
};

const StartRow startRows[] = {
    {"WithoutErpIni", QByteArray(),
        {QStringLiteral("[REMETRONCOBRANCA]"), QStringLiteral("EMPRESA=1"), QStringLiteral("USUARIO=0"),
            QStringLiteral("HOST=LOCALHOST"), QStringLiteral("BANCO=erp"), QStringLiteral("SSL=1"),
            QStringLiteral("[REMETRONREVISAO]"), QStringLiteral("ASSUNTO=")}},
    {"WithErpIni",
        "[OUTRO]\r\nCHAVE=valor\r\n[REMETRONCOBRANCA]\r\nEMPRESA=7\r\nHOST=db.interno\r\n"
        "[REMETRONREVISAO]\r\nASSUNTO=Revis\xC3\xA3o anual\r\n",
        {QStringLiteral("[OUTRO]"), QStringLiteral("CHAVE=valor"), QStringLiteral("EMPRESA=7"),
            QStringLiteral("HOST=db.interno"), QStringLiteral("ASSUNTO=Revisão anual")}},
};

class Executable : public ::testing::TestWithParam<StartRow> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"))
            << "run under xvfb-run with QT_QPA_PLATFORM=xcb";
    }
};

TEST_P(Executable, ShowsItsWindowAndFecharSavesTheSettingsAndEndsWithZero)
{
    const TempDir folder;
    const QString ini = folder.file(QStringLiteral("ERP.INI"));
    if (!GetParam().iniBefore.isEmpty()) {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(GetParam().iniBefore);
    }
    Program program(folder);
    ASSERT_TRUE(program.started());
    const QString window = program.window();
    ASSERT_FALSE(window.isEmpty()) << "no window; the program ended with " << program.process().exitCode();
    // The settings are written by the close, not before.
    EXPECT_EQ(QFile::exists(ini), !GetParam().iniBefore.isEmpty());

    // The window as the window manager is told of it.
    EXPECT_EQ(X11Tools::property(window, QStringLiteral("_NET_WM_NAME")),
        QStringLiteral("\"Remetron para revisão\""));
    const std::optional<QRect> geometry = X11Tools::geometry(window);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->size(), QSize(647, 431));
    const QString sizeHints
        = X11Tools::property(window, QStringLiteral("WM_NORMAL_HINTS")).value_or(QString());
    EXPECT_TRUE(sizeHints.contains(QStringLiteral("minimum size: 647 by 431"))) << sizeHints.toStdString();
    EXPECT_TRUE(sizeHints.contains(QStringLiteral("maximum size: 647 by 431"))) << sizeHints.toStdString();
    const QStringList motif = X11Tools::property(window, QStringLiteral("_MOTIF_WM_HINTS"))
                                  .value_or(QString())
                                  .split(QStringLiteral(", "));
    ASSERT_GE(motif.size(), 2);
    bool ok = false;
    const unsigned given = motif[0].toUInt(&ok, 16);
    const unsigned functions = motif[1].toUInt(&ok, 16);
    EXPECT_TRUE(given & functionsGiven);
    EXPECT_EQ(functions & (allFunctions | minimise | maximise | close), 0U) << motif.join(u',').toStdString();

    // "Fechar" at its place in the design: 420, 323, 75 x 25.
    ASSERT_TRUE(X11Tools::xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window,
        QStringLiteral("457"), QStringLiteral("335"), QStringLiteral("click"), QStringLiteral("1")}));
    ASSERT_TRUE(program.process().waitForFinished(30000)) << "the program did not end";
    EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.process().exitCode(), 0);

    const QString written = fileText(ini);
    const QStringList keys = keysOf(written);
    for (const char* key : {"EMPRESA", "USUARIO", "HOST", "BANCO", "PORTA", "HOSTEMAIL", "PORTAEMAIL",
             "USUARIOEMAIL", "SENHAEMAIL", "SSL", "TLS", "ASSUNTO", "TITULO", "RODAPE"})
        EXPECT_EQ(keys.count(QLatin1String(key)), 1) << key;
    const QStringList lines = written.split(QStringLiteral("\r\n"));
    for (const QString& line : GetParam().expectedLines)
        EXPECT_TRUE(lines.contains(line)) << line.toStdString() << " in\n" << written.toStdString();
    // Nothing beside the executable but the file it was given or wrote.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
        QStringList({QStringLiteral("ERP.INI"), QStringLiteral("remetron")}));
}

INSTANTIATE_TEST_SUITE_P(Starts, Executable, ::testing::ValuesIn(startRows),
    [](const ::testing::TestParamInfo<StartRow>& row) { return std::string(row.param.name); });

} // namespace
