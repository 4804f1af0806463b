// The ID scan (which IDs answer on the bus, and at which speed), the list of
// inverters it leaves, and the tree that shows the list and picks the
// inverter the views show.
#include "link/IdScan.h"
#include "link/ClockSync.h"
#include "link/EnergyHistory.h"
#include "link/Executor.h"
#include "link/LineClock.h"
#include "logs/OnSiteRepair.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <algorithm>

#include "app/FormWait.h"
#include "app/Myfunc.h"
#include "app/SharedTables.h"
#include "app/main.h"
#include "link/LinkUi.h"
#include "link/Modbus.h"
#include "platform/CFormat.h"
#include "platform/Dialogs.h"
#include "platform/ValueLabel.h"
#include "settings/CountryView.h"
#include "settings/EditorFit.h"
#include "settings/EventHook.h"

namespace {

constexpr int kFirstId = 1;
constexpr int kLastId = 254;

// The three node pictures: the root, an inverter, the current inverter.
QIcon TreeIcon(int image) {
  static const QColor colours[] = {QColor(90, 90, 90), QColor(70, 130, 180), QColor(0, 160, 0)};
  QPixmap pm(14, 14);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(colours[std::clamp(image, 0, 2)]);
  p.setPen(Qt::NoPen);
  if (image == TreeImageRoot)
    p.drawRect(2, 2, 10, 10);
  else
    p.drawEllipse(2, 2, 10, 10);
  return QIcon(pm);
}

void SetNodeImage(QTreeWidgetItem* node, int image) {
  node->setData(0, kTreeImageRole, image);
  node->setIcon(0, TreeIcon(image));
}

}  // namespace

int CollectPresentIds(InverterListRec& list, const int* presence, const int* speeds) {
  list.Count = 0;
  for (int id = kFirstId; id <= kLastId; ++id) {
    if (presence[id] != id) continue;
    list.Ids[list.Count] = id;
    list.BaudIndex[list.Count] = speeds[id];
    ++list.Count;
  }
  list.Tail = 0;
  return 0;
}

QString InverterNodeText(int id) { return CFormat("ID:%03d", id); }

// ---------------------------------------------------------------------------
// The probe and the scan

int Modbus::ProbeSlave(int id, int speedIndex) {
  LinkUi& ui = CurrentLinkUi();
  ui.SetStatus(0, CFormat("ID: %d", id));
  if (id < 0 || id >= kIdCount) return 1;

  if (LinkMode == LinkRadio) {
    // Over the radio an ordinary read stands in for the probe.
    SlaveId = static_cast<uint8_t>(id);
    if (Request(40963, 1, 4)) return 1;
    if (Reply[0] == id && Reply[1] == 4 && ReplyValid == 1) {
      IdPresent[id] = id;
      IdBaudIndex[id] = speedIndex;
      return 0;
    }
    return 1;
  }
  if (LinkMode != LinkSerial) return 1;

  // The bootloader's framing: ID low, ID high, FF FF, length 1, command 0.
  uint8_t* f = Port.TxBuf;
  f[0] = static_cast<uint8_t>(id & 0xFF);
  f[1] = 0x00;
  f[2] = 0xFF;
  f[3] = 0xFF;
  f[4] = 0x01;
  f[5] = 0x00;
  const uint16_t crc = Crc16(f, 6);
  f[6] = static_cast<uint8_t>(crc & 0xFF);
  f[7] = static_cast<uint8_t>(crc >> 8);
  TxLength = 8;
  TxFraming = Framing::Other;
  DelayMs(50);
  Port.DiscardInput();  // a late answer to the previous probe is not this one's
  if (Port.Write(8)) return 1;
  ++TxCount;
  ui.SetStatus(3, CFormat("%d", TxCount));
  DelayLineMs(200);
  if (Port.Read()) return 1;

  // Only a whole answer names a product: FF FF, the ID, 5, 0, then four bytes.
  const uint8_t* r = Port.RxBuf;
  if (Port.RxCount < 10 || r[0] != 0xFF || r[1] != 0xFF || r[2] != (id & 0xFF) || r[4] != 0x05 || r[5] != 0x00)
    return 1;
  IdPresent[id] = id;
  IdBaudIndex[id] = speedIndex;
  IdProductId[id] = static_cast<int>(uint32_t(r[6]) | uint32_t(r[7]) << 8 | uint32_t(r[8]) << 16 | uint32_t(r[9]) << 24);
  return 0;
}

