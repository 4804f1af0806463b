#include "upgrade/ImageGrid.h"

#include <algorithm>

#include "app/Myfunc.h"
#include "upgrade/HexInfo.h"

ImageGrid::ImageGrid(QObject* parent) : QAbstractTableModel(parent) {}

QString ImageGrid::Cell(int column, int row) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return {};
  if (row == 0) {
    if (column == 1) return QStringLiteral("Address");
    if (column >= 2 && column < kHeaderColumns) return QString::number(column - 1);
    return {};
  }
  if (!HasAddress(row)) return {};
  if (column == 0) {
    const int n = Number(row);
    return n ? QString::number(n) : QString();
  }
  if (column == 1) return HexDigits(Address(row), 8);
  if (column - 2 < blockSize_) return HexDigits(Byte(row, column - 2), 2);
  return {};
}

void ImageGrid::Clear() {
  beginResetModel();
  blockSize_ = 0;
  address_.clear();
  number_.clear();
  nextNumbered_.clear();
  bytes_.clear();
  endResetModel();
}

void ImageGrid::SetImage(int blockSize, std::vector<std::uint32_t> addresses, std::vector<int> numbers,
                         std::vector<std::uint8_t> bytes, int rowCount, int columnCount) {
  beginResetModel();
  blockSize_ = std::max(blockSize, 0);
  address_ = std::move(addresses);
  number_ = std::move(numbers);
  number_.resize(address_.size());
  bytes_ = std::move(bytes);
  bytes_.resize(address_.size() * static_cast<size_t>(blockSize_), 0);
  nextNumbered_.assign(address_.size(), 0);
  int next = 0;
  for (size_t i = address_.size(); i-- > 0;) {
    nextNumbered_[i] = next;
    if (number_[i]) next = static_cast<int>(i) + 1;
  }
  rows_ = std::max(rowCount, 1);
  columns_ = std::max(columnCount, 0);
  endResetModel();
}

int ImageGrid::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_ - 1; }
int ImageGrid::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant ImageGrid::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  return Cell(index.column(), index.row() + 1);
}

QVariant ImageGrid::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return Cell(section, 0);
  return {};
}

int ReadProgramBlock(int row, ProgramBlock& block, const ImageGrid& grid, int blockSize, const QString& stopText) {
  // An empty address cell (or no row) ends the image; address 0 is an address.
  if (!grid.HasAddress(row)) return 1;
  block.Address = grid.Address(row);
  // The next numbered row; when only unnumbered rows follow, the stop address.
  if (const int next = grid.NextNumberedRow(row)) {
    block.NextAddress = grid.Address(next);
  } else {
    const int stop = SafeStrToInt(stopText);
    block.NextAddress = static_cast<std::uint32_t>(stop) + ((stop > 0 && stop % 2) ? 1u : 0u);
  }
  const int n = std::clamp(blockSize, 0, static_cast<int>(block.Data.size()));
  for (int i = 0; i < n; ++i) block.Data[static_cast<size_t>(i)] = grid.Byte(row, i);
  return 0;
}

int FindAddressRow(std::uint32_t address, const ImageGrid& grid) {
  for (int r = 1; r < grid.RowCount(); ++r) {
    if (!grid.HasAddress(r)) return -1;
    const std::uint32_t a = grid.Address(r);
    if (a == address) return r;
    if (a > address) return r - 1;
  }
  return -1;
}
