#include "app/LogViews.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCharFormat>

#include <vector>

#include "platform/ValueLabel.h"

namespace {

QString Line(const LogView& view, int n) { return view.document()->findBlockByNumber(n).text(); }

QRgb LineColor(const LogView& view, int n) {
  const QTextBlock block = view.document()->findBlockByNumber(n);
  return block.begin().fragment().charFormat().foreground().color().rgba();
}

TEST(AppendTrafficLog, ClearsAbove5000Lines) {
  LogView view;
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(AppendTrafficLog(&view, QString("Tx: %1").arg(i)), 0);
  EXPECT_EQ(view.LineCount(), 5000);
  EXPECT_EQ(AppendTrafficLog(&view, "Rx: 5000"), 0);
  EXPECT_EQ(view.LineCount(), 5001);  // 5,000 is not yet more than 5,000
  EXPECT_EQ(Line(view, 5000), "Rx: 5000");
  EXPECT_EQ(AppendTrafficLog(&view, "Tx: newest"), 0);
  EXPECT_EQ(view.LineCount(), 1);
  EXPECT_EQ(Line(view, 0), "Tx: newest");
}

TEST(AppendTrafficLog, ScrollsOnlyOnceEventsRun) {
  LogView view;
  view.resize(300, 120);
  view.show();
  for (int i = 0; i < 200; ++i) AppendTrafficLog(&view, QString("line %1").arg(i));
  QCoreApplication::processEvents();
  QScrollBar* bar = view.verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());

  bar->setValue(0);  // the user scrolled up
  AppendTrafficLog(&view, "Rx: 01 03");
  EXPECT_EQ(bar->value(), 0);  // no events processed inside the append
  QCoreApplication::processEvents();
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_EQ(Line(view, view.LineCount() - 1), "Rx: 01 03");
}

TEST(AppendTrafficLog, NoViewIsAFailure) { EXPECT_EQ(AppendTrafficLog(nullptr, "x"), 1); }

TEST(AppendRichLine, ShowsTheLineAtOnce) {
  LogView view;
  view.resize(300, 120);
  view.show();
  for (int i = 0; i < 100; ++i) AppendTrafficLog(&view, "filler");
  QCoreApplication::processEvents();
  view.verticalScrollBar()->setValue(0);

  bool handlerRan = false;
  QObject ctx;
  QMetaObject::invokeMethod(&ctx, [&] { handlerRan = true; }, Qt::QueuedConnection);
  EXPECT_EQ(AppendRichLine(&view, "Erase bank 1"), 0);
  EXPECT_TRUE(handlerRan);  // pending events were processed
  EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
  EXPECT_EQ(Line(view, 100), "Erase bank 1");
}

TEST(AppendRichLineRed, RedLineThenThePreviousColour) {
  LogView view;
  QTextCharFormat blue;
  blue.setForeground(QColor::fromRgb(clBlue));
  view.setCurrentCharFormat(blue);

  EXPECT_EQ(AppendRichLine(&view, "before"), 0);
  EXPECT_EQ(AppendRichLineRed(&view, "Checksum Error"), 0);
  EXPECT_EQ(AppendRichLine(&view, "after"), 0);
  ASSERT_EQ(view.LineCount(), 3);
  EXPECT_EQ(Line(view, 1), "Checksum Error");
  EXPECT_EQ(LineColor(view, 0), clBlue);
  EXPECT_EQ(LineColor(view, 1), clRed);
  EXPECT_EQ(LineColor(view, 2), clBlue);
  EXPECT_EQ(view.currentCharFormat().foreground().color().rgba(), clBlue);
}

