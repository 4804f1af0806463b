#pragma once
#include <QWidget>
#include <deque>
#include <span>
#include <string>
#include <vector>

// Controls are declared as rows of data and built by one routine, so a
// panel's declaration reads line by line against its control table.
// Frame: a plain container, e.g. for a group of radio buttons that exclude
// only each other; its own rows name it as their panel. A frame with a caption
// is a titled box.
// List: a list box, its items the caption's lines, scrolled one item at a time.
enum class Kind { Label, Edit, Combo, Radio, Check, Button, Image, Grid, Log, Frame, List };

// Design-time state of a control beyond its caption.
enum ControlFlag : unsigned {
  kHidden = 1,     // not visible at start
  kDisabled = 2,   // not enabled at start
  kChecked = 4,    // radio button or check box checked at start
  kBlue = 8,       // label font blue (a value read back from the inverter)
  kGreen = 16,     // label font green
  kUnderline = 32, // label font underlined
  kSilver = 64,    // label font silver (a flag not yet read from the inverter)
  kEditable = 128, // combo box that takes typed text; an item's text chooses that item
  kCaption = 256,  // label whose colour tells a command's progress: never a value, never "??"
};

struct ControlDecl {
  Kind kind;
  const char* name;
  int left, top, width, height;
  const char* caption = "";  // text as designed (label, button, radio, check, edit);
                             // a combo's items, one per line
  int tag = 0;               // 1 = caption is translated
  unsigned flags = 0;        // ControlFlag bits
};

// The controls that fill one group panel.
struct PanelControls {
  const char* panel;
  std::span<const ControlDecl> controls;
};

// Creates the rows as children of parent, with objectName, geometry, caption
// and Tag. Labels are ValueLabels, black unless a flag gives their colour.
void BuildControls(QWidget* parent, std::span<const ControlDecl> rows);

// Every view's control table, in one list (see ViewTables.cpp).
std::span<const PanelControls* const> AllPanelControls();

// Rows made once at start-up for panels whose controls repeat one pattern
// (numbered records, alike lists); keeps the names the rows point to.
class GeneratedRows {
 public:
  const char* Name(std::string name) {
    names_.push_back(std::move(name));  // a deque never moves earlier names
    return names_.back().c_str();
  }
  void Add(const ControlDecl& row) { rows_.push_back(row); }
  std::span<const ControlDecl> Rows() const { return rows_; }

 private:
  std::deque<std::string> names_;
  std::vector<ControlDecl> rows_;
};
