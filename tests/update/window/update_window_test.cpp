// The update windows: their look against the tables, and their lifecycle as the main
// windows' update command drives it.

#include "update/window/update_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/ui/driver.h"
#include "support/expected_texts.h"
#include "support/loopback_http_server.h"

namespace vantrelle::update {
namespace {

using testing::HttpAnswer;
using testing::LoopbackHttpServer;
namespace driver = ui::driver;

// Twips to pixels at 96 DPI.
driver::PixelRect Px(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

void ExpectFixedDialogFrame(const UpdateWindow& window) {
    EXPECT_FALSE(driver::HasMinimizeButton(window));
    EXPECT_FALSE(driver::HasMaximizeButton(window));
    EXPECT_FALSE(driver::IsResizable(window));
}

ui::WindowStyle MainWindowStyle() {
    return {.name = "Form2",
            .caption = "Vantrelle",
            .client_width = 6135,
            .client_height = 4980,
            .border = ui::Border::kFixedSingle,
            .minimize_button = true,
            .client_position = std::nullopt};
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Accepted and never answered: the check stays pending until the window closes.
        server.Serve("/pending", HttpAnswer{.delivery = HttpAnswer::Delivery::kNeverAnswer});
        server.Serve("/file", HttpAnswer{.body = "UpdateOK;2.0;x"});
        // Stands for the main window: the program ends when its last window unloads.
        ASSERT_NE(main_window.Show(), nullptr);
        driver::TakeToolkitMessages();
    }
    void TearDown() override {
        windows.Slot(Language::English).Unload();
        windows.Slot(Language::Farsi).Unload();
        driver::ProcessEvents();
    }
    UpdateWindows WindowsFor(const std::string& path) {
        return UpdateWindows(program, CheckSettings{server.Url(path), {}});
    }
    static std::string Caption(UpdateWindow& window) { return window.Panel().Label1().Caption(); }

    LoopbackHttpServer server;
    ui::Program program{[] {}};
    ui::WindowSlot<ui::Window> main_window{
        program, [this] { return std::make_unique<ui::Window>(program, MainWindowStyle()); }};
    UpdateWindows windows{program, CheckSettings{server.Url("/pending"), {}}};
};

TEST_F(WindowTest, EnglishWindowMatchesItsTable) {
    UpdateWindow* window = windows.Open(Language::English);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Name(), "enUpdateor");
    EXPECT_EQ(window->Caption(), expected::kEnglishUpdateCaption);
    EXPECT_TRUE(driver::IsOnScreen(*window));
    ExpectFixedDialogFrame(*window);
    EXPECT_EQ(driver::ClientWidth(*window), 6570 / 15);
    EXPECT_EQ(driver::ClientHeight(*window), 2640 / 15);
    EXPECT_EQ(driver::ScreenGeometry(*window).left, 2535 / 15);
    EXPECT_EQ(driver::ScreenGeometry(*window).top, 2190 / 15);

    EXPECT_EQ(window->Command1().Name(), "Command1");
    EXPECT_EQ(window->Command1().Caption(), expected::kEnglishClose);
    EXPECT_EQ(driver::Geometry(window->Command1()), Px(5160, 2160, 1215, 375));
    EXPECT_TRUE(driver::FontOf(window->Command1()).default_font);
    EXPECT_EQ(window->Panel().Name(), "UserControl11");
    EXPECT_EQ(window->Panel().Position(), (ui::Rect{120, 0, 6255, 2655}));
    EXPECT_EQ(window->Panel().table().name, std::string("UserControl1"));
    // The label lies in the panel and is cut at its bottom edge.
    EXPECT_EQ(driver::Geometry(window->Panel().Label1()), Px(120, 120, 5775, 2535));

    // The panel reaches over the button, which stays in front and takes the clicks.
    const driver::PixelRect button = driver::Geometry(window->Command1());
    const int x = button.left + button.width / 2, y = button.top + button.height / 2;
    EXPECT_LT(y, (0 + 2655) / 15) << "inside the panel";
    EXPECT_EQ(driver::ControlAt(*window, x, y), "Command1");

    // Close comes first in the tab order and holds the focus; the panel takes none.
    EXPECT_EQ(driver::FocusedControl(*window), "Command1");
    driver::Press(window->Command1(), driver::Key::kTab);
    EXPECT_EQ(driver::FocusedControl(*window), "Command1") << "nothing else takes the focus";
}

TEST_F(WindowTest, FarsiWindowMirrorsTheEnglishOne) {
    UpdateWindow* window = windows.Open(Language::Farsi);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Name(), "faUpdateor");
    EXPECT_EQ(window->Caption(), expected::kFarsiUpdateCaption);
    EXPECT_FALSE(driver::MenuBarRightToLeft(*window)) << "the title reads left to right";
    ExpectFixedDialogFrame(*window);
    EXPECT_EQ(driver::ClientWidth(*window), 6630 / 15);
    EXPECT_EQ(driver::ClientHeight(*window), 2670 / 15);

