#pragma once
// The firmware page (Tab_Firmware): its controls from FirmwarePage.ui, the
// views of the image and the device grid over the upgrade tool's models,
// and what the upgrade code shows, by UpgradeViews.
#include <QColor>
#include <QObject>
#include <QString>

#include "upgrade/UpgradeViews.h"

class QComboBox;
class QLabel;
class QTableView;
class QWidget;
class LogView;
class TForm_Main;
class upgradeTool;
namespace Ui {
class FirmwarePage;
}

// How one data cell of Grid_Dev is painted (grid column and row, row 0 the
// header): the tick of a selected device in column 1; the run-state colour
// of its SW column; every cell but those of column 1 and the one drawn as
// selected filled and its text centred on one line; the coloured SW cell
// drawn as selected has its text at the cell's top left.
struct DeviceCellLook {
  bool Tick = false;
  QColor Background;  // invalid: the grid's own
  bool Centred = false;
  bool TopLeftText = false;
};
DeviceCellLook LookOfDeviceCell(const upgradeTool& tool, int column, int row, bool drawnSelected = false);

enum class ResultWindow;
// Shows the result window of a run (nothing for ResultWindow::None).
void ShowResultWindow(ResultWindow kind, QWidget* owner);

class FirmwarePage : public QObject, public UpgradeViews {
  Q_OBJECT
 public:
  // Builds the page's controls inside the window's Tab_Firmware.
  explicit FirmwarePage(TForm_Main& window);
  ~FirmwarePage() override;

  // Shows tool's image and devices and makes the page its views.
  void Attach(upgradeTool* tool);
  upgradeTool* Tool() const { return tool_; }

  // Grid_Dev shown with the log view below it (serial link), or hidden with
  // the log moved up (TCP link).
  void LayOut(bool deviceGridShown);
  // The upgrade log view's content as rich text, as the log file keeps it.
  QString LogText() const;

  // Column and row of the Grid_Dev cell last double-clicked (grid numbering).
  int DevGridCol = 0;
  int DevGridRow = 0;

  // UpgradeViews
  void SetLabel(const QString& name, const QString& text) override;
  void AppendEvent(const QString& line) override;
  void AppendEventLine(const QString& line) override;
  void AppendUpgradeEvent(const QString& line) override;
  void AppendUpgradeRed(const QString& line) override;
  void AppendUpgradeTraffic(const QString& line) override;
  void ShowMessage(const QString& text) override;
  void SetStartEnabled(bool enabled) override;
  void SetProgress(int percent) override;
  void SetStatusPanel(int panel, const QString& text) override;
  void RepaintDeviceGrid() override;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TForm_Main& w_;
  Ui::FirmwarePage* ui_;
  QWidget* page_;
  upgradeTool* tool_ = nullptr;
};
