// Command buttons, menu items, check boxes and option buttons: which changes raise a
// click, and that it runs before the change returns.

#include <gtest/gtest.h>

#include "contract_window.h"
#include "platform/ui/check_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/driver.h"
#include "platform/ui/menu.h"
#include "platform/ui/option_button.h"

namespace vantrelle::ui {
namespace {

class ButtonsTest : public ::testing::Test {
  protected:
    Program program{[] {}};
    Window window{program, testing::TestWindowStyle()};
};

TEST_F(ButtonsTest, ACommandButtonIsPressedByMouseEnterAndSpace) {
    CommandButton button(window, "Command1", {120, 120, 1215, 375});
    CommandButton other(window, "Command2", {120, 600, 1215, 375});
    button.SetCaption("Start");
    EXPECT_EQ(button.Caption(), "Start");
    int clicks = 0, other_clicks = 0;
    button.Click = [&] { ++clicks; };
    other.Click = [&] { ++other_clicks; };
    window.Show();

    driver::Click(button);
    EXPECT_EQ(clicks, 1);
    driver::Press(button, driver::Key::kEnter);
    EXPECT_EQ(clicks, 2) << "Enter presses the focused button";
    driver::Press(button, driver::Key::kSpace);
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(other_clicks, 0);
}

TEST_F(ButtonsTest, AMenuItemRunsItsClickWhenChosen) {
    Menu menu(window, "Menu", "Menu");
    MenuItem update(menu, "update", "Check For Update");
    MenuItem exit(menu, "Exit", "Exit");
    int updates = 0;
    update.Click = [&] { ++updates; };
    driver::Choose(update);
    EXPECT_EQ(updates, 1);
    const std::vector<driver::ShownMenu> menus = driver::Menus(window);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].caption, "Menu");
    EXPECT_EQ(menus[0].items, (std::vector<std::pair<std::string, std::string>>{
                                  {"update", "Check For Update"}, {"Exit", "Exit"}}));
}

TEST_F(ButtonsTest, ACheckBoxClicksOnEveryChangeByUserOrCodeAndNeverForTheSameValue) {
    CheckBox box(window, "Check1", {120, 120, 1500, 375});
    box.SetCaption("Special path");
    std::vector<CheckValue> seen;
    box.Click = [&] { seen.push_back(box.Value()); };

    box.SetValue(vbUnchecked);
    EXPECT_TRUE(seen.empty());
    box.SetValue(vbChecked);
    EXPECT_EQ(seen, (std::vector<CheckValue>{vbChecked})) << "before SetValue returned";
    box.SetValue(vbChecked);
    EXPECT_EQ(seen.size(), 1u);
    driver::Click(box);
    EXPECT_EQ(seen, (std::vector<CheckValue>{vbChecked, vbUnchecked}));
}

TEST_F(ButtonsTest, ACheckBoxClickThatClearsTheBoxRunsOnceMoreNested) {
    CheckBox box(window, "Check2", {120, 120, 1500, 375});
    int calls = 0;
    box.Click = [&] {
        ++calls;
        if (box.Value() == vbChecked) {
            box.SetValue(vbUnchecked);
        }
    };
    box.SetValue(vbChecked);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(box.Value(), vbUnchecked);
}

TEST_F(ButtonsTest, OptionButtonsExcludeEachOtherAndClickForTheOneSelected) {
    OptionButton english(window, "Option1", {120, 120, 1215, 495});
    OptionButton farsi(window, "Option2", {1500, 120, 255, 495});
    int english_clicks = 0, farsi_clicks = 0;
    english.Click = [&] { ++english_clicks; };
    farsi.Click = [&] { ++farsi_clicks; };

    english.SetValue(true);
    EXPECT_EQ(english_clicks, 1);
    english.SetValue(true);
    EXPECT_EQ(english_clicks, 1);

    farsi.SetValue(true);
    EXPECT_TRUE(farsi.Value());
    EXPECT_FALSE(english.Value());
    EXPECT_EQ(farsi_clicks, 1);
    EXPECT_EQ(english_clicks, 1);

    driver::Click(english);
    EXPECT_TRUE(english.Value());
    EXPECT_EQ(english_clicks, 2);
}

TEST_F(ButtonsTest, NoClickRunsOnceTheProgramHasEnded) {
    CommandButton button(window, "Command1", {120, 120, 1215, 375});
    int clicks = 0;
    button.Click = [&] { ++clicks; };
    program.End();
    driver::Click(button);
    EXPECT_EQ(clicks, 0);
}

}  // namespace
}  // namespace vantrelle::ui
