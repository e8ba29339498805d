// The update windows: their look against the tables, and their lifecycle as the main
// windows' update command drives it.

#include "update/window/update_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QtGlobal>
#include <chrono>
#include <string>
#include <vector>

#include "platform/ui/qt/layout.h"
#include "support/loopback_http_server.h"
#include "update/code_points.h"
#include "update/window/test_texts.h"

namespace vantrelle::update {
namespace {

using testing::HttpAnswer;
using testing::LoopbackHttpServer;

QRect Twips(int left, int top, int width, int height) {
    return ui::TwipsRect(left, top, width, height);
}

void ExpectFixedDialogFrame(const UpdateWindow& window) {
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.parentWidget(), nullptr);  // no owner
    EXPECT_FALSE(window.isModal());
}

// Drains deferred deletes, so that an unloaded window is really gone.
void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Accepted and never answered: the check stays pending until the window closes.
        server.Serve("/pending", HttpAnswer{.delivery = HttpAnswer::Delivery::kNeverAnswer});
        server.Serve("/file", HttpAnswer{.body = "UpdateOK;2.0;x"});
        // Stands for the main window: the program ends when its last window unloads.
        ASSERT_NE(main_window.Show(), nullptr);
        previous_handler_ = qInstallMessageHandler(&Record);
        messages().clear();
    }
    void TearDown() override {
        windows.Slot(Language::English).Unload();
        windows.Slot(Language::Farsi).Unload();
        Settle();
        qInstallMessageHandler(previous_handler_);
    }
    static std::vector<std::string>& messages() {
        static std::vector<std::string> seen;
        return seen;
    }
    static void Record(QtMsgType, const QMessageLogContext&, const QString& text) {
        // The offscreen platform's own notes are not the program's.
        if (!text.contains(QLatin1String("propagateSizeHints"))) {
            messages().push_back(text.toStdString());
        }
    }
    UpdateWindows WindowsFor(const std::string& path) {
        return UpdateWindows(program, CheckSettings{server.Url(path), {}});
    }

    LoopbackHttpServer server;
    ui::Program program{[] {}};
    ui::WindowSlot<ui::Window> main_window{
        program, [this] { return std::make_unique<ui::Window>(program); }};
    UpdateWindows windows{program, CheckSettings{server.Url("/pending"), {}}};

  private:
    QtMessageHandler previous_handler_ = nullptr;
};

TEST_F(WindowTest, EnglishWindowMatchesItsTable) {
    UpdateWindow* window = windows.Open(Language::English);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "enUpdateor");
    EXPECT_EQ(window->windowTitle(), "Update");
    EXPECT_TRUE(window->isVisible());
    ExpectFixedDialogFrame(*window);
    EXPECT_EQ(window->Client()->size(), Twips(0, 0, 6570, 2640).size());
    EXPECT_EQ(window->geometry().topLeft(), Twips(2535, 2190, 0, 0).topLeft());

    EXPECT_EQ(window->Command1()->objectName(), "Command1");
    EXPECT_EQ(window->Command1()->Caption(), "Close");
    EXPECT_EQ(window->Command1()->geometry(), Twips(5160, 2160, 1215, 375));
    EXPECT_EQ(window->Command1()->font(), QApplication::font());
    EXPECT_EQ(window->Panel()->objectName(), "UserControl11");
    EXPECT_EQ(window->Panel()->geometry(), Twips(120, 0, 6255, 2655));
    EXPECT_EQ(window->Panel()->table().name, std::string("UserControl1"));

    // The panel reaches over the button, which stays in front and takes the clicks.
    const QPoint button_centre = window->Command1()->geometry().center();
    EXPECT_TRUE(window->Panel()->geometry().contains(button_centre));
    EXPECT_EQ(window->Client()->childAt(button_centre), window->Command1());

    // Close comes first in the tab order and holds the focus; the panel takes none.
    EXPECT_EQ(window->focusWidget(), window->Command1());
    EXPECT_EQ(window->Panel()->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(window->Command1()->focusPolicy() & Qt::TabFocus);
}

