// An update check that ends while Start repairs: its verdict waits until Start has
// returned, although the repair's prompts run the event loop.

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/expected_texts.h"
#include "update/window/update_window.h"
#include "window_test_support.h"
#ifndef _WIN32
#include "support/loopback_http_server.h"
#endif

namespace vantrelle::windows {
namespace {

namespace driver = ui::driver;

TEST(UpdateDuringRepair, TheVerdictWaitsForStartToReturnThoughItsPromptsRunTheEventLoop) {
    // A good update file, sent in pieces over most of a second.
#ifdef _WIN32
    const char* base = std::getenv("VANTRELLE_LOOPBACK");
    if (base == nullptr || *base == '\0') {
        GTEST_SKIP() << "VANTRELLE_LOOPBACK names no server";
    }
    const std::string url = std::string(base) + "/trickle";
#else
    vantrelle::testing::LoopbackHttpServer server;
    const std::string url = server.Url(vantrelle::testing::paths::kTrickle);
#endif
    WindowsHarness harness;
    update::UpdateWindows updates(harness.program, update::CheckSettings{url, {}});
    harness.forms->services().open_update_window = [&](Language language) {
        updates.Open(language);
    };
    harness.volume.AddFile("E:\\locked", files::kHidden);
    harness.volume.FailOn(vantrelle::testing::Op::SetAttr, "E:\\locked", 1, 5, "Access is denied.");
    MainForm* form = harness.forms->MainFormFor(Language::English).Show();
    ASSERT_NE(form, nullptr);
    driver::Choose(form->Update);
    update::UpdateWindow* check = updates.Slot(Language::English).Loaded();
    ASSERT_NE(check, nullptr);
    const auto verdict_shown = [&] {
        return check->Panel().Label1().Caption() != expected::kEnglishWaiting;
    };

    // The user leaves the error prompt open for longer than the download takes.
    std::vector<bool> verdict_during_prompt;
    harness.box.on_box = [&](const std::string&) {
        verdict_during_prompt.push_back(
            driver::WaitFor(verdict_shown, verdict_during_prompt.empty() ? 3000 : 300));
    };
    harness.box.script.Then(ui::vbYes).Then(ui::vbOK);
    driver::Click(form->Command1);
    EXPECT_EQ(verdict_during_prompt, (std::vector<bool>{false, false}));

    ASSERT_TRUE(driver::WaitFor(verdict_shown, 10000));
    EXPECT_EQ(check->Panel().Label1().Caption(),
              expected::EnglishNewer("2.0", "http://vantrelle.example.org/download"));
    harness.box.on_box = nullptr;
    updates.Slot(Language::English).Unload();
    driver::ProcessEvents();
}

}  // namespace
}  // namespace vantrelle::windows
