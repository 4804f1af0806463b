#pragma once
#include <QString>
#include <span>

#include "monitor/PollFrame.h"

class TForm_Main;

// One row of the poll order: the item and, for the AC items, the layouts
// (ShowAcMode values) in which it runs.
struct PollRow {
  int order;         // place in the pass
  PollItem item;
  bool (*runs)(const TForm_Main& f) = nullptr;  // nullptr: every pass
};

// The items of one pass in their fixed order. An item whose view is not built
// yet is simply not in the table.
std::span<const PollRow> PollOrder();

// Status panel 8 after a pass: sign convention, cos phi step and write lock.
QString OptionSummary(int reactiveSign, int cosPhiSet, int writeLock);