TEST_F(WindowTest, FarsiWindowMirrorsTheEnglishOne) {
    UpdateWindow* window = windows.Open(Language::Farsi);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "faUpdateor");
    EXPECT_EQ(window->windowTitle().toStdString(), Farsi("bh rwz rsAny"));
    EXPECT_EQ(window->layoutDirection(), Qt::LeftToRight);  // the title reads left to right
    ExpectFixedDialogFrame(*window);
    EXPECT_EQ(window->Client()->size(), Twips(0, 0, 6630, 2670).size());

    EXPECT_EQ(window->Command1()->Caption().toStdString(), Farsi("bstn"));
    EXPECT_EQ(window->Command1()->geometry(), Twips(240, 2160, 1215, 375));
    EXPECT_EQ(window->Command1()->font(), QApplication::font());
    EXPECT_EQ(window->Panel()->objectName(), "UserControl21");
    EXPECT_EQ(window->Panel()->geometry(), Twips(240, 120, 6255, 2055));
    EXPECT_EQ(window->Panel()->table().name, std::string("UserControl2"));
    EXPECT_TRUE(window->Panel()->Label1()->RightToLeft());
    EXPECT_EQ(window->focusWidget(), window->Command1());
}

TEST_F(WindowTest, LoadingShowsTheWaitingTextAndStartsOneRequest) {
    UpdateWindow* window = windows.Open(Language::English);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Panel()->Label1()->Caption().toStdString(), expected::kEnglishWaiting);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Requests("/pending") == 1; }, 10000));

    // The command again only shows the same window.
    EXPECT_EQ(windows.Open(Language::English), window);
    QTest::qWait(300);
    EXPECT_EQ(server.Requests("/pending"), 1);
    EXPECT_EQ(program.loaded_count(), 2);  // with the main window
    EXPECT_EQ(window->Panel()->Label1()->Caption().toStdString(), expected::kEnglishWaiting);
}

TEST_F(WindowTest, CloseAbandonsTheCheckAndTheNextCommandStartsAfresh) {
    QPointer<UpdateWindow> first = windows.Open(Language::Farsi);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Requests("/pending") == 1; }, 10000));
    first->Command1()->click();
    Settle();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(windows.Slot(Language::Farsi).Loaded(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.OpenConnections() == 0; }, 10000));
    EXPECT_TRUE(messages().empty()) << messages().front();

    QPointer<UpdateWindow> second = windows.Open(Language::Farsi);
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second->Panel()->Label1()->Caption().toStdString(), expected::kFarsiWaiting);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Requests("/pending") == 2; }, 10000));

    // The title bar's close box unloads the same way.
    second->close();
    Settle();
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(windows.Slot(Language::Farsi).Loaded(), nullptr);
    EXPECT_TRUE(messages().empty()) << messages().front();
}

TEST_F(WindowTest, TheVerdictStaysUntilCloseAndReopeningWaitsAgain) {
    UpdateWindows quick = WindowsFor("/file");
    UpdateWindow* window = quick.Open(Language::English);
    ui::Label* label = window->Panel()->Label1();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return label->Caption().toStdString() == expected::EnglishNewer("2.0", "x"); },
        10000));
    EXPECT_EQ(label->ForeColor(), QColor(0, 0, 255));
    QTest::qWait(200);
    EXPECT_EQ(server.Requests("/file"), 1);

    window->Command1_Click();
    Settle();
    window = quick.Open(Language::English);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Panel()->Label1()->Caption().toStdString(), expected::kEnglishWaiting);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Requests("/file") == 2; }, 10000));
    quick.Slot(Language::English).Unload();
    Settle();
}

TEST_F(WindowTest, TheTwoLanguagesAreSeparateWindows) {
    UpdateWindow* english = windows.Open(Language::English);
    UpdateWindow* farsi = windows.Open(Language::Farsi);
    ASSERT_NE(english, nullptr);
    ASSERT_NE(farsi, nullptr);
    EXPECT_NE(static_cast<QWidget*>(english), static_cast<QWidget*>(farsi));
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Requests("/pending") == 2; }, 10000));
}

}  // namespace
}  // namespace vantrelle::update
