// The main window side of the link's hooks: status bar, traffic log, and the
// stale/restore passes over the value labels.
#include "link/LinkUi.h"

#include "app/GroupPanel.h"
#include "app/LogViews.h"
#include "app/main.h"
#include "platform/ValueLabel.h"

namespace {

class MainWindowLinkUi : public LinkUi {
 public:
  void SetStatus(int panel, const QString& text) override {
    if (Form_Main) Form_Main->SetStatus(panel, text);
  }
  bool TraceEnabled() override {
    // The log is written only while its panel is open far enough to read it.
    GroupPanel* debug = Form_Main ? Form_Main->Panel(QStringLiteral("Group_Debug")) : nullptr;
    return debug && debug->height() >= 50;
  }
  void Trace(const QString& line) override {
    if (Form_Main) AppendTrafficLog(Form_Main->EventLog(), line);
  }
  void MarkViewsStale() override { Recolour(clBlue, clRed); }
  void RestoreStaleViews() override { Recolour(clRed, clBlue); }

 private:
  // Value labels are chosen by their exact colour; their text becomes "??".
  static void Recolour(QRgb from, QRgb to) {
    for (ValueLabel* label : ValueLabelsOf(Form_Main)) {
      if (label->fontColor() != from) continue;
      label->setText(QStringLiteral("??"));
      label->setFontColor(to);
    }
  }
};

MainWindowLinkUi g_mainWindowUi;
LinkUi* g_installed = nullptr;

}  // namespace

LinkUi& CurrentLinkUi() { return g_installed ? *g_installed : g_mainWindowUi; }
void SetLinkUi(LinkUi* ui) { g_installed = ui; }
