#include "app/Remetron.h"

#include "LoopWatchdog.h"
#include "ModalBoxWatcher.h"
#include "TempDir.h"
#include "app/Settings.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/DateEdit.h"
#include "platform/Edit.h"
#include "platform/Exception.h"
#include "platform/Memo.h"
#include "platform/NumericEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

// Readable QStrings in the failure messages of this file.
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

// A Wednesday: nothing in these tests depends on the weekday, but the date must be known.
const QDateTime now(QDate(2024, 3, 6), QTime(9, 30));

// The keys of ERP.INI as a close writes them, in their order.
const QStringList persistedKeys
    = {QStringLiteral("EMPRESA"), QStringLiteral("USUARIO"), QStringLiteral("HOST"), QStringLiteral("BANCO"),
        QStringLiteral("PORTA"), QStringLiteral("HOSTEMAIL"), QStringLiteral("PORTAEMAIL"),
        QStringLiteral("USUARIOEMAIL"), QStringLiteral("SENHAEMAIL"), QStringLiteral("SSL"),
        QStringLiteral("TLS"), QStringLiteral("ASSUNTO"), QStringLiteral("TITULO"), QStringLiteral("RODAPE")};

// Every test has ERP.INI in a folder of its own, a fixed clock, and a run that only counts its calls
// (the real one would reach for a database); the program's own behaviour is back afterwards.
class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings::setFolderForTesting(folder.path());
        platform::setClockForTesting([] { return now; });
        setRun([](TForm_Remetron&) {});
    }

    void TearDown() override
    {
        TForm_Remetron::setSeamsForTesting({});
        Settings::setFolderForTesting(QString());
        platform::setClockForTesting({});
    }

    // The run's stand-in; `runs` counts its calls.
    void setRun(std::function<void(TForm_Remetron&)> run)
    {
        TForm_Remetron::TestSeams seams;
        seams.run = [this, run = std::move(run)](TForm_Remetron& form) {
            ++runs;
            run(form);
        };
        TForm_Remetron::setSeamsForTesting(std::move(seams));
    }

    void writeIni(const QByteArray& bytes) const
    {
        QFile file(folder.file(QStringLiteral("ERP.INI")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QString iniText() const
    {
        QFile file(folder.file(QStringLiteral("ERP.INI")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // The key names of ERP.INI, in the file's order.
    QStringList iniKeys() const
    {
        QStringList keys;
        const QRegularExpression key(QStringLiteral("^([A-Z]+)="), QRegularExpression::MultilineOption);
        for (auto it = key.globalMatch(iniText()); it.hasNext();)
            keys << it.next().captured(1);
        return keys;
    }

    TempDir folder;
    int runs = 0;
};

// The control of the form that holds a focused or clicked child widget (a date edit's inner edit).
QString controlOf(const TForm_Remetron& form, QWidget* widget)
{
    while (widget != nullptr && widget->parentWidget() != &form)
        widget = widget->parentWidget();
    return widget != nullptr ? widget->objectName() : QString();
}

// Runs `step` from the event loop once no modal box is open any more.
void afterTheBoxes(QObject* context, std::function<void()> step)
{
    QTimer::singleShot(10, context, [context, step = std::move(step)]() mutable {
        if (QApplication::activeModalWidget() != nullptr)
            afterTheBoxes(context, std::move(step));
        else
            step();
    });
}

// ---- The controls and their layout

struct ControlRow {
    const char* name;
    const char* kind;
    QRect geometry;
    QWidget* (*member)(const TForm_Remetron&);
};

// clang-format off
#define CONTROL(name, kind, left, top, width, height) \
    ControlRow{#name, kind, QRect(left, top, width, height), \
        [](const TForm_Remetron& form) -> QWidget* { return form.name; }}
// clang-format on

// In the window's tab order, with the design's client coordinates.
const ControlRow controlRows[] = {
    CONTROL(empresa, "platform::NumericEdit", 78, 21, 65, 21),
    CONTROL(usuario, "platform::NumericEdit", 78, 45, 65, 21),
    CONTROL(banco, "platform::Edit", 78, 101, 121, 21),
    CONTROL(host, "platform::Edit", 78, 125, 121, 21),
    CONTROL(porta, "platform::Edit", 78, 149, 121, 21),
    CONTROL(Edit1, "platform::Edit", 78, 173, 121, 21),
    CONTROL(senha, "platform::Edit", 78, 197, 121, 21),
    CONTROL(DateEdit1, "platform::DateEdit", 78, 221, 120, 21),
    CONTROL(hostemail, "platform::Edit", 78, 265, 121, 21),
    CONTROL(portaemail, "platform::Edit", 78, 289, 121, 21),
    CONTROL(usuarioemail, "platform::Edit", 78, 310, 121, 21),
    CONTROL(senhaemail, "platform::Edit", 78, 337, 121, 21),
    CONTROL(ssl, "QCheckBox", 79, 364, 97, 17),
    CONTROL(tls, "QCheckBox", 79, 380, 97, 17),
    CONTROL(assunto, "platform::Memo", 232, 41, 369, 24),
    CONTROL(titulo, "platform::Memo", 232, 88, 369, 93),
    CONTROL(rodape, "platform::Memo", 232, 208, 369, 93),
    CONTROL(Button1, "QPushButton", 420, 323, 75, 25),
    CONTROL(ProgressBar1, "QProgressBar", 0, 0, 647, 16),
    CONTROL(Button3, "QPushButton", 284, 323, 75, 25),
    CONTROL(historico, "platform::NumericEdit", 78, 69, 65, 21),
};

class Controls : public Window, public ::testing::WithParamInterface<ControlRow> { };

TEST_P(Controls, HaveTheirNameKindPlaceAndSize)
{
    const ControlRow& row = GetParam();
    TForm_Remetron form;
    QWidget* control = row.member(form);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->objectName(), QLatin1String(row.name));
    EXPECT_EQ(form.findChild<QWidget*>(QLatin1String(row.name)), control);
    EXPECT_EQ(control->parentWidget(), &form);
    EXPECT_STREQ(control->metaObject()->className(), row.kind);
    EXPECT_EQ(control->geometry(), row.geometry);
    EXPECT_FALSE(control->isHidden());
}

INSTANTIATE_TEST_SUITE_P(Design, Controls, ::testing::ValuesIn(controlRows),
    [](const ::testing::TestParamInfo<ControlRow>& row) { return std::string(row.param.name); });

enum class Side { Left, Above };

struct LabelRow {
    const char* name;
    QString caption;
    const char* control;
    Side side;
    int top; // the design's top, for a label above its control
};

const LabelRow labelRows[] = {
    {"Label1", QStringLiteral("Empresa:"), "empresa", Side::Left, 0},
    {"Label2", QStringLiteral("Usuário"), "usuario", Side::Left, 0},
    {"Label17", QStringLiteral("Histórico"), "historico", Side::Left, 0},
    {"Label3", QStringLiteral("Banco:"), "banco", Side::Left, 0},
    {"Label4", QStringLiteral("Host:"), "host", Side::Left, 0},
    {"Label7", QStringLiteral("Porta"), "porta", Side::Left, 0},
    {"Label5", QStringLiteral("Usuario:"), "Edit1", Side::Left, 0},
    {"Label6", QStringLiteral("Senha:"), "senha", Side::Left, 0},
    {"Label8", QStringLiteral("Data base:"), "DateEdit1", Side::Left, 0},
    {"Label12", QStringLiteral("Host:"), "hostemail", Side::Left, 0},
    {"Label14", QStringLiteral("Porta"), "portaemail", Side::Left, 0},
    {"Label13", QStringLiteral("Usuario:"), "usuarioemail", Side::Left, 0},
    {"Label16", QStringLiteral("Senha:"), "senhaemail", Side::Left, 0},
    {"Label10", QStringLiteral("Assunto email"), "assunto", Side::Above, 27},
    {"Label9", QStringLiteral("Mensagem titulo"), "titulo", Side::Above, 71},
    {"Label11", QStringLiteral("Mensagem rodapé"), "rodape", Side::Above, 191},
};

class Labels : public Window, public ::testing::WithParamInterface<LabelRow> { };

TEST_P(Labels, StandBesideTheirControlWithTheirCaption)
{
    const LabelRow& row = GetParam();
    TForm_Remetron form;
    auto* label = form.findChild<QLabel*>(QLatin1String(row.name));
    auto* control = form.findChild<QWidget*>(QLatin1String(row.control));
    ASSERT_NE(label, nullptr);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(label->text(), row.caption);
    EXPECT_EQ(label->buddy(), control);
    // The whole caption fits.
    EXPECT_GE(label->width(), label->sizeHint().width());
    if (row.side == Side::Left) {
        EXPECT_GE(label->x(), 0);
        EXPECT_LT(label->geometry().right(), control->x());
        EXPECT_GE(control->x() - label->geometry().right(), 2);
        EXPECT_LE(control->x() - label->geometry().right(), 10);
        EXPECT_GE(label->y(), control->y());
        EXPECT_LE(label->geometry().bottom(), control->geometry().bottom());
    } else {
        EXPECT_EQ(label->x(), control->x());
        EXPECT_EQ(label->y(), row.top);
        EXPECT_LT(label->geometry().bottom(), control->y());
    }
}

INSTANTIATE_TEST_SUITE_P(Design, Labels, ::testing::ValuesIn(labelRows),
    [](const ::testing::TestParamInfo<LabelRow>& row) { return std::string(row.param.name); });

TEST_F(Window, SectionLabelStandsAboveTheMailBlock)
{
    TForm_Remetron form;
    ASSERT_NE(form.Label15, nullptr);
    EXPECT_EQ(form.Label15->objectName(), QStringLiteral("Label15"));
    EXPECT_EQ(form.Label15->text(), QStringLiteral("Configuração Email"));
    EXPECT_EQ(form.Label15->pos(), QPoint(79, 247));
    EXPECT_GE(form.Label15->width(), 91);
    EXPECT_GE(form.Label15->height(), 13);
    EXPECT_GE(form.Label15->width(), form.Label15->sizeHint().width());
    EXPECT_LT(form.Label15->geometry().bottom(), form.hostemail->y());
}

TEST_F(Window, NoTwoControlsOverlap)
{
    TForm_Remetron form;
    const QList<QWidget*> children = form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    // The design's two check boxes share one row of pixels (364 + 17 is tls's top, 380, plus one).
    const auto designed = [](const QWidget* a, const QWidget* b) {
        return a->objectName() == QStringLiteral("ssl") && b->objectName() == QStringLiteral("tls");
    };
    for (qsizetype i = 0; i < children.size(); ++i) {
        for (qsizetype j = i + 1; j < children.size(); ++j) {
            if (designed(children[i], children[j]) || designed(children[j], children[i])) {
                EXPECT_EQ(children[i]->geometry().intersected(children[j]->geometry()).height(), 1);
                continue;
            }
            EXPECT_FALSE(children[i]->geometry().intersects(children[j]->geometry()))
                << children[i]->objectName().toStdString() << " and "
                << children[j]->objectName().toStdString();
        }
    }
    // Everything lies inside the client area.
    for (const QWidget* child : children)
        EXPECT_TRUE(form.rect().contains(child->geometry())) << child->objectName().toStdString();
}

TEST_F(Window, TabOrderIsTheDesignsOrder)
{
    TForm_Remetron form;
    QStringList designOrder;
    for (const ControlRow& row : controlRows)
        designOrder << QLatin1String(row.name);

    // The focus chain, read from the first control round to it again.
    QStringList chain;
    for (QWidget* widget = form.empresa->nextInFocusChain(); widget != form.empresa;
         widget = widget->nextInFocusChain()) {
        if (widget->parentWidget() == &form && designOrder.contains(widget->objectName()))
            chain << widget->objectName();
    }
    chain.prepend(QStringLiteral("empresa"));
    EXPECT_EQ(chain, designOrder);

    // Tab as a user presses it: the progress bar takes no focus, and the last control leads back to
    // the first.
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.empresa->setFocus();
    QStringList visited {controlOf(form, QApplication::focusWidget())};
    for (int i = 0; i < designOrder.size() - 1; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << controlOf(form, QApplication::focusWidget());
    }
    QStringList expected = designOrder;
    expected.removeOne(QStringLiteral("ProgressBar1"));
    expected << QStringLiteral("empresa");
    EXPECT_EQ(visited, expected);
}

TEST_F(Window, IsAFixedWindowWithoutBorderButtons)
{
    TForm_Remetron form;
    EXPECT_EQ(form.objectName(), QStringLiteral("Form_Remetron"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Remetron para revisão"));
    EXPECT_EQ(form.size(), QSize(647, 431));
    EXPECT_EQ(form.minimumSize(), QSize(647, 431));
    EXPECT_EQ(form.maximumSize(), QSize(647, 431));
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Window);
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    for (const Qt::WindowType button : {Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint,
             Qt::WindowMaximizeButtonHint, Qt::WindowCloseButtonHint, Qt::WindowContextHelpButtonHint})
        EXPECT_FALSE(flags.testFlag(button)) << button;
    EXPECT_EQ(form.font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(form.font().pointSize(), 8);
    // Nothing places the window: the system chooses where it goes.
    EXPECT_FALSE(form.testAttribute(Qt::WA_Moved));

    // The background is painted in the button-face colour.
    EXPECT_EQ(form.backgroundRole(), QPalette::Button);
    const QImage shot = form.grab().toImage();
    const QColor face = form.palette().color(QPalette::Button);
    for (const QPoint spot : {QPoint(630, 420), QPoint(10, 300), QPoint(620, 150)})
        EXPECT_EQ(shot.pixelColor(spot * shot.devicePixelRatio()), face) << spot.x() << "," << spot.y();
}

// ---- Form defaults and the settings that shape the controls' behaviour

// What a control holds, as one text: a number for the numeric edits, the state of a check box.
QString held(const TForm_Remetron& form, const char* name)
{
    QObject* control = form.findChild<QObject*>(QLatin1String(name));
    if (auto* number = qobject_cast<platform::NumericEdit*>(control))
        return QString::number(number->asInteger());
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* memo = qobject_cast<platform::Memo*>(control))
        return memo->text();
    if (auto* box = qobject_cast<QCheckBox*>(control))
        return box->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked");
    return QStringLiteral("<no such control>");
}

struct DefaultRow {
    const char* name;
    QString pattern; // what the control holds as the window is created, before the settings load
};

const DefaultRow defaultRows[] = {
    {"empresa", QStringLiteral("1")},
    {"usuario", QStringLiteral("1")},
    {"historico", QStringLiteral("1")},
    {"banco", QString()},
    {"host", QStringLiteral("localhost")},
    {"porta", QStringLiteral("3306")},
    // A person's first name and a password of six digits, built in.
    {"Edit1", QStringLiteral("[a-z]{4}")},
    {"senha", QStringLiteral("[0-9]{6}")},
    {"hostemail", QStringLiteral("smtp\\.gmail\\.com")},
    {"portaemail", QStringLiteral("465")},
    {"usuarioemail", QString()},
    // A placeholder word of five letters.
    {"senhaemail", QStringLiteral("[a-z]{5}")},
    {"ssl", QStringLiteral("unchecked")},
    {"tls", QStringLiteral("unchecked")},
    {"assunto", QString()},
    {"titulo", QString()},
    {"rodape", QString()},
};

class FormDefaults : public Window, public ::testing::WithParamInterface<DefaultRow> { };

TEST_P(FormDefaults, AreInPlaceWhenTheSettingsLoad)
{
    QString seen;
    TForm_Remetron::TestSeams seams;
    seams.beforeLoad = [&](const TForm_Remetron& form) { seen = held(form, GetParam().name); };
    TForm_Remetron::setSeamsForTesting(std::move(seams));
    TForm_Remetron form;
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(GetParam().pattern));
    EXPECT_TRUE(pattern.match(seen).hasMatch()) << seen.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Design, FormDefaults, ::testing::ValuesIn(defaultRows),
    [](const ::testing::TestParamInfo<DefaultRow>& row) { return std::string(row.param.name); });

TEST_F(Window, CreationLoadsTheSettingsAndSetsTodayButKeepsTheBuiltInLogin)
{
    writeIni("[REMETRONCOBRANCA]\r\nEMPRESA=7\r\nHOST=db.interno\r\nSSL=0\r\n"
             "[REMETRONREVISAO]\r\nASSUNTO=Revisão anual\r\n");
    const QString original = iniText();
    QString user, password, history;
    TForm_Remetron::TestSeams seams;
    seams.beforeLoad = [&](const TForm_Remetron& form) {
        user = form.Edit1->text();
        password = form.senha->text();
        history = held(form, "historico");
    };
    TForm_Remetron::setSeamsForTesting(std::move(seams));

    TForm_Remetron form;
    EXPECT_EQ(form.empresa->asInteger(), 7);
    EXPECT_EQ(form.host->text(), QStringLiteral("db.interno"));
    EXPECT_FALSE(form.ssl->isChecked());
    EXPECT_EQ(form.assunto->text(), QStringLiteral("Revisão anual"));
    EXPECT_EQ(form.DateEdit1->date(), now.date());
    EXPECT_EQ(form.Edit1->text(), user);
    EXPECT_EQ(form.senha->text(), password);
    EXPECT_EQ(held(form, "historico"), history);
    EXPECT_FALSE(form.isVisible());
    // Creation only reads the file.
    EXPECT_EQ(iniText(), original);
}

struct TypingRow {
    const char* name;
    QString typed;
    QString held;
    QString shown;
};

const TypingRow typingRows[] = {
    {"Edit1", QStringLiteral("JOSÉ"), QStringLiteral("josé"), QStringLiteral("josé")},
    {"senha", QStringLiteral("AB12cd"), QStringLiteral("ab12cd"), QStringLiteral("******")},
    {"usuarioemail", QStringLiteral("Contato@Empresa.COM.BR"), QStringLiteral("contato@empresa.com.br"),
        QStringLiteral("contato@empresa.com.br")},
    {"senhaemail", QStringLiteral("Segredo1"), QStringLiteral("Segredo1"), QStringLiteral("********")},
    {"host", QStringLiteral("DB.Local"), QStringLiteral("DB.Local"), QStringLiteral("DB.Local")},
    {"banco", QStringLiteral("ERP"), QStringLiteral("ERP"), QStringLiteral("ERP")},
    {"hostemail", QStringLiteral("SMTP.Example.COM"), QStringLiteral("SMTP.Example.COM"),
        QStringLiteral("SMTP.Example.COM")},
};

class Typing : public Window, public ::testing::WithParamInterface<TypingRow> { };

TEST_P(Typing, GivesWhatTheFieldHoldsAndShows)
{
    TForm_Remetron form;
    auto* edit = form.findChild<platform::Edit*>(QLatin1String(GetParam().name));
    ASSERT_NE(edit, nullptr);
    edit->clear();
    QTest::keyClicks(edit, GetParam().typed);
    EXPECT_EQ(edit->text(), GetParam().held);
    EXPECT_EQ(edit->displayText(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Fields, Typing, ::testing::ValuesIn(typingRows),
    [](const ::testing::TestParamInfo<TypingRow>& row) { return std::string(row.param.name); });

TEST_F(Window, MemosTakeSeveralLinesAndTheSubjectIsOneLineHigh)
{
    TForm_Remetron form;
    form.show();
    for (platform::Memo* memo : {form.assunto, form.titulo, form.rodape}) {
        QTest::keyClicks(memo, QStringLiteral("Prezado"));
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, QStringLiteral("cliente"));
        EXPECT_EQ(memo->text(), QStringLiteral("Prezado\r\ncliente")) << memo->objectName().toStdString();
    }
    const int line = form.assunto->fontMetrics().lineSpacing();
    EXPECT_GE(form.assunto->viewport()->height(), line);
    EXPECT_LT(form.assunto->viewport()->height(), 2 * line);
    EXPECT_GE(form.titulo->viewport()->height(), 4 * line);
}

TEST_F(Window, DateEditHasACalendarAndTheProgressBarStaysStill)
{
    TForm_Remetron form;
    EXPECT_TRUE(form.DateEdit1->calendarPopup());
    EXPECT_EQ(form.ProgressBar1->value(), form.ProgressBar1->minimum());
    EXPECT_FALSE(form.ProgressBar1->isTextVisible());
    form.show();
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(form.ProgressBar1->value(), form.ProgressBar1->minimum());
}

// ---- Start-up and closing, through the application object as the program's main block runs them

TEST_F(Window, StartUpCreatesThenShowsAndRunsBeforeTheWindowIsVisible)
{
    LoopWatchdog watchdog;
    QStringList steps;
    TForm_Remetron::TestSeams seams;
    seams.beforeLoad = [&](const TForm_Remetron&) { steps << QStringLiteral("create"); };
    seams.run = [&](TForm_Remetron& form) {
        steps << QStringLiteral("run");
        ++runs;
        // Before the window is mapped: the run at start-up can only show message boxes.
        EXPECT_TRUE(form.windowHandle() == nullptr || !form.windowHandle()->isVisible());
        EXPECT_EQ(form.DateEdit1->date(), now.date());
        QTimer::singleShot(0, &form, [&steps, target = &form] {
            steps << QStringLiteral("loop");
            EXPECT_TRUE(target->windowHandle() != nullptr && target->windowHandle()->isVisible());
            QTest::mouseClick(target->Button1, Qt::LeftButton);
        });
    };
    TForm_Remetron::setSeamsForTesting(std::move(seams));

    TForm_Remetron form;
    steps << QStringLiteral("created");
    // Pending before the show: FormShow lets it be handled before the run starts.
    QTimer::singleShot(0, &form, [&] { steps << QStringLiteral("pending event"); });
    EXPECT_EQ(platform::Application::run(form), 0);
    EXPECT_EQ(steps,
        QStringList({QStringLiteral("create"), QStringLiteral("created"), QStringLiteral("pending event"),
            QStringLiteral("run"), QStringLiteral("loop")}));
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(watchdog.fired());
}

struct CloseRow {
    const char* name;
    // Asks for the close from the run; `second` tells a run started by "Disparar".
    void (*close)(TForm_Remetron& form, bool second);
    int runs;
};

void sendCloseRequest(TForm_Remetron& form)
{
    // What the window system sends when the user closes the window from outside (Alt+F4, a task bar).
    QCloseEvent request;
    QCoreApplication::sendEvent(form.windowHandle(), &request);
}

const CloseRow closeRows[] = {
    {"Fechar",
        [](TForm_Remetron& form, bool) {
            QTimer::singleShot(
                0, &form, [target = &form] { QTest::mouseClick(target->Button1, Qt::LeftButton); });
        },
        1},
    {"TheRunAtStartUp", [](TForm_Remetron& form, bool) { form.close(); }, 1},
    {"TheRunStartedWithDisparar",
        [](TForm_Remetron& form, bool second) {
            if (second)
                form.close();
            else
                QTimer::singleShot(
                    0, &form, [target = &form] { QTest::mouseClick(target->Button3, Qt::LeftButton); });
        },
        2},
    {"TheWindowSystem",
        [](TForm_Remetron& form, bool) {
            QTimer::singleShot(0, &form, [target = &form] { sendCloseRequest(*target); });
        },
        1},
};

class Closing : public Window, public ::testing::WithParamInterface<CloseRow> { };

TEST_P(Closing, SavesTheSettingsAndEndsTheProgramWithZero)
{
    LoopWatchdog watchdog;
    setRun([this](TForm_Remetron& form) {
        form.assunto->setText(QStringLiteral("Revisão do equipamento"));
        GetParam().close(form, runs > 1);
    });
    ModalBoxWatcher boxes;
    TForm_Remetron form;
    EXPECT_EQ(platform::Application::run(form), 0);
    EXPECT_FALSE(watchdog.fired());
    EXPECT_TRUE(platform::Application::terminated());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(runs, GetParam().runs);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(iniKeys(), persistedKeys);
    EXPECT_TRUE(iniText().contains(QStringLiteral("ASSUNTO=Revisão do equipamento")));
}

INSTANTIATE_TEST_SUITE_P(Paths, Closing, ::testing::ValuesIn(closeRows),
    [](const ::testing::TestParamInfo<CloseRow>& row) { return std::string(row.param.name); });

TEST_F(Window, WhatIsNotPersistedStartsFromTheFormAgain)
{
    QString user, password;
    {
        TForm_Remetron form;
        user = form.Edit1->text();
        password = form.senha->text();
        form.historico->setValue(5);
        form.Edit1->setText(QStringLiteral("outro"));
        form.senha->setText(QStringLiteral("000000"));
        form.DateEdit1->setDate(QDate(2020, 1, 5));
        form.show();
        ASSERT_TRUE(form.close());
    }
    ASSERT_FALSE(iniText().isEmpty());
    TForm_Remetron again;
    EXPECT_EQ(again.historico->asInteger(), 1);
    EXPECT_EQ(again.Edit1->text(), user);
    EXPECT_EQ(again.senha->text(), password);
    EXPECT_EQ(again.DateEdit1->date(), now.date());
}

// ---- Failures: the standard handler shows them and the program goes on

struct SaveFailureRow {
    const char* name;
    // Makes the settings folder one where ERP.INI cannot be written; returns that folder.
    QString (*breakFolder)(const TempDir& folder);
    bool closedByTheRunAtStartUp;
};

const SaveFailureRow saveFailureRows[] = {
    {"FolderMissing", [](const TempDir& folder) { return folder.file(QStringLiteral("missing")); }, false},
    {"NameTakenByAFolder",
        [](const TempDir& folder) {
            QDir(folder.path()).mkpath(QStringLiteral("ERP.INI"));
            return folder.path();
        },
        false},
    {"ClosedByTheRunAtStartUp", [](const TempDir& folder) { return folder.file(QStringLiteral("missing")); },
        true},
};

class SaveFailure : public Window, public ::testing::WithParamInterface<SaveFailureRow> { };

TEST_P(SaveFailure, ShowsTheErrorAndKeepsTheWindowOpen)
{
    const TempDir good;
    Settings::setFolderForTesting(GetParam().breakFolder(folder));
    const QString message = QStringLiteral("Unable to write to ") + Settings::path();
    LoopWatchdog watchdog;
    ModalBoxWatcher boxes;
    bool visibleAfterTheFailure = false;
    bool endingAfterTheFailure = true;
    QStringList boxesAfterTheFailure;

    auto closeAgainOnceTheFileCanBeWritten = [&](TForm_Remetron& form) {
        visibleAfterTheFailure = form.windowHandle() != nullptr && form.windowHandle()->isVisible();
        endingAfterTheFailure = platform::Application::terminated();
        boxesAfterTheFailure = boxes.texts();
        Settings::setFolderForTesting(good.path());
        QTest::mouseClick(form.Button1, Qt::LeftButton);
    };
    setRun([&](TForm_Remetron& form) {
        if (GetParam().closedByTheRunAtStartUp) {
            EXPECT_FALSE(form.close());
            QTimer::singleShot(0, &form, [&, target = &form] { closeAgainOnceTheFileCanBeWritten(*target); });
            return;
        }
        QTimer::singleShot(0, &form, [&, target = &form] {
            QTest::mouseClick(target->Button1, Qt::LeftButton);
            closeAgainOnceTheFileCanBeWritten(*target);
        });
    });

    TForm_Remetron form;
    EXPECT_EQ(platform::Application::run(form), 0);
    EXPECT_FALSE(watchdog.fired());
    EXPECT_TRUE(visibleAfterTheFailure);
    EXPECT_FALSE(endingAfterTheFailure);
    EXPECT_EQ(boxesAfterTheFailure, QStringList({message}));
    EXPECT_EQ(boxes.captions(), QStringList({QStringLiteral("Remetron")}));
    // The second close, with a folder that can be written, completed.
    EXPECT_TRUE(QFile::exists(good.file(QStringLiteral("ERP.INI"))));
}

INSTANTIATE_TEST_SUITE_P(Folders, SaveFailure, ::testing::ValuesIn(saveFailureRows),
    [](const ::testing::TestParamInfo<SaveFailureRow>& row) { return std::string(row.param.name); });

struct RunErrorRow {
    const char* name;
    int failingRun; // 1: the run at start-up, 2: the run started with "Disparar"
};

const RunErrorRow runErrorRows[] = {{"AtStartUp", 1}, {"FromDisparar", 2}};

class RunError : public Window, public ::testing::WithParamInterface<RunErrorRow> { };

TEST_P(RunError, IsShownAndTheWindowStaysOpen)
{
    LoopWatchdog watchdog;
    ModalBoxWatcher boxes;
    bool openAfterTheError = false;
    setRun([&](TForm_Remetron& form) {
        if (runs == 1) {
            // Once the error's box (shown from inside this run at start-up) has been answered.
            afterTheBoxes(&form, [&, target = &form] {
                if (GetParam().failingRun == 2)
                    QTest::mouseClick(target->Button3, Qt::LeftButton);
                openAfterTheError = target->isVisible() && !platform::Application::terminated();
                QTest::mouseClick(target->Button1, Qt::LeftButton);
            });
        }
        if (runs == GetParam().failingRun)
            throw platform::Exception(QStringLiteral("Erro: falhou a conexão"));
    });
    TForm_Remetron form;
    EXPECT_EQ(platform::Application::run(form), 0);
    EXPECT_FALSE(watchdog.fired());
    EXPECT_TRUE(openAfterTheError);
    EXPECT_EQ(runs, GetParam().failingRun);
    EXPECT_EQ(boxes.texts(), QStringList({QStringLiteral("Erro: falhou a conexão")}));
    EXPECT_EQ(iniKeys(), persistedKeys);
}

INSTANTIATE_TEST_SUITE_P(Runs, RunError, ::testing::ValuesIn(runErrorRows),
    [](const ::testing::TestParamInfo<RunErrorRow>& row) { return std::string(row.param.name); });

} // namespace
