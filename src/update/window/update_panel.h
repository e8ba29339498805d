#pragma once

// The update panel, `UserControl1` (English) and `UserControl2` (Farsi): one label that
// shows the waiting text, then the verdict of the one download the panel owns. The two
// differ only in their table. Destroying the panel abandons its download.

#include <QString>
#include <QWidget>
#include <memory>
#include <string>

#include "platform/net/download.h"
#include "platform/ui/controls.h"
#include "update/language.h"

namespace vantrelle::update {

struct PanelTable {
    Language language;
    const char* name;                                      // the control's class name
    int label_left, label_top, label_width, label_height;  // twips
    bool arial_bold_12;  // otherwise the default user-interface font
    int alignment;       // ui::kAlignLeft or ui::kAlignRight
    bool right_to_left;
    QString waiting_text;
};
const PanelTable& PanelTableFor(Language language);

// Where the panel downloads from and how long it waits; the real program takes the
// defaults, tests point it at a local server with short limits.
struct CheckSettings {
    std::string update_url;  // empty: UpdateUrl()
    net::TransferLimits limits{};
};

class UpdatePanel : public QWidget {
  public:
    UpdatePanel(QWidget* parent, Language language, CheckSettings settings = {});
    ~UpdatePanel() override;

    // Starts the download and returns at once; the verdict replaces the waiting text
    // when it ends.
    void GetWrapper();

    ui::Label* Label1() const { return label1_; }
    const PanelTable& table() const { return table_; }

  private:
    void Initialize();
    void AsyncReadComplete(const net::AsyncProperty& property);

    const PanelTable& table_;
    std::string url_;
    net::TransferLimits limits_;
    ui::Label* label1_;
    // The one download, from GetWrapper to its completion.
    std::unique_ptr<net::Download> download_;
};

}  // namespace vantrelle::update
