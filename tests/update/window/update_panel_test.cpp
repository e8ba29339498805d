// The update panel end to end: a loopback server sends the update file (or fails to),
// the panel's label ends on the verdict's colour and text.

#include "update/window/update_panel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/driver.h"
#include "support/expected_texts.h"
#include "support/loopback_http_server.h"
#include "update/check.h"
#include "update/site.h"

namespace vantrelle::update {
namespace {

using namespace std::chrono_literals;
using testing::HttpAnswer;
using testing::LoopbackHttpServer;
namespace paths = testing::paths;

namespace driver = ui::driver;
constexpr ui::Color kRed{255, 0, 0};
constexpr ui::Color kBlue{0, 0, 255};

struct Shown {
    ui::Color colour;
    std::string caption;
};

ui::WindowStyle HostStyle() {
    return {.name = "enUpdateor",
            .caption = "Update",
            .client_width = 6570,
            .client_height = 2640,
            .border = ui::Border::kFixedDialog,
            .minimize_button = false,
            .client_position = std::nullopt};
}

// A window that hosts one panel where the update window has it.
struct Host {
    explicit Host(Language language, CheckSettings settings = {})
        : window(program, HostStyle()),
          panel(window, "UserControl11", {120, 0, 6255, 2655}, language, std::move(settings)) {}
    ui::Program program{[] {}};
    ui::Window window;
    UpdatePanel panel;
};

class PanelTest : public ::testing::Test {
  protected:
    // Loads a panel that downloads `url` and waits until its label leaves the waiting text.
    Shown Check(const std::string& url, Language language, net::TransferLimits limits = {}) {
        host.reset();
        host = std::make_unique<Host>(language, CheckSettings{url, limits});
        ui::Label& label = host->panel.Label1();
        const std::string waiting = label.Caption();
        host->panel.GetWrapper();
        EXPECT_TRUE(driver::WaitFor([&] { return label.Caption() != waiting; }, 20000)) << url;
        return {label.ForeColor(), label.Caption()};
    }
    Shown Serve(const std::string& body, Language language = Language::English) {
        server.Serve("/file", HttpAnswer{.body = body});
        return Check(server.Url("/file"), language);
    }

