#include "platform/Application.h"

#include "LoopWatchdog.h"
#include "ModalBoxWatcher.h"
#include "platform/Exception.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

struct ErrorCase {
    const char* name;
    std::function<void()> raise;
    QString shown;
};

class StandardHandler : public ::testing::TestWithParam<ErrorCase> { };

TEST_P(StandardHandler, ShowsTheErrorsMessageAndGoesOn)
{
    ModalBoxWatcher watcher;
    bool after = false;
    platform::Application::guarded(GetParam().raise);
    after = true;
    EXPECT_TRUE(after);
    EXPECT_EQ(watcher.texts(), QStringList({GetParam().shown}));
    EXPECT_EQ(watcher.captions(), QStringList({QStringLiteral("Remetron")}));
}

const ErrorCase errorCases[] = {
    {"OurError", [] { throw platform::Exception(QStringLiteral("Não foi possível gravar")); },
        QStringLiteral("Não foi possível gravar")},
    {"OurSubclass", [] { throw platform::InOutError(QStringLiteral("Unable to write to /x/ERP.INI")); },
        QStringLiteral("Unable to write to /x/ERP.INI")},
    {"StandardError", [] { throw std::runtime_error("conexão perdida"); }, QStringLiteral("conexão perdida")},
    {"SomethingElse", [] { throw 42; }, QStringLiteral("Unknown error")},
};

INSTANTIATE_TEST_SUITE_P(Errors, StandardHandler, ::testing::ValuesIn(errorCases),
    [](const ::testing::TestParamInfo<ErrorCase>& row) { return std::string(row.param.name); });

TEST(StandardHandler, ShowsNothingWhenNothingFails)
{
    ModalBoxWatcher watcher;
    int calls = 0;
    platform::Application::guarded([&] { ++calls; });
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(watcher.texts().isEmpty());
}

// A main form whose show handler runs a test's code, as the program's first run does.
class Form : public QWidget {
public:
    std::function<void()> onShow;

protected:
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        if (onShow)
            onShow();
    }
};

TEST(ApplicationRun, EndsWithoutEnteringTheLoopWhenTheShowHandlerTerminated)
{
    LoopWatchdog watchdog;
    Form form;
    // Events processed after terminate(), as a run does, must not lose the request.
    form.onShow = [] {
        platform::Application::terminate();
        platform::Application::processMessages();
    };
    EXPECT_EQ(platform::Application::run(form), 0);
    EXPECT_TRUE(platform::Application::terminated());
}

TEST(ApplicationRun, EndsWithZeroWhenTerminatedFromTheLoop)
{
    LoopWatchdog watchdog;
    Form form;
    QTimer::singleShot(0, [] { platform::Application::terminate(); });
    EXPECT_EQ(platform::Application::run(form), 0);
    EXPECT_TRUE(platform::Application::terminated());
}

// "Fechar" clicked at a message-processing point of a run: the run goes on to its end and the
// program ends when control is back in the loop.
TEST(ApplicationRun, ATerminateInsideAHandlerEndsTheLoopAfterTheHandlerReturns)
{
    LoopWatchdog watchdog;
    Form form;
    QStringList steps;
    QTimer::singleShot(0, [&] {
        steps << QStringLiteral("handler starts");
        QTimer::singleShot(0, [&] {
            steps << QStringLiteral("terminate");
            platform::Application::terminate();
        });
        platform::Application::processMessages();
        platform::Application::processMessages();
        steps << QStringLiteral("handler ends");
    });
    EXPECT_EQ(platform::Application::run(form), 0);
    EXPECT_EQ(steps,
        QStringList(
            {QStringLiteral("handler starts"), QStringLiteral("terminate"), QStringLiteral("handler ends")}));
}

// A run whose show handler ended it leaves its posted quit behind; the next run's loop must not
// take it for its own.
TEST(ApplicationRun, StartsAfreshAfterAnEarlierTerminate)
{
    LoopWatchdog watchdog;
    {
        Form first;
        first.onShow = [] { platform::Application::terminate(); };
        ASSERT_EQ(platform::Application::run(first), 0);
    }
    Form second;
    bool loopRan = false;
    QTimer::singleShot(50, [&] {
        loopRan = true;
        platform::Application::terminate();
    });
    EXPECT_EQ(platform::Application::run(second), 0);
    EXPECT_TRUE(loopRan);
}

TEST(ProcessMessages, HandlesWhatIsPendingOnceWithoutWaiting)
{
    int handled = 0;
    QTimer::singleShot(0, [&] {
        ++handled;
        // Posted while pending events are handled: left for the next turn.
        QTimer::singleShot(0, [&] { ++handled; });
    });
    QPointer<QObject> released = new QObject;
    released->deleteLater();
    QElapsedTimer clock;
    clock.start();
    platform::Application::processMessages();
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_GE(handled, 1);
    // A released form is gone once pending events were processed, even with no loop running.
    EXPECT_TRUE(released.isNull());
    platform::Application::processMessages();
    EXPECT_EQ(handled, 2);
}

// Outside run() nothing may stop later modal loops: a box after a terminate() still waits for OK.
TEST(ApplicationRun, TerminateOutsideTheLoopLeavesModalBoxesWorking)
{
    platform::Application::terminate();
    platform::Application::processMessages();
    ModalBoxWatcher watcher;
    platform::Application::handleException(std::runtime_error("ainda aqui"));
    EXPECT_EQ(watcher.texts(), QStringList({QStringLiteral("ainda aqui")}));
}

} // namespace