int Modbus::ScanSlaves() {
  for (int i = 0; i < kIdCount; ++i) {
    IdPresent[i] = 0;
    IdBaudIndex[i] = 0;
    IdProductId[i] = 0;
    IdNormalMode[i] = 1;
    ScanAux2[i] = 0;
  }
  // The range comes from edits and profile files: keep it to real IDs.
  const int first = std::max(ScanStartId, kFirstId);
  const int last = std::min(ScanEndId, kLastId);
  if (LinkMode == LinkSerial) {
    // 4,800 bit/s is never scanned; an ID that answers at several speeds
    // keeps the last of them.
    for (int speed = 1; speed <= 3; ++speed) {
      SetBaudIndex(speed);
      for (int id = first; id <= last; ++id) ProbeSlave(id, speed);
    }
  } else if (LinkMode == LinkRadio) {
    SetBaudIndex(3);
    for (int id = first; id <= last; ++id) ProbeSlave(id, 3);
  }
  return 1;
}

// ---------------------------------------------------------------------------
// The tree

QTreeWidgetItem* TForm_Main::AddTreeRoot() {
  auto* tree = Ctl<QTreeWidget>(QStringLiteral("TreeView"));
  if (!tree) return nullptr;
  auto* root = new QTreeWidgetItem(tree, QStringList{QStringLiteral("Inverters")});
  SetNodeImage(root, TreeImageRoot);
  TreeRoot = root;
  return root;
}

InverterListRec TForm_Main::CommandTargets() const {
  if (Link.LinkMode != LinkTcp) return InverterList;
  // The Wi-Fi module carries one inverter; a list from a bus or radio scan,
  // or from the previous run, names inverters that are not on it.
  InverterListRec wifi;
  wifi.Count = 1;
  wifi.Ids[0] = 255;
  return wifi;
}

void TForm_Main::ShowPolledId() {
  // Address 0 is never sent to: no inverter is polled then.
  SetStatus(0, LinkOpen && Link.SlaveId != 0 ? CFormat("ID: %d", Link.SlaveId) : QString());
}

void TForm_Main::RebuildTree() {
  if (TreeRoot) {
    while (TreeRoot->childCount() > 0) delete TreeRoot->takeChild(TreeRoot->childCount() - 1);
  }
  LastTreeNode = nullptr;
  if (Link.ScanSlaves() != 0) {
    CollectPresentIds(InverterList, Link.IdPresent, Link.IdBaudIndex);
    BuildIdTree();
  }
  // The probes showed each ID they tried; polling goes on with this one.
  ShowPolledId();
}

void TForm_Main::BuildIdTree() {
  if (TreeRoot) {
    for (int i = 0; i < InverterList.Count; ++i) {
      auto* node = new QTreeWidgetItem(TreeRoot, QStringList{InverterNodeText(InverterList.Ids[i])});
      LastTreeNode = node;
      SetNodeImage(node, TreeImageInverter);
    }
  }
  ExeSelectInv(0);
  if (TreeRoot) TreeRoot->setExpanded(true);
  CountryListInit();
  if (auto* tree = Ctl<QTreeWidget>(QStringLiteral("TreeView"))) tree->expandAll();
}

void TForm_Main::ExeSelectInv(int position) {
  if (position < 0 || position >= InverterList.Count) return;
  QTreeWidgetItem* chosen = nullptr;
  if (TreeRoot) {
    for (int i = 0; i < TreeRoot->childCount(); ++i) SetNodeImage(TreeRoot->child(i), TreeImageInverter);
    chosen = TreeRoot->child(position);
    if (chosen) SetNodeImage(chosen, TreeImageCurrent);
  }
  // The Wi-Fi link always talks to address 255; the list does not move it.
  if (chosen && Link.LinkMode != LinkTcp) {
    Link.SlaveId = static_cast<uint8_t>(InverterList.Ids[position] & 0xFF);
    if (Link.LinkMode == LinkSerial) Link.SetBaudIndex(InverterList.BaudIndex[position]);
    if (Link.LinkMode == LinkRadio) Link.SetBaudIndex(3);
  }
  // Values written to the previous inverter and not confirmed are void now.
  for (ValueLabel* label : ValueLabelsOf(this)) {
    if (label->fontColor() != clRed) continue;
    label->setText(QStringLiteral("??"));
    label->setFontColor(clBlue);
  }
  ShowPolledId();
}

