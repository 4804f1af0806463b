#pragma once
#include <QFrame>
#include <span>

class QLabel;

struct GroupPanelDecl;

// A group panel: a titled frame at an absolute place in its page. Its Tag is
// its full height; a closed panel is 40 px high.
class GroupPanel : public QFrame {
  Q_OBJECT
 public:
  // The title bar's height: a panel's rows start below it.
  static constexpr int kTitleHeight = 30;

  GroupPanel(const GroupPanelDecl& d, QWidget* parent);
  int Tag() const { return tag_; }
  void setTag(int tag) {
    tag_ = tag;
    setProperty("Tag", tag);
  }
  QLabel* TitleLabel() const { return title_; }

 private:
  int tag_;
  QLabel* title_;
};

// One row per group panel of the main window.
struct GroupPanelDecl {
  const char* name;        // objectName, e.g. "Group_Version"
  const char* titleLabel;  // objectName of its title label, e.g. "Label_Version"
  const char* section;     // layout-file section, nullptr for panels never stored
  int tag;                 // full height
  int width;
  const char* title;
};

std::span<const GroupPanelDecl> GroupPanelTable();