TEST(LogRxBytes, HexLineUpTo4096Bytes) {
  LogView view;
  const std::uint8_t two[] = {0x01, 0xA5};
  EXPECT_EQ(LogRxBytes(&view, two, 2), 0);
  EXPECT_EQ(Line(view, 0), "   Rx: 01 A5 ");
  EXPECT_EQ(LogRxBytes(&view, two, 0), 0);
  EXPECT_EQ(Line(view, 1), "   Rx: ");

  std::vector<std::uint8_t> bytes(4097);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(LogRxBytes(&view, bytes.data(), 4096), 0);
  ASSERT_EQ(view.LineCount(), 3);
  const QString big = Line(view, 2);
  EXPECT_EQ(big.size(), 7 + 3 * 4096);
  EXPECT_TRUE(big.startsWith("   Rx: 00 01 02 "));
  EXPECT_TRUE(big.endsWith(" FE FF "));

  EXPECT_EQ(LogRxBytes(&view, bytes.data(), 4097), 1);
  EXPECT_EQ(LogRxBytes(&view, bytes.data(), -1), 1);
  EXPECT_EQ(view.LineCount(), 3);  // refused dumps leave the view unchanged
}

TEST(LogTxBytes, WritesNothing) {
  LogView view;
  const std::uint8_t frame[] = {0x01, 0x03};
  EXPECT_EQ(LogTxBytes(&view, frame, 2), 0);
  EXPECT_EQ(view.LineCount(), 0);
}

// A string grid with its header in row 0: cell (column, row).
void SetCell(QTableWidget& grid, int column, int row, const QString& text) {
  grid.setItem(row, column, new QTableWidgetItem(text));
}

TEST(FindGridRow, FirstExactMatchFromRowOne) {
  QTableWidget grid(10, 3);
  SetCell(grid, 0, 0, "Voltage");  // header, never compared
  for (int row = 1; row < 10; ++row) SetCell(grid, 0, row, QString("Label %1").arg(row));
  SetCell(grid, 0, 3, "Countdown");
  SetCell(grid, 0, 7, "Countdown");

  EXPECT_EQ(FindGridRow("Countdown", &grid), 3);
  EXPECT_EQ(FindGridRow("Label 9", &grid), 9);
  EXPECT_EQ(FindGridRow("Voltage", &grid), 0);
  EXPECT_EQ(FindGridRow("countdown", &grid), 0);   // case matters
  EXPECT_EQ(FindGridRow("Countdown ", &grid), 0);  // so does a trailing blank
  EXPECT_EQ(FindGridRow("Missing", &grid), 0);

  QTableWidget headerOnly(1, 3);
  SetCell(headerOnly, 0, 0, "Countdown");
  EXPECT_EQ(FindGridRow("Countdown", &headerOnly), 0);
  EXPECT_EQ(FindGridRow("Countdown", nullptr), 0);
}

TEST(DumpGridToLog, OneLinePerRowFromColumns2To8) {
  QTableWidget grid(3, 9);
  for (int column = 0; column < 9; ++column) {
    SetCell(grid, column, 0, QString("H%1").arg(column));
    for (int row = 1; row < 3; ++row) SetCell(grid, column, row, QString("%1%2").arg(QChar('a' + column)).arg(row));
  }
  LogView view;
  EXPECT_EQ(DumpGridToLog(&grid, &view), 0);
  ASSERT_EQ(view.LineCount(), 2);
  EXPECT_EQ(Line(view, 0), "H2:c1, H3:d1, H4:e1, H5:f1, H6:g1, H7:h1, H8:i1, ");
  EXPECT_EQ(Line(view, 1), "H2:c2, H3:d2, H4:e2, H5:f2, H6:g2, H7:h2, H8:i2, ");
}

TEST(DumpGridToLog, HeaderOnlyWritesNothingAndNarrowGridsAreSafe) {
  LogView view;
  QTableWidget headerOnly(1, 9);
  EXPECT_EQ(DumpGridToLog(&headerOnly, &view), 0);
  EXPECT_EQ(view.LineCount(), 0);

  QTableWidget narrow(2, 4);  // columns 4 to 8 do not exist: empty texts
  SetCell(narrow, 2, 0, "ID");
  SetCell(narrow, 2, 1, "5");
  EXPECT_EQ(DumpGridToLog(&narrow, &view), 0);
  ASSERT_EQ(view.LineCount(), 1);
  EXPECT_EQ(Line(view, 0), "ID:5, :, :, :, :, :, :, ");
}

}  // namespace