    LoopbackHttpServer server;
    std::unique_ptr<Host> host;
};

TEST(UpdateUrl, IsTheSiteHostsUpdateFile) {
    EXPECT_EQ(UpdateUrl(), "http://" + std::string(site::SiteHost) + "/appupdate/vtr/vtr.auf");
}

TEST_F(PanelTest, EveryRowOfTheUpdateFileTableServedOverHttp) {
    struct Row {
        std::string body;
        ui::Color colour;
        std::string text;
    };
    const std::string malformed = expected::kEnglishMalformed;
    const std::vector<Row> rows = {
        {"UpdateOK;1.0;x", kBlue, expected::kEnglishUpToDate},
        {"UpdateOK;1.0;x;y;z", kBlue, expected::kEnglishUpToDate},
        {"UpdateOK;1.0;", kBlue, expected::kEnglishUpToDate},
        {"UpdateOK;1.0.7;x", kBlue, expected::kEnglishUpToDate},
        {"UpdateOK;1.0", kRed, malformed},
        {"UpdateOK;1.0\r\n", kRed, malformed},
        {"UpdateOK", kRed, malformed},
        {"updateok;1.0;x", kRed, malformed},
        {" UpdateOK;1.0;x", kRed, malformed},
        {"UpdateOK;1;x", kRed, malformed},
        {"UpdateOK;;x", kRed, malformed},
        {"UpdateOK;.;x", kBlue, expected::EnglishNewer(".", "x")},
        {"UpdateOK;2.0;x", kBlue, expected::EnglishNewer("2.0", "x")},
        {"UpdateOK;0.9;x", kBlue, expected::EnglishNewer("0.9", "x")},
        {"UpdateOK;1.00;x", kBlue, expected::EnglishNewer("1.00", "x")},
        {"UpdateOK;1.0\r\n;x", kBlue, expected::EnglishNewer("1.0\r\n", "x")},
        {"UpdateOK;2.0;", kBlue, expected::EnglishNewer("2.0", "")},
        {"\xEF\xBB\xBFUpdateOK;1.0;x", kRed, malformed},
    };
    for (const Row& row : rows) {
        const Shown shown = Serve(row.body);
        EXPECT_EQ(shown.colour, row.colour) << ::testing::PrintToString(row.body);
        EXPECT_EQ(shown.caption, row.text) << ::testing::PrintToString(row.body);
    }
}

TEST_F(PanelTest, FarsiPanelShowsFarsiVerdicts) {
    Shown up = Serve("UpdateOK;1.0;x", Language::Farsi);
    EXPECT_EQ(up.colour, kBlue);
    EXPECT_EQ(up.caption, expected::kFarsiUpToDate);

    Shown newer = Serve("UpdateOK;2.0;http://example.org/get", Language::Farsi);
    EXPECT_EQ(newer.colour, kBlue);
    EXPECT_EQ(newer.caption, expected::FarsiNewer("2.0", "http://example.org/get"));

    Shown malformed = Serve("UpdateOK;1;x", Language::Farsi);
    EXPECT_EQ(malformed.colour, kRed);
    EXPECT_EQ(malformed.caption, expected::kFarsiMalformed);

    Shown failed = Check(server.Url(paths::kNotFound), Language::Farsi);
    EXPECT_EQ(failed.colour, kRed);
    EXPECT_EQ(failed.caption, expected::kFarsiFailed);
}

TEST_F(PanelTest, EveryFailedTransferEndsOnTheRedCommunicationError) {
    const net::TransferLimits quick{.stall = 1s, .total = 3s};
    const std::vector<std::string> urls = {
        server.Url(paths::kEmpty),     // an empty body is no update file at all
        server.Url(paths::kNotFound),  // 404
        server.Url(paths::kServerError),
        server.Url(paths::kSilent),     // accepted, never answered
        server.Url(paths::kOversized),  // more than the size limit
        server.Url(paths::kCut),
        "http://127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()) + "/vtr.auf",
        "not an address",
    };
    for (const std::string& url : urls) {
        const Shown shown = Check(url, Language::English, quick);
        EXPECT_EQ(shown.colour, kRed) << url;
        EXPECT_EQ(shown.caption, expected::kEnglishFailed) << url;
    }
    const Shown farsi = Check(server.Url(paths::kEmpty), Language::Farsi, quick);
    EXPECT_EQ(farsi.colour, kRed);
    EXPECT_EQ(farsi.caption, expected::kFarsiFailed);
}

TEST_F(PanelTest, MarkupFromTheServerIsShownLiterally) {
    const Shown page = Check(server.Url(paths::kHtml), Language::English);
    EXPECT_EQ(page.colour, kRed);
    EXPECT_EQ(page.caption, expected::kEnglishMalformed);

    // No ";" in it: that would end the field.
    const std::string location = "<b>bold</b><br><a href=\"x\">link</a>";
    const Shown newer = Serve("UpdateOK;<i>2</i>.0;" + location);
    EXPECT_EQ(newer.caption, expected::EnglishNewer("<i>2</i>.0", location));
    const std::vector<std::string> lines = driver::ShownLines(host->panel.Label1());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "To download update go to: " + location)
        << "shown as written, not as markup";
}

TEST_F(PanelTest, LineBreaksAtCrAndCrLfOnScreen) {
    Serve("UpdateOK;2.0;x");
    EXPECT_EQ(
        driver::ShownLines(host->panel.Label1()),
        (std::vector<std::string>{"There in a new version available (Version 2.0 )",
                                  "You are using version 1.0", "To download update go to: x"}));
}

TEST(PanelLook, WaitingTextFontAlignmentAndReadingOrder) {
    Host english(Language::English);
    ui::Label& label = english.panel.Label1();
    ui::Label fresh(english.window, "Fresh", {0, 0, 100, 100});
    EXPECT_EQ(label.Name(), "Label1");
    EXPECT_EQ(label.Caption(), expected::kEnglishWaiting);
    // The panel at 120, 0: the label at 0, 120 in it, cut at the panel's bottom (2655).
    EXPECT_EQ(driver::Geometry(label), (driver::PixelRect{8, 8, 385, 169}));
    EXPECT_TRUE(driver::FontOf(label).default_font);
    EXPECT_EQ(label.Alignment(), ui::kAlignLeft);
    EXPECT_FALSE(label.RightToLeft());
    // Before the verdict the label keeps its default colour.
    EXPECT_EQ(label.ForeColor(), fresh.ForeColor());

    Host farsi(Language::Farsi);
    ui::Label& farsi_label = farsi.panel.Label1();
    EXPECT_EQ(farsi_label.Caption(), expected::kFarsiWaiting);
    EXPECT_EQ(driver::Geometry(farsi_label), (driver::PixelRect{16, 8, 385, 169}));
    EXPECT_EQ(driver::FontOf(farsi_label).family, "Arial");
    EXPECT_EQ(driver::FontOf(farsi_label).points, 12.0);
    EXPECT_TRUE(driver::FontOf(farsi_label).bold);
    EXPECT_EQ(farsi_label.Alignment(), ui::kAlignRight);
    EXPECT_TRUE(farsi_label.RightToLeft());
    EXPECT_EQ(farsi_label.ForeColor(), fresh.ForeColor());
}

TEST(PanelLook, ALongLineWrapsInsideTheLabelAtSpaces) {
    Host host(Language::English);
    ui::Label& label = host.panel.Label1();
    std::string words;
    for (int i = 0; i < 60; ++i) {
        words += "word ";
    }
    label.SetCaption(words);
    const std::vector<std::string> lines = driver::ShownLines(label);
    EXPECT_GT(lines.size(), 3u);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind("word", 0), 0u) << line;
    }
}

}  // namespace
}  // namespace vantrelle::update
