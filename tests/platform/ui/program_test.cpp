// Window lifetime: one instance per window class, loaded on first Show, unloaded and
// loaded afresh, and the ways the program ends.

#include "platform/ui/program.h"

#include <gtest/gtest.h>

#include "contract_window.h"
#include "platform/ui/command_button.h"
#include "platform/ui/driver.h"

namespace vantrelle::ui {
namespace {

class Probe : public Window {
  public:
    Probe(Program& program, int* loads, bool* on_screen_during_load, int* destroyed)
        : Window(program, testing::TestWindowStyle()),
          loads_(loads),
          on_screen_during_load_(on_screen_during_load),
          destroyed_(destroyed) {}
    ~Probe() override { ++*destroyed_; }
    void Form_Load() override {
        ++*loads_;
        *on_screen_during_load_ = driver::IsOnScreen(*this);
    }

  private:
    int* loads_;
    bool* on_screen_during_load_;
    int* destroyed_;
};

class ProgramTest : public ::testing::Test {
  protected:
    int quits = 0;
    int loads_a = 0, loads_b = 0;
    bool on_screen_during_load = true;
    int made = 0, destroyed = 0;
    Program program{[this] { ++quits; }};
    WindowSlot<Probe> a{program, [this] {
                            ++made;
                            return std::make_unique<Probe>(program, &loads_a,
                                                           &on_screen_during_load, &destroyed);
                        }};
    WindowSlot<Probe> b{program, [this] {
                            return std::make_unique<Probe>(program, &loads_b,
                                                           &on_screen_during_load, &destroyed);
                        }};
};

TEST_F(ProgramTest, ShowLoadsOnceAndRunsTheLoadHandlerBeforeTheWindowIsDisplayed) {
    Probe* first = a.Show();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(loads_a, 1);
    EXPECT_FALSE(on_screen_during_load);
    EXPECT_TRUE(driver::IsOnScreen(*first));

    EXPECT_EQ(a.Show(), first);
    EXPECT_EQ(loads_a, 1);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(program.loaded_count(), 1);
}

TEST_F(ProgramTest, UnloadDestroysTheWindowAfterTheHandlerAndTheNextShowLoadsItAfresh) {
    Probe* first = a.Show();
    b.Show();
    a.Unload();
    EXPECT_EQ(a.Loaded(), nullptr);
    EXPECT_FALSE(driver::IsOnScreen(*first));
    EXPECT_EQ(destroyed, 0) << "not while the handler that unloaded it may still run";
    driver::ProcessEvents();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(quits, 0);

    Probe* second = a.Show();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(loads_a, 2);
    EXPECT_EQ(made, 2);
}

TEST_F(ProgramTest, ClosingFromTheTitleBarUnloadsAndTheLastWindowEndsTheProgram) {
    a.Show();
    b.Show();
    driver::Close(*a.Loaded());
    EXPECT_EQ(a.Loaded(), nullptr);
    EXPECT_EQ(quits, 0);
    driver::Close(*b.Loaded());
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(program.ended());
    EXPECT_EQ(a.Show(), nullptr);
}

TEST_F(ProgramTest, EndClosesEveryWindowAtOnceAndNothingLoadsAfterIt) {
    Probe* first = a.Show();
    Probe* second = b.Show();
    program.End();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(program.loaded_count(), 0);
    EXPECT_FALSE(driver::IsOnScreen(*first));
    EXPECT_FALSE(driver::IsOnScreen(*second));
    driver::ProcessEvents();
    EXPECT_EQ(destroyed, 2);

    EXPECT_EQ(a.Show(), nullptr);
    program.End();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(loads_a, 1);
}

TEST_F(ProgramTest, ALoadHandlerThatUnloadsItsWindowLeavesNothingShown) {
    class Quitter : public Window {
      public:
        explicit Quitter(Program& program) : Window(program, testing::TestWindowStyle()) {}
        void Form_Load() override { Unload(); }
    };
    WindowSlot<Quitter> quitter(program, [this] { return std::make_unique<Quitter>(program); });
    EXPECT_EQ(quitter.Show(), nullptr);
    EXPECT_EQ(quitter.Loaded(), nullptr);
}

TEST_F(ProgramTest, AnEventPostedWhileAHandlerRunsWaitsForItAndGoesWithItsWindow) {
    Probe* first = a.Show();
    Probe* second = b.Show();
    ASSERT_TRUE(first != nullptr && second != nullptr);
    CommandButton button(*first, "Command1", {120, 120, 1215, 375});
    std::vector<std::string> seen;
    button.Click = [&] {
        first->PostEvent([&] { seen.push_back("first's event"); });
        second->PostEvent([&] { seen.push_back("second's event"); });
        // The event loop runs inside the handler, as it does while a message box is up.
        driver::WaitFor([] { return false; }, 300);
        seen.push_back("handler returns");
        b.Unload();
    };
    driver::Click(button);
    EXPECT_TRUE(driver::WaitFor([&] { return seen.size() >= 2; }, 2000));
    driver::ProcessEvents();
    EXPECT_EQ(seen, (std::vector<std::string>{"handler returns", "first's event"}));

    first->PostEvent([&] { seen.push_back("at once"); });
    EXPECT_EQ(seen.back(), "at once") << "no handler runs: nothing to wait for";
}

}  // namespace
}  // namespace vantrelle::ui
