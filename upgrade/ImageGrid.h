#pragma once
#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// The loaded image as the firmware page shows it: row 0 is the header
// ("Address", then 1 to 256), each further row one program block with its
// number (empty when its erase unit holds only FF), its address as 8 hex
// digits and its data bytes as 2 hex digits each. The rows live here as
// numbers; cell texts are made only when asked for. As a table model its
// rows are the image rows (grid row r is model row r - 1) and the header row
// is the horizontal header.
class ImageGrid : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kHeaderColumns = 258;  // empty, "Address", 1 to 256

  explicit ImageGrid(QObject* parent = nullptr);

  // Grid size as the loaders set it (header row included).
  int RowCount() const { return rows_; }
  int ColumnCount() const { return columns_; }
  // Rows that hold a block; rows after them are empty.
  int ImageRows() const { return static_cast<int>(address_.size()); }
  int BlockSize() const { return blockSize_; }

  // Cell text at (column, row) of the grid, header row included; empty
  // outside the grid.
  QString Cell(int column, int row) const;

  // Image row access for grid rows 1 to ImageRows().
  bool HasAddress(int row) const { return row >= 1 && row <= ImageRows(); }
  std::uint32_t Address(int row) const { return HasAddress(row) ? address_[static_cast<size_t>(row - 1)] : 0; }
  // The row's number, 0 when the number cell is empty.
  int Number(int row) const { return HasAddress(row) ? number_[static_cast<size_t>(row - 1)] : 0; }
  // Data byte i of a row, 0 outside the row's block.
  std::uint8_t Byte(int row, int i) const {
    return HasAddress(row) && i >= 0 && i < blockSize_ ? bytes_[static_cast<size_t>(row - 1) * static_cast<size_t>(blockSize_) + static_cast<size_t>(i)] : 0;
  }
  // The first row after `row` that has a number, 0 when none does.
  int NextNumberedRow(int row) const { return HasAddress(row) ? nextNumbered_[static_cast<size_t>(row - 1)] : 0; }
  // Where a stream that leaves out the rows without a number begins: the
  // first row with one, or the row after the last when none has one (an
  // image the bank's erasing already holds).
  int FirstNumberedRow() const {
    if (!HasAddress(1) || Number(1)) return 1;
    const int next = NextNumberedRow(1);
    return next ? next : ImageRows() + 1;
  }
  const std::uint8_t* RowData(int row) const {
    return HasAddress(row) ? bytes_.data() + static_cast<size_t>(row - 1) * static_cast<size_t>(blockSize_) : nullptr;
  }

  // Empties every cell and keeps the grid's size (the page clearing).
  void Clear();
  // Takes a new image: one address and number per row, blockSize bytes per
  // row in bytes; the grid gets rowCount rows and columnCount columns.
  void SetImage(int blockSize, std::vector<std::uint32_t> addresses, std::vector<int> numbers,
                std::vector<std::uint8_t> bytes, int rowCount, int columnCount);

  // QAbstractTableModel
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  int rows_ = 2;      // the grid's size before the first image
  int columns_ = 34;
  int blockSize_ = 0;
  std::vector<std::uint32_t> address_;
  std::vector<int> number_;
  std::vector<int> nextNumbered_;  // kept with the rows: a long erased stretch is walked once, not per block
  std::vector<std::uint8_t> bytes_;
};

// One block read back from the grid.
struct ProgramBlock {
  std::uint32_t Address = 0;
  std::uint32_t NextAddress = 0;
  std::array<std::uint8_t, 256> Data{};
};

// Fills block from grid row `row`. Returns 1 when the row holds no address
// (past the last image row: the end of the image), else 0. NextAddress is
// the address of the next row that has a number; after the last one it is
// the stop text's value, plus 1 when positive and odd.
int ReadProgramBlock(int row, ProgramBlock& block, const ImageGrid& grid, int blockSize, const QString& stopText);

// The grid row holding address, the row before the first row with a greater
// address (0 when that is row 1), or -1 when the image rows run out.
int FindAddressRow(std::uint32_t address, const ImageGrid& grid);
