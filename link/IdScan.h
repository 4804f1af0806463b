#pragma once
#include <QString>

struct InverterListRec;

// Compacts the per-ID scan tables into the inverter list: every ID 1..254
// whose presence entry is the ID itself, in ascending order, with its speed
// index. Both tables have entries for IDs 0..255. Returns 0.
int CollectPresentIds(InverterListRec& list, const int* presence, const int* speeds);

// The tree text of an inverter: "ID:" and the ID in three digits ("ID:005").
QString InverterNodeText(int id);

// Image indexes of the tree's nodes (kept in the node's data under this role).
enum TreeImage { TreeImageRoot = 0, TreeImageInverter = 1, TreeImageCurrent = 2 };
inline constexpr int kTreeImageRole = 0x0100 + 7;  // Qt::UserRole + 7
