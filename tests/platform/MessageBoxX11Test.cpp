// The message box on a real X server, where Qt's placement and the style's button icons differ from
// the offscreen platform. Registered to run under Xvfb with QT_QPA_PLATFORM=xcb.
#include "X11Tools.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

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

class MessageBoxOnX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Silently passing elsewhere would hide that these checks never ran.
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"))
            << "run under xvfb-run with QT_QPA_PLATFORM=xcb";
    }
};

// Waits, handling events, until `done` holds or the limit passes.
bool waitUntil(const std::function<bool()>& done, int limitMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

QString windowId(const QWidget& widget)
{
    return QString::number(widget.winId());
}

struct PlacementRow {
    const char* name;
    QString text;
};

const PlacementRow placementRows[] = {
    {"Short", QStringLiteral("Erro")},
    {"Long",
        QStringLiteral("Erro ao enviar email.Erro:SMTP Error: Unable to send MailTo.\r\n"
                       "550 5.1.1 <cliente@exemplo.com.br>: Recipient address rejected: User unknown")},
    {"SeveralLines", QStringLiteral("Emails com problema:\nAna (ana@x.com.br)\nBruno (b@y.com.br)\nCarla")},
};

class Placement : public MessageBoxOnX11, public ::testing::WithParamInterface<PlacementRow> { };

TEST_P(Placement, IsCentredOnTheScreenWithoutAnyIcon)
{
    platform::MessageBox box(GetParam().text);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const QPoint screenCentre = box.screen()->geometry().center();

    // Where the X server has put the window.
    std::optional<QRect> onServer;
    ASSERT_TRUE(waitUntil([&] {
        onServer = X11Tools::geometry(windowId(box));
        return onServer && onServer->size() == box.size();
    }));
    EXPECT_LE((onServer->center() - screenCentre).manhattanLength(), 2)
        << onServer->x() << "," << onServer->y() << " " << onServer->width() << "x" << onServer->height();
    EXPECT_LE((box.frameGeometry().center() - screenCentre).manhattanLength(), 2);

    EXPECT_EQ(
        X11Tools::property(windowId(box), QStringLiteral("_NET_WM_NAME")), QStringLiteral("\"Remetron\""));
    EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
    EXPECT_TRUE(box.iconPixmap().isNull());
    ASSERT_EQ(box.buttons().size(), 1);
    // The style gives dialog buttons an icon under xcb; this box has none anywhere.
    EXPECT_TRUE(box.buttons().first()->icon().isNull());
}

INSTANTIATE_TEST_SUITE_P(Texts, Placement, ::testing::ValuesIn(placementRows),
    [](const ::testing::TestParamInfo<PlacementRow>& row) { return std::string(row.param.name); });

// The whole path a user takes: the box shown by showMessage, Ctrl+C and Return typed on the keyboard
// of the X server.
TEST_F(MessageBoxOnX11, CtrlCFromTheKeyboardCopiesCaptionAndTextAndReturnClosesIt)
{
    const QString text = QStringLiteral("Unable to write to /srv/remetron/ERP.INI");
    const QString expected
        = QStringLiteral("---------------------------\nRemetron\n---------------------------\n"
                         "Unable to write to /srv/remetron/ERP.INI\n"
                         "---------------------------\n");
    QGuiApplication::clipboard()->setText(QStringLiteral("antes"));
    bool typed = false;
    QString copied;

    QTimer::singleShot(0, [&] {
        QWidget* box = nullptr;
        ASSERT_TRUE(waitUntil([&] {
            box = QApplication::activeModalWidget();
            return box != nullptr && box->windowHandle() != nullptr && box->windowHandle()->isExposed();
        }));
        box->activateWindow();
        ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == box->windowHandle(); }));
        ASSERT_TRUE(X11Tools::xdotool({QStringLiteral("key"), QStringLiteral("ctrl+c")}));
        waitUntil([&] { return QGuiApplication::clipboard()->text() == expected; });
        copied = QGuiApplication::clipboard()->text();
        typed = X11Tools::xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    });
    // Should the keys go astray, the box is closed here and the test fails instead of hanging.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        ADD_FAILURE() << "the box did not close on Return";
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->done(QMessageBox::Ok);
    });
    guard.start(20000);

    platform::showMessage(text);
    EXPECT_TRUE(guard.isActive());
    EXPECT_TRUE(typed);
    EXPECT_EQ(copied.toStdString(), expected.toStdString());
}

} // namespace
