#pragma once
#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <vector>

// The device grid of the firmware page (Grid_Dev) as a string grid: row 0
// holds the headers, column 0 the row numbers, 11 columns. The upgrade code
// writes cells; the page shows them through this model (grid row r is model
// row r - 1, grid row 0 the horizontal header).
class DeviceGrid : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kColumns = 11;
  static constexpr int kSwColumn = 10;
  static constexpr int kModeColumn = 4;

  explicit DeviceGrid(QObject* parent = nullptr);

  int RowCount() const { return static_cast<int>(cells_.size()); }
  // Rows beyond the new count are dropped; new rows are empty.
  void SetRowCount(int rows);
  QString Cell(int column, int row) const;
  // Writes a cell; outside the grid nothing happens.
  void SetCell(int column, int row, const QString& text);
  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);
  // One line per data row: "<header>:<cell>, " for the columns 2 to 8.
  QStringList DumpLines() const;

  // QAbstractTableModel
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::vector<std::vector<QString>> cells_;  // [row][column], row 0 the header
  std::vector<int> widths_;
};
