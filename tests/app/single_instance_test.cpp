// One copy per user and data directory, tried with the real program: a
// second start brings the first forward and ends, and a copy killed outright
// does not keep the next one from starting.

#include "app/single_instance.h"

#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "temp_dir.h"

namespace mivex::app {
namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    // The program, offscreen and silent, on the test's data directory.
    std::unique_ptr<QProcess> Start() {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("MIVEX_SILENT", "1");
        process->setProcessEnvironment(environment);
        process->start(MIVEX_BINARY, {"--data-dir", QString::fromStdString(data_.string())});
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }

    // Until the running copy answers on its socket.
    bool WaitUntilListening() {
        return QTest::qWaitFor(
            [this] {
                QLocalSocket probe;
                probe.connectToServer(SingleInstance(data_).ServerName());
                return probe.waitForConnected(100);
            },
            15'000);
    }

    testing::TempDir dir_;
    std::filesystem::path data_ = dir_.path() / "data";
};

TEST_F(SingleInstanceTest, ASecondStartRaisesTheFirstAndACrashedCopyBlocksNothing) {
    std::unique_ptr<QProcess> first = Start();
    ASSERT_TRUE(WaitUntilListening());

    std::unique_ptr<QProcess> second = Start();
    ASSERT_TRUE(second->waitForFinished(10'000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);

    first->kill();
    ASSERT_TRUE(first->waitForFinished(10'000));
    std::unique_ptr<QProcess> third = Start();
    // Only the third can answer now.
    EXPECT_TRUE(WaitUntilListening());
    third->kill();
    third->waitForFinished();
}

TEST_F(SingleInstanceTest, TheRunningCopyIsAskedToRaiseItsWindow) {
    SingleInstance running(data_);
    ASSERT_TRUE(running.Claim());
    running.Listen();  // a window's first paint would, later
    QSignalSpy raised(&running, &SingleInstance::raiseRequested);

    SingleInstance later(data_);
    EXPECT_FALSE(later.Claim());
    EXPECT_TRUE(later.AskRunningCopyToRaise());
    EXPECT_TRUE(raised.wait(5000));

    SingleInstance elsewhere(dir_.path() / "other");
    EXPECT_TRUE(elsewhere.Claim());
}

}  // namespace
}  // namespace mivex::app
