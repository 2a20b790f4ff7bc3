#include "platform/MessageBox.h"

#include "ModalBoxWatcher.h"
#include "platform/Application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(MessageBox, HasOneOkButtonNoIconAndTheApplicationTitle)
{
    platform::MessageBox box(QStringLiteral("Erro: conexão recusada"));
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Remetron"));
    EXPECT_EQ(box.text(), QStringLiteral("Erro: conexão recusada"));
    ASSERT_EQ(box.buttons().size(), 1);
    EXPECT_EQ(box.standardButton(box.buttons().first()), QMessageBox::Ok);
    EXPECT_TRUE(box.buttons().first()->icon().isNull());
    EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
    EXPECT_TRUE(box.iconPixmap().isNull());
    EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
}

TEST(MessageBox, IsCentredOnTheScreen)
{
    platform::MessageBox box(QStringLiteral("Uma mensagem um pouco mais longa, para que a caixa se alargue"));
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_LE((box.frameGeometry().center() - box.screen()->geometry().center()).manhattanLength(), 1);
}

// A server's or a file's text is shown as it reads, never taken as markup.
TEST(MessageBox, ShowsMarkupAsPlainText)
{
    const QString text = QStringLiteral("550 <b>rejected</b> <a href=\"x\">here</a>");
    platform::MessageBox box(text);
    box.show();
    const auto labels = box.findChildren<QLabel*>();
    const auto shown
        = std::find_if(labels.begin(), labels.end(), [&](QLabel* label) { return label->text() == text; });
    ASSERT_NE(shown, labels.end());
    EXPECT_EQ((*shown)->textFormat(), Qt::PlainText);
}

TEST(MessageBox, CtrlCCopiesCaptionAndText)
{
    platform::MessageBox box(QStringLiteral("Emails com problema: Ana (ana@x.com.br)"));
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
        QStringLiteral("---------------------------\nRemetron\n---------------------------\n"
                       "Emails com problema: Ana (ana@x.com.br)\n---------------------------\n"));
}

TEST(MessageBox, ShowMessageWaitsForOk)
{
    ModalBoxWatcher watcher;
    platform::showMessage(QStringLiteral("primeira"));
    platform::showMessage(QStringLiteral("segunda"));
    EXPECT_EQ(watcher.texts(), QStringList({QStringLiteral("primeira"), QStringLiteral("segunda")}));
    EXPECT_EQ(watcher.captions(), QStringList({QStringLiteral("Remetron"), QStringLiteral("Remetron")}));
}

} // namespace
