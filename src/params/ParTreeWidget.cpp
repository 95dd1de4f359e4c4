#include "params/ParTreeWidget.h"

#include <QTreeWidget>

namespace vx {

void fillTreeWidget(QTreeWidget* widget, const ParTree& tree)
{
    widget->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(tree.nodes.size());
    for (const ParTreeNode& node : tree.nodes) {
        QTreeWidgetItem* item = node.parent < 0 ? new QTreeWidgetItem(widget)
                                                : new QTreeWidgetItem(items[node.parent]);
        item->setText(0, node.caption);
        items.push_back(item);
    }
}

MenuPosition menuPosition(const QTreeWidgetItem* item)
{
    if (!item)
        return {};
    int depth = 0;
    for (const QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        ++depth;
    auto positionOf = [](const QTreeWidgetItem* it) {
        if (const QTreeWidgetItem* p = it->parent())
            return p->indexOfChild(const_cast<QTreeWidgetItem*>(it));
        return it->treeWidget() ? it->treeWidget()->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(it)) : 0;
    };
    const int parentPosition = item->parent() ? positionOf(item->parent()) : 0;
    return menuPosition(depth, positionOf(item), parentPosition);
}

} // namespace vx
