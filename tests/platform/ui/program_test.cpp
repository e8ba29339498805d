// Window lifetime: one instance per window class, loaded on first Show, unloaded and
// loaded afresh, and the ways the program ends.

#include "platform/ui/qt/program.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPointer>

namespace vantrelle::ui {
namespace {

class Probe : public Window {
  public:
    Probe(Program& program, int* loads, bool* visible_during_load)
        : Window(program), loads_(loads), visible_during_load_(visible_during_load) {}
    void Form_Load() override {
        ++*loads_;
        *visible_during_load_ = isVisible();
    }

  private:
    int* loads_;
    bool* visible_during_load_;
};

class ProgramTest : public ::testing::Test {
  protected:
    void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    int quits = 0;
    int loads_a = 0, loads_b = 0;
    bool visible_during_load = true;
    int made = 0;
    Program program{[this] { ++quits; }};
    WindowSlot<Probe> a{program, [this] {
                            ++made;
                            return std::make_unique<Probe>(program, &loads_a, &visible_during_load);
                        }};
    WindowSlot<Probe> b{program, [this] {
                            return std::make_unique<Probe>(program, &loads_b, &visible_during_load);
                        }};
};

TEST_F(ProgramTest, ShowLoadsOnceAndRunsTheLoadHandlerBeforeTheWindowIsDisplayed) {
    Probe* first = a.Show();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(loads_a, 1);
    EXPECT_FALSE(visible_during_load);
    EXPECT_TRUE(first->isVisible());

    EXPECT_EQ(a.Show(), first);
    EXPECT_EQ(loads_a, 1);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(program.loaded_count(), 1);
}

TEST_F(ProgramTest, UnloadDestroysTheWindowAndTheNextShowLoadsItAfresh) {
    QPointer<Probe> first = a.Show();
    b.Show();
    a.Unload();
    EXPECT_EQ(a.Loaded(), nullptr);
    EXPECT_FALSE(first->isVisible());
    FlushDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(quits, 0);

    Probe* second = a.Show();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(loads_a, 2);
    EXPECT_EQ(made, 2);
}

TEST_F(ProgramTest, ClosingFromTheTitleBarUnloadsAndTheLastWindowEndsTheProgram) {
    a.Show();
    b.Show();
    EXPECT_TRUE(a.Loaded()->close());
    EXPECT_EQ(a.Loaded(), nullptr);
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(b.Loaded()->close());
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(program.ended());
    EXPECT_EQ(a.Show(), nullptr);
}

TEST_F(ProgramTest, EndClosesEveryWindowAtOnceAndNothingLoadsAfterIt) {
    QPointer<Probe> first = a.Show();
    QPointer<Probe> second = b.Show();
    program.End();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(program.loaded_count(), 0);
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    FlushDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());

    EXPECT_EQ(a.Show(), nullptr);
    program.End();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(loads_a, 1);
}

}  // namespace
}  // namespace vantrelle::ui
