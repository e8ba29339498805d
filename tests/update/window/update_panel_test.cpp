// The update panel end to end: a loopback server sends the update file (or fails to),
// the panel's label ends on the verdict's colour and text.

#include "update/window/update_panel.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFontInfo>
#include <QTest>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/qt/layout.h"
#include "support/loopback_http_server.h"
#include "update/check.h"
#include "update/site.h"
#include "update/window/test_texts.h"

namespace vantrelle::update {
namespace {

using namespace std::chrono_literals;
using testing::HttpAnswer;
using testing::LoopbackHttpServer;
namespace paths = testing::paths;

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

struct Shown {
    QColor colour;
    std::string caption;
};

class PanelTest : public ::testing::Test {
  protected:
    // Loads a panel that downloads `url` and waits until its label leaves the waiting text.
    Shown Check(const std::string& url, Language language, net::TransferLimits limits = {}) {
        panel = std::make_unique<UpdatePanel>(nullptr, language, CheckSettings{url, limits});
        const QString waiting = panel->Label1()->Caption();
        panel->GetWrapper();
        EXPECT_TRUE(QTest::qWaitFor([&] { return panel->Label1()->Caption() != waiting; }, 20000))
            << url;
        return {panel->Label1()->ForeColor(), panel->Label1()->Caption().toStdString()};
    }
    Shown Serve(const std::string& body, Language language = Language::English) {
        server.Serve("/file", HttpAnswer{.body = body});
        return Check(server.Url("/file"), language);
    }

    LoopbackHttpServer server;
    std::unique_ptr<UpdatePanel> panel;
};

TEST(UpdateUrl, IsTheSiteHostsUpdateFile) {
    EXPECT_EQ(UpdateUrl(), "http://" + std::string(site::SiteHost) + "/appupdate/vtr/vtr.auf");
}

TEST_F(PanelTest, EveryRowOfTheUpdateFileTableServedOverHttp) {
    struct Row {
        std::string body;
        QColor colour;
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
    EXPECT_EQ(panel->Label1()->textFormat(), Qt::PlainText);
    EXPECT_TRUE(panel->Label1()->text().endsWith(QString::fromStdString(location)));
}

TEST_F(PanelTest, LineBreaksAtCrAndCrLfOnScreen) {
    Serve("UpdateOK;2.0;x");
    EXPECT_EQ(panel->Label1()->text(),
              QStringLiteral("There in a new version available (Version 2.0 )\nYou are using "
                             "version 1.0\nTo download update go to: x"));
}

TEST(PanelLook, WaitingTextFontAlignmentAndReadingOrder) {
    UpdatePanel english(nullptr, Language::English);
    ui::Label* label = english.Label1();
    EXPECT_EQ(label->objectName(), "Label1");
    EXPECT_EQ(label->Caption().toStdString(), expected::kEnglishWaiting);
    EXPECT_EQ(label->geometry(), ui::TwipsRect(0, 120, 5775, 2895));
    EXPECT_EQ(label->font(), QApplication::font());
    EXPECT_EQ(label->Alignment(), ui::kAlignLeft);
    EXPECT_FALSE(label->RightToLeft());
    EXPECT_TRUE(label->wordWrap());
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    // Before the verdict the label keeps its default colour.
    EXPECT_EQ(label->ForeColor(), QLabel().palette().color(QPalette::WindowText));

    UpdatePanel farsi(nullptr, Language::Farsi);
    label = farsi.Label1();
    EXPECT_EQ(label->Caption().toStdString(), expected::kFarsiWaiting);
    EXPECT_EQ(label->geometry(), ui::TwipsRect(120, 120, 5775, 2895));
    EXPECT_EQ(label->font().family(), "Arial");
    EXPECT_EQ(label->font().pointSizeF(), 12.0);
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(label->Alignment(), ui::kAlignRight);
    EXPECT_TRUE(label->alignment() & Qt::AlignRight);
    EXPECT_TRUE(label->RightToLeft());
    EXPECT_TRUE(label->wordWrap());
    EXPECT_EQ(label->ForeColor(), QLabel().palette().color(QPalette::WindowText));
}

TEST(PanelLook, ALongLineWrapsInsideTheLabel) {
    UpdatePanel panel(nullptr, Language::English);
    ui::Label* label = panel.Label1();
    label->SetCaption(QStringLiteral("word ").repeated(60));
    const int one_line = label->fontMetrics().height();
    EXPECT_GT(label->heightForWidth(label->width()), 3 * one_line);
}

}  // namespace
}  // namespace vantrelle::update
