#pragma once

// The update panel, `UserControl1` (English) and `UserControl2` (Farsi): one label that
// shows the waiting text, then the verdict of the one download the panel owns. The two
// differ only in their table. Destroying the panel abandons its download.
//
// The panel is no control of its own: its label lies in the hosting window, placed
// within the panel's rectangle and cut at its edges, which is all a user sees of it.

#include <memory>
#include <string>

#include "common/language.h"
#include "platform/net/download.h"
#include "platform/ui/label.h"
#include "platform/ui/program.h"

namespace vantrelle::update {

struct PanelTable {
    Language language;
    const char* name;    // the control's class name
    ui::Rect label1;     // twips, within the panel
    bool arial_bold_12;  // otherwise the default user-interface font
    ui::Alignment alignment;
    bool right_to_left;
    std::string waiting_text;
};
const PanelTable& PanelTableFor(Language language);

// Where the panel downloads from and how long it waits; the real program takes the
// defaults, tests point it at a local server with short limits.
struct CheckSettings {
    std::string update_url;  // empty: UpdateUrl()
    net::TransferLimits limits{};
};

class UpdatePanel {
  public:
    // `name` is the panel's name in `window`, `at` its rectangle there (twips).
    UpdatePanel(ui::Window& window, std::string name, ui::Rect at, Language language,
                CheckSettings settings = {});

    // Starts the download and returns at once; the verdict replaces the waiting text
    // when it ends.
    void GetWrapper();

    ui::Label& Label1() { return label1_; }
    const ui::Label& Label1() const { return label1_; }
    const std::string& Name() const { return name_; }
    const ui::Rect& Position() const { return at_; }
    const PanelTable& table() const { return table_; }

  private:
    void Initialize();
    void AsyncReadComplete(const net::AsyncProperty& property);

    const PanelTable& table_;
    std::string name_;
    ui::Rect at_;
    std::string url_;
    net::TransferLimits limits_;
    ui::Label label1_;
    // The one download, from GetWrapper to its completion. After the label: destroyed
    // first, so no completion can reach a label that is gone.
    std::unique_ptr<net::Download> download_;
};

}  // namespace vantrelle::update
