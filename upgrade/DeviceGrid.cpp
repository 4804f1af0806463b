#include "upgrade/DeviceGrid.h"

DeviceGrid::DeviceGrid(QObject* parent)
    : QAbstractTableModel(parent), cells_(2, std::vector<QString>(kColumns)), widths_(kColumns, 30) {}

void DeviceGrid::SetRowCount(int rows) {
  if (rows < 1) rows = 1;
  if (rows == RowCount()) return;
  beginResetModel();
  cells_.resize(static_cast<size_t>(rows), std::vector<QString>(kColumns));
  endResetModel();
}

QString DeviceGrid::Cell(int column, int row) const {
  if (row < 0 || row >= RowCount() || column < 0 || column >= kColumns) return {};
  return cells_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

void DeviceGrid::SetCell(int column, int row, const QString& text) {
  if (row < 0 || row >= RowCount() || column < 0 || column >= kColumns) return;
  cells_[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
  if (row == 0)
    emit headerDataChanged(Qt::Horizontal, column, column);
  else
    emit dataChanged(index(row - 1, column), index(row - 1, column));
}

int DeviceGrid::ColumnWidth(int column) const {
  return column >= 0 && column < kColumns ? widths_[static_cast<size_t>(column)] : 0;
}

void DeviceGrid::SetColumnWidth(int column, int width) {
  if (column >= 0 && column < kColumns) widths_[static_cast<size_t>(column)] = width;
}

QStringList DeviceGrid::DumpLines() const {
  QStringList lines;
  for (int row = 1; row < RowCount(); ++row) {
    QString line;
    for (int column = 2; column <= 8; ++column)
      line += Cell(column, 0) + QLatin1Char(':') + Cell(column, row) + QStringLiteral(", ");
    lines << line;
  }
  return lines;
}

int DeviceGrid::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RowCount() - 1; }
int DeviceGrid::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant DeviceGrid::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  return Cell(index.column(), index.row() + 1);
}

QVariant DeviceGrid::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return Cell(section, 0);
  return Cell(0, section + 1);
}