void TForm_Main::TreeViewDblClick() {
  if (Link.LinkMode == LinkTcp) return;
  auto* tree = Ctl<QTreeWidget>(QStringLiteral("TreeView"));
  QTreeWidgetItem* node = tree ? tree->currentItem() : nullptr;
  if (!node || !TreeRoot || node->parent() != TreeRoot) return;
  for (int i = 0; i < TreeRoot->childCount(); ++i) SetNodeImage(TreeRoot->child(i), TreeImageInverter);
  SetNodeImage(node, TreeImageCurrent);
  // The node at position n stands for entry n of the list it was built from.
  const int n = TreeRoot->indexOfChild(node);
  if (n >= 0 && n < InverterList.Count) {
    Link.SlaveId = static_cast<uint8_t>(InverterList.Ids[n] & 0xFF);
    Link.SetBaudIndex(Link.LinkMode == LinkRadio ? 3 : InverterList.BaudIndex[n]);
    ShowPolledId();
  }
  // What the views show came from the previous inverter.
  for (ValueLabel* label : ValueLabelsOf(this)) {
    if (label->fontColor() == clBlue) label->setText(QStringLiteral("??"));
  }
  CountryListInit();
}

void TForm_Main::CountryListInit() {
  auto* combo = Ctl<QComboBox>(QStringLiteral("Combo_Country"));
  if (!combo) return;
  combo->clear();
  // Item k names the code that choosing it writes.
  for (const CountryItem& item : CountryItems(*this)) combo->addItem(item.name);
  FitEditorsToText(*this);
}

void TForm_Main::Edit_StartIDExit() {
  auto* edit = Ctl<QLineEdit>(QStringLiteral("Edit_StartID"));
  if (!edit) return;
  const int v = SafeStrToInt(edit->text());
  if (v < kFirstId || v > kLastId) {
    ShowMessage(QStringLiteral("ID Range 1~254"));
    edit->setText(QStringLiteral("1"));
    edit->selectAll();
  }
}

void TForm_Main::Edit_EndIDExit() {
  auto* endEdit = Ctl<QLineEdit>(QStringLiteral("Edit_EndID"));
  auto* startEdit = Ctl<QLineEdit>(QStringLiteral("Edit_StartID"));
  if (!endEdit || !startEdit) return;
  const int last = SafeStrToInt(endEdit->text());
  const int first = SafeStrToInt(startEdit->text());
  if (last < kFirstId || last > kLastId) {
    ShowMessage(QStringLiteral("ID Range 1~254"));
    endEdit->setText(QStringLiteral("32"));
    endEdit->selectAll();
  } else if (last < first) {
    ShowMessage(QStringLiteral("Error: End ID < Start ID"));
    endEdit->setText(CFormat("%d", std::min(first + 1, kLastId)));
    endEdit->selectAll();
  }
}

void TForm_Main::Btn_ScanIDClick() {
  if (Link.LinkMode == LinkTcp) return;  // the Wi-Fi link has one address only
  auto takeRange = [this] {
    auto* endEdit = Ctl<QLineEdit>(QStringLiteral("Edit_EndID"));
    auto* startEdit = Ctl<QLineEdit>(QStringLiteral("Edit_StartID"));
    Link.ScanEndId = endEdit ? SafeStrToInt(endEdit->text()) : 0;
    Link.ScanStartId = startEdit ? SafeStrToInt(startEdit->text()) : 0;
  };
  if (KeepPortOpen == 1) {
    // The firmware page holds the port and no loop runs: scan right away.
    takeRange();
    RebuildTree();
    return;
  }
  if (!LinkTakesCommands()) return;
  takeRange();
  PostCommand(Link, CmdScanIds);
}

int TForm_Main::ExeScanIds() {
  if (Form_wait) Form_wait->show();
  RebuildTree();
  if (Form_wait) Form_wait->hide();
  return 0;
}

void TForm_Main::BindNetHandlers() {
  BindClockHandlers(*this);
  BindEnergyHandlers(*this);
  BindOnSiteRepair(*this);
  if (auto* tree = Ctl<QTreeWidget>(QStringLiteral("TreeView")))
    connect(tree, &QTreeWidget::itemDoubleClicked, this, [this] { TreeViewDblClick(); });
  if (auto* b = Ctl<QPushButton>(QStringLiteral("Btn_ScanID")))
    connect(b, &QPushButton::clicked, this, [this] { Btn_ScanIDClick(); });
  // Both range edits take digits only; their exit checks keep them in range.
  // A check runs when the user moves on to another control, not when a
  // message box (one check's own included) or another window takes the focus.
  const QRegularExpression digits(QStringLiteral("[0-9]*"));
  if (auto* e = Ctl<QLineEdit>(QStringLiteral("Edit_StartID"))) {
    e->setValidator(new QRegularExpressionValidator(digits, e));
    OnExit(e, [this] { Edit_StartIDExit(); });
  }
  if (auto* e = Ctl<QLineEdit>(QStringLiteral("Edit_EndID"))) {
    e->setValidator(new QRegularExpressionValidator(digits, e));
    OnExit(e, [this] { Edit_EndIDExit(); });
  }
}
