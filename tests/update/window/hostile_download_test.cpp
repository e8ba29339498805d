// The update window under servers that misbehave on purpose: it stays responsive, ends
// on the red communication error, and Close unloads it at once whatever is arriving.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "support/loopback_http_server.h"
#include "update/window/test_texts.h"
#include "update/window/update_window.h"

namespace vantrelle::update {
namespace {

using namespace std::chrono_literals;
namespace paths = testing::paths;

// The longest time the event loop went without running a 5 ms timer, while alive.
class EventLoopGaps {
  public:
    EventLoopGaps() {
        clock_.start();
        QObject::connect(&tick_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, clock_.restart()); });
        tick_.start(5);
    }
    qint64 Longest() const { return std::max(longest_, clock_.elapsed()); }

  private:
    QTimer tick_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

constexpr const char* kHostile[] = {
    paths::kHeaderFlood, paths::kEndlessHeaderLine, paths::kEndlessContinue,
    paths::kReset,       paths::kClosedUnanswered,  paths::kEndless,
};

class HostileDownloadTest : public ::testing::Test {
  protected:
    // Stands for the main window: the program ends when its last window unloads.
    void SetUp() override { ASSERT_NE(main_window.Show(), nullptr); }

    UpdateWindows WindowsFor(const std::string& path) {
        return UpdateWindows(program, CheckSettings{server.Url(path), {.stall = 2s}});
    }
    testing::LoopbackHttpServer server;
    ui::Program program{[] {}};
    ui::WindowSlot<ui::Window> main_window{
        program, [this] { return std::make_unique<ui::Window>(program); }};
};

TEST_F(HostileDownloadTest, EveryHostileReplyEndsOnTheRedMessageWithoutFreezing) {
    for (const char* path : kHostile) {
        UpdateWindows windows = WindowsFor(path);
        EventLoopGaps gaps;
        QPointer<UpdateWindow> window = windows.Open(Language::English);
        ASSERT_FALSE(window.isNull()) << path;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return window->Panel()->Label1()->Caption().toStdString() ==
                       expected::kEnglishFailed;
            },
            10000))
            << path;
        EXPECT_LE(gaps.Longest(), 100) << path;
        windows.Slot(Language::English).Unload();
    }
}

TEST_F(HostileDownloadTest, CloseUnloadsAtOnceWhateverIsArriving) {
    for (const char* path :
         {paths::kHeaderFlood, paths::kEndless, paths::kSilent, paths::kTrickle}) {
        UpdateWindows windows = WindowsFor(path);
        QPointer<UpdateWindow> window = windows.Open(Language::Farsi);
        ASSERT_FALSE(window.isNull()) << path;
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.Requests(path) == 1; }, 5000)) << path;
        QElapsedTimer clock;
        clock.start();
        window->Command1()->click();
        EXPECT_LT(clock.elapsed(), 20) << path;
        EXPECT_TRUE(QTest::qWaitFor([&] { return server.OpenConnections() == 0; }, 1000)) << path;
    }
}

}  // namespace
}  // namespace vantrelle::update
