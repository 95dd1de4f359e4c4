#pragma once
// Bridges the menu tree to a QTreeWidget (parameter editor).
#include "params/ParTree.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace vx {

// Replaces the widget's items with the nodes of tree, captions in column 0.
void fillTreeWidget(QTreeWidget* widget, const ParTree& tree);

// Menu position of a widget item, by the same rule as menuPosition(ParTree, node).
MenuPosition menuPosition(const QTreeWidgetItem* item);

} // namespace vx
