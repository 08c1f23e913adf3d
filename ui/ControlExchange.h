#pragma once

class QCheckBox;
class QComboBox;

namespace tessaline {

// Moving one value between a control and its field, as the window's exchange does it.

// The selected item's index, or -1 when nothing is selected.
int readSelection(const QComboBox& list);
// Selects the item at index; an index with no item leaves the list without a selection. Never
// reports a change, so no handler runs.
void writeSelection(QComboBox& list, int index);

// 0 unchecked, 1 checked, 2 indeterminate.
int readCheck(const QCheckBox& box);
// A value outside 0..2 is written as 0.
void writeCheck(QCheckBox& box, int value);

}  // namespace tessaline
