// The mail form itself: its resource, its creation values and its release.
#include "letter/uEMail.h"
#include "platform/Application.h"
#include "platform/ClassRegistry.h"
#include "platform/RichEdit.h"

#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

[[maybe_unused]] static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// Table rows print as their names.
template <typename Row>
requires requires(const Row& row)
{
    row.name;
}
void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

TEST(MailForm, IsBuiltAsItsResourceAndStaysHidden)
{
    const auto form = std::make_unique<Tform_email>();
    EXPECT_EQ(form->objectName(), QStringLiteral("form_email"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Enviar e-mail"));
    EXPECT_EQ(form->parent(), nullptr);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->size(), QSize(483, 356));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form->font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(form->font().pixelSize(), 10);

    EXPECT_EQ(form->GroupBox1->parent(), form.get());
    EXPECT_EQ(form->GroupBox1->title(), QStringLiteral("Dados do email"));
    EXPECT_EQ(form->GroupBox1->geometry(), QRect(0, 0, 483, 105));
    EXPECT_EQ(form->GroupBox3->parent(), form.get());
    EXPECT_EQ(form->GroupBox3->title(), QStringLiteral("Mensagem"));
    EXPECT_EQ(form->GroupBox3->geometry(), QRect(0, 105, 483, 224));

    struct Placed {
        QWidget* control;
        QString text;
        QRect geometry; // an empty size: only the position counts
    };
    for (const Placed& placed : {Placed {form->lblPara, QStringLiteral("Para"), QRect(20, 21, 0, 0)},
             Placed {form->EdtPara, QString(), QRect(20, 34, 416, 19)},
             Placed {form->lblAssunto, QStringLiteral("Assunto"), QRect(20, 60, 0, 0)},
             Placed {form->EdtAssunto, QString(), QRect(20, 73, 416, 19)}}) {
        SCOPED_TRACE(placed.control->objectName().toStdString());
        EXPECT_EQ(placed.control->parent(), form->GroupBox1);
        EXPECT_EQ(placed.control->pos(), placed.geometry.topLeft());
        if (!placed.geometry.isEmpty()) {
            EXPECT_EQ(placed.control->size(), placed.geometry.size());
        }
        if (const auto* label = qobject_cast<QLabel*>(placed.control)) {
            EXPECT_EQ(label->text(), placed.text);
        } else {
            EXPECT_TRUE(qobject_cast<QLineEdit*>(placed.control)->text().isEmpty());
        }
    }
    // Tab order: the subject first, then the recipient.
    EXPECT_EQ(form->EdtAssunto->nextInFocusChain(), form->EdtPara);

    platform::RichEdit* mensagem = form->mensagem;
    EXPECT_EQ(mensagem->objectName(), QStringLiteral("mensagem"));
    EXPECT_EQ(mensagem->parent(), form->GroupBox3);
    EXPECT_EQ(mensagem->geometry(), form->GroupBox3->contentsRect());
    EXPECT_EQ(mensagem->font().family(), QStringLiteral("Courier New"));
    EXPECT_TRUE(mensagem->font().fixedPitch());
    EXPECT_EQ(mensagem->font().pixelSize(), 8);
    EXPECT_EQ(mensagem->lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_EQ(mensagem->lineWidth(), 1);
    EXPECT_EQ(mensagem->Lines.Count(), 0);

    const QColor windowColour = form->palette().color(QPalette::Window);
    EXPECT_EQ(windowColour, form->palette().color(QPalette::Base));
    EXPECT_EQ(form->GroupBox1->palette().color(QPalette::Window), form->palette().color(QPalette::Button));
    EXPECT_EQ(form->GroupBox1->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(form->GroupBox3->palette().color(QPalette::Window), QColor(0, 89, 179));
    EXPECT_EQ(form->GroupBox3->palette().color(QPalette::WindowText), windowColour);
}

TEST(MailForm, MailComponentHoldsTheResourceValuesAndTheCreationOptions)
{
    const auto form = std::make_unique<Tform_email>();
    const platform::SmtpMail& mail = form->ACBrMail1;
    EXPECT_EQ(mail.Host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(mail.Port, QStringLiteral("25"));
    EXPECT_TRUE(mail.Username.isEmpty());
    EXPECT_TRUE(mail.Password.isEmpty());
    // Set on by FormCreate.
    EXPECT_TRUE(mail.SetTLS);
    EXPECT_TRUE(mail.SetSSL);
    EXPECT_TRUE(mail.ReadingConfirmation);
    EXPECT_EQ(mail.Attempts, 1);
    EXPECT_TRUE(mail.DefaultCharset == platform::MailCharset::UTF_8);
    EXPECT_TRUE(mail.IDECharset == platform::MailCharset::CP1252);
    EXPECT_FALSE(mail.IsHTML);
    EXPECT_EQ(mail.TimeOut, 0);
    EXPECT_TRUE(mail.toList().isEmpty());
}

TEST(MailForm, ClassIsEnteredByName)
{
    EXPECT_EQ(
        platform::ClassRegistry::findClass(QStringLiteral("Tform_email")), &Tform_email::staticMetaObject);
}

// ---- release ---------------------------------------------------------------------------------------

struct ReleaseCase {
    const char* name;
    bool insideEventLoop;
    bool byClose; // FormClose releases the form
};

class MailFormRelease : public ::testing::TestWithParam<ReleaseCase> { };

TEST_P(MailFormRelease, FormIsGoneOncePendingMessagesAreProcessed)
{
    const ReleaseCase& c = GetParam();
    QPointer<Tform_email> form;
    bool ran = false;
    bool aliveRightAfter = false;
    const auto releaseAndProcess = [&] {
        form = new Tform_email;
        form_email = form;
        if (c.byClose)
            form->close();
        else
            form->Release();
        aliveRightAfter = !form.isNull();
        platform::Application::processMessages();
        ran = true;
    };
    if (c.insideEventLoop) {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            releaseAndProcess();
            loop.quit();
        });
        // A guard: a step that never runs fails below instead of hanging.
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        releaseAndProcess();
    }
    ASSERT_TRUE(ran);
    EXPECT_TRUE(aliveRightAfter) << "the release was not deferred";
    EXPECT_TRUE(form.isNull()) << "the form outlived processMessages()";
    EXPECT_EQ(form_email, nullptr);
    delete form.data();
    form_email = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Cases, MailFormRelease,
    ::testing::Values(ReleaseCase {"release_outside_an_event_loop", false, false},
        ReleaseCase {"release_inside_an_event_loop", true, false},
        ReleaseCase {"close_outside_an_event_loop", false, true},
        ReleaseCase {"close_inside_an_event_loop", true, true}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
