// SPDX-License-Identifier: MIT
// The window itself and its small helpers: size, the tray menu's "&Exit", the
// error guard and the termination watch.

#include "tests/support/windowfixture.h"

#include "app/terminationwatch.h"

#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>

#include <csignal>

namespace quorvane::test {
namespace {

TEST_F(WindowTest, FixedSizeWindowWithHiddenAlarmGroupClosesFromTheTrayMenu)
{
    open();
    EXPECT_EQ(form->size(), QSize(776, 566));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(control("GroupBox3")->isVisibleTo(form.get()));
    QSignalSpy closed(form.get(), &TForm1::closed);
    form->show();
    form->popupMenu()->actions().at(1)->trigger(); // "&Exit"
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(form->isVisible());
}

TEST(Guard, ReportsTheMessageAndSwallowsTheError)
{
    std::vector<std::string> seen;
    const ErrorReporter report = [&](const std::string& m) { seen.push_back(m); };
    for (const auto& fn : std::vector<std::function<void()>>{[] { throw EListError(7); }, [] { throw 42; }, [] {}})
        runGuarded(report, fn);
    EXPECT_EQ(seen, (std::vector<std::string>{"List index out of bounds (7)", ""})); // no message: an empty one
}

TEST(TerminationWatch, SigtermAndSigintArriveAsASignalOnTheEventLoop)
{
    TerminationWatch watch;
    QSignalSpy spy(&watch, &TerminationWatch::terminationRequested);
    for (const int sig : {SIGTERM, SIGINT}) {
        ::raise(sig);
        ASSERT_TRUE(spy.wait(5000));
        EXPECT_EQ(spy.takeFirst().at(0).toInt(), sig);
    }
}

// During start-up no event loop runs while the first poll waits, and a
// message box waits in a loop of its own: neither may swallow a request.
TEST(TerminationWatch, RequestWithoutAnEventLoopIsSeenAndAWaitingMessageBoxIsClosed)
{
    TerminationWatch watch;
    QSignalSpy spy(&watch, &TerminationWatch::terminationRequested);
    EXPECT_FALSE(watch.requested());
    ::raise(SIGHUP);
    EXPECT_TRUE(watch.requested());
    EXPECT_EQ(spy.count(), 1);

    QMessageBox box(QMessageBox::Critical, QStringLiteral("Quorvane"), QStringLiteral("start-up error"),
                    QMessageBox::Ok);
    QTimer::singleShot(0, &box, [] { ::raise(SIGTERM); });
    bool stuck = false;
    QTimer::singleShot(10000, &box, [&] { stuck = true; box.done(0); });
    box.exec();
    EXPECT_FALSE(stuck) << "the box stayed open after the request";
    EXPECT_EQ(spy.count(), 2);
}

} // namespace
} // namespace quorvane::test
