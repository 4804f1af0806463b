// User-interface language: captions of the labels and radio buttons marked
// for translation are looked up in the user's language table, and the flags
// in the header switch the language through a restart.
#include "app/Language.h"

#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QTableWidget>
#include <typeinfo>

#include "app/LogViews.h"
#include "app/main.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "platform/SingleInstanceGuard.h"
#include "platform/ValueLabel.h"
#include "settings/EditorFit.h"

QList<QStringList> ParseLangTable(const QByteArray& bytes) {
  int start = 0;
  if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE) start = 2;
  QString text;
  text.reserve((bytes.size() - start) / 2);
  for (int i = start; i + 1 < bytes.size(); i += 2) text += QChar(ushort(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8));

  QList<QStringList> rows;
  QStringList cells;
  QString cell;
  bool lineOpen = false;  // characters seen since the last line end
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\r' || c == u'\n') {
      cells << cell;
      rows << cells;
      cells.clear();
      cell.clear();
      lineOpen = false;
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (c == u'\t') {
      cells << cell;
      cell.clear();
      lineOpen = true;
    } else {
      cell += c;
      lineOpen = true;
    }
  }
  if (lineOpen) {
    cells << cell;
    rows << cells;
  }
  return rows;
}

namespace {
constexpr int kLastLanguage = 2;  // 1 German, 2 French

QString CellText(const QTableWidget* grid, int column, int row) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text() : QString();
}

void FillGrid(QTableWidget* grid, const QList<QStringList>& rows) {
  qsizetype columns = 1;
  for (const QStringList& r : rows) columns = std::max(columns, r.size());
  grid->clear();
  grid->setColumnCount(int(columns));
  grid->setRowCount(std::max(1, int(rows.size())));  // the header row stays
  for (int r = 0; r < rows.size(); ++r)
    for (int c = 0; c < rows[r].size(); ++c) grid->setItem(r, c, new QTableWidgetItem(rows[r][c]));
}

bool MarkedForTranslation(const QObject* o) { return o->property("Tag").toInt() == 1; }

void SwitchLanguage(TForm_Main* w, int languageIndex) {
  w->LanguageIndex = languageIndex;
  // The close handler stores the index for the next run.
  if (!w->close()) return;
  // Hand the single-instance title over before the successor asks for it.
  if (auto* guard = w->findChild<SingleInstanceGuard*>()) guard->Release();
  StartProgramAgain();
}
}  // namespace

void TForm_Main::LanguageChange(int languageIndex) {
  // Only the table's language columns are languages; any other index (a
  // hand-edited previous-run file) would read a column no row has and empty
  // every translated caption, so the window then stays English.
  if (languageIndex < 1 || languageIndex > kLastLanguage) return;
  const QString path = ProgramPath("profile/LangTable.KXL");
  if (!QFileInfo(path).isFile()) return;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  auto* grid = Ctl<QTableWidget>("Grid_MultiLang");
  if (!grid) return;
  FillGrid(grid, ParseLangTable(file.readAll()));

  // Exactly the plain value labels and radio buttons: subclasses of either
  // are other controls and keep their captions.
  for (QWidget* w : findChildren<QWidget*>()) {
    if (!MarkedForTranslation(w)) continue;
    QLabel* label = typeid(*w) == typeid(ValueLabel) ? static_cast<QLabel*>(w) : nullptr;
    QAbstractButton* radio = typeid(*w) == typeid(QRadioButton) ? static_cast<QAbstractButton*>(w) : nullptr;
    if (!label && !radio) continue;
    const QString caption = label ? label->text() : radio->text();
    const int row = FindGridRow(caption, grid);
    if (row == 0) {
      AppendTrafficLog(EventLog(), caption + " Search Error");
      continue;
    }
    const QString translated = CellText(grid, languageIndex, row);
    if (label)
      label->setText(translated);
    else
      radio->setText(translated);
  }
  // The editors' rows share their room with captions that changed.
  FitEditorsToText(*this);
}

void TForm_Main::Image_Country_USAClick() { SwitchLanguage(this, 0); }
void TForm_Main::Image_Country_GenmanClick() { SwitchLanguage(this, 1); }
void TForm_Main::Image_Country_FrenchClick() { SwitchLanguage(this, 2); }