    EXPECT_EQ(window->Command1().Caption(), expected::kFarsiClose);
    EXPECT_EQ(driver::Geometry(window->Command1()), Px(240, 2160, 1215, 375));
    EXPECT_TRUE(driver::FontOf(window->Command1()).default_font);
    EXPECT_EQ(window->Panel().Name(), "UserControl21");
    EXPECT_EQ(window->Panel().Position(), (ui::Rect{240, 120, 6255, 2055}));
    EXPECT_EQ(window->Panel().table().name, std::string("UserControl2"));
    EXPECT_EQ(driver::Geometry(window->Panel().Label1()), Px(360, 240, 5775, 1935));
    EXPECT_TRUE(window->Panel().Label1().RightToLeft());
    EXPECT_EQ(driver::FocusedControl(*window), "Command1");
}

TEST_F(WindowTest, EveryCaptionFitsItsControlWaitingAndWithTheVerdictInBothLanguages) {
    UpdateWindows quick = WindowsFor("/file");
    for (Language language : {Language::English, Language::Farsi}) {
        SCOPED_TRACE(language == Language::English ? "English" : "Farsi");
        UpdateWindow* window = quick.Open(language);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(driver::ClippedCaptions(*window), std::vector<std::string>()) << "waiting";
        const std::string waiting = Caption(*window);
        ASSERT_TRUE(driver::WaitFor([&] { return Caption(*window) != waiting; }, 10000));
        EXPECT_EQ(driver::ClippedCaptions(*window), std::vector<std::string>()) << "verdict";
        quick.Slot(language).Unload();
        driver::ProcessEvents();
    }
}

TEST_F(WindowTest, LoadingShowsTheWaitingTextAndStartsOneRequest) {
    UpdateWindow* window = windows.Open(Language::English);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Caption(*window), expected::kEnglishWaiting);
    ASSERT_TRUE(driver::WaitFor([&] { return server.Requests("/pending") == 1; }, 10000));

    // The command again only shows the same window.
    EXPECT_EQ(windows.Open(Language::English), window);
    driver::WaitFor([] { return false; }, 300);
    EXPECT_EQ(server.Requests("/pending"), 1);
    EXPECT_EQ(program.loaded_count(), 2);  // with the main window
    EXPECT_EQ(Caption(*window), expected::kEnglishWaiting);
}

TEST_F(WindowTest, CloseAbandonsTheCheckAndTheNextCommandStartsAfresh) {
    UpdateWindow* first = windows.Open(Language::Farsi);
    ASSERT_TRUE(driver::WaitFor([&] { return server.Requests("/pending") == 1; }, 10000));
    driver::Click(first->Command1());
    driver::ProcessEvents();
    EXPECT_EQ(windows.Slot(Language::Farsi).Loaded(), nullptr);
    ASSERT_TRUE(driver::WaitFor([&] { return server.OpenConnections() == 0; }, 10000))
        << "the download was abandoned with its window";
    EXPECT_EQ(driver::TakeToolkitMessages(), std::vector<std::string>());

    UpdateWindow* second = windows.Open(Language::Farsi);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Caption(*second), expected::kFarsiWaiting);
    EXPECT_TRUE(driver::WaitFor([&] { return server.Requests("/pending") == 2; }, 10000));

    // The title bar's close box unloads the same way.
    driver::Close(*second);
    driver::ProcessEvents();
    EXPECT_EQ(windows.Slot(Language::Farsi).Loaded(), nullptr);
    EXPECT_TRUE(driver::WaitFor([&] { return server.OpenConnections() == 0; }, 10000));
    EXPECT_EQ(driver::TakeToolkitMessages(), std::vector<std::string>());
}

TEST_F(WindowTest, TheVerdictStaysUntilCloseAndReopeningWaitsAgain) {
    UpdateWindows quick = WindowsFor("/file");
    UpdateWindow* window = quick.Open(Language::English);
    ui::Label& label = window->Panel().Label1();
    ASSERT_TRUE(driver::WaitFor(
        [&] { return label.Caption() == expected::EnglishNewer("2.0", "x"); }, 10000));
    EXPECT_EQ(label.ForeColor(), (ui::Color{0, 0, 255}));
    driver::WaitFor([] { return false; }, 200);
    EXPECT_EQ(server.Requests("/file"), 1);

    window->Command1_Click();
    driver::ProcessEvents();
    window = quick.Open(Language::English);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Caption(*window), expected::kEnglishWaiting);
    EXPECT_TRUE(driver::WaitFor([&] { return server.Requests("/file") == 2; }, 10000));
    quick.Slot(Language::English).Unload();
    driver::ProcessEvents();
}

TEST_F(WindowTest, TheTwoLanguagesAreSeparateWindows) {
    UpdateWindow* english = windows.Open(Language::English);
    UpdateWindow* farsi = windows.Open(Language::Farsi);
    ASSERT_NE(english, nullptr);
    ASSERT_NE(farsi, nullptr);
    EXPECT_NE(english, farsi);
    EXPECT_TRUE(driver::WaitFor([&] { return server.Requests("/pending") == 2; }, 10000));
}

}  // namespace
}  // namespace vantrelle::update
