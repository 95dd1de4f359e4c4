#pragma once
// The parameter editor's menu tree: Tree0.txt .. Tree2.txt, one node per line,
// indented by tabs (spaces count too, one level each). Plain structures, so the
// editor and the printed report can both use them; ParTreeWidget fills a QTreeWidget.
#include <QList>
#include <QString>

namespace vx {

struct ParTreeNode {
    QString caption;  // the line without its indentation
    int depth = 0;    // 0 top level, 1 group, 2 sub-menu, ...
    int parent = -1;  // index into ParTree::nodes, -1 for top level
    int position = 0; // position among its siblings, from 0
};

struct ParTree {
    QList<ParTreeNode> nodes; // file order, so a parent always comes before its children
    bool fileFound = false;
    // Empty when the whole file was read. Otherwise the message to show; nodes then
    // holds the lines before the bad one.
    QString error;

    QList<int> children(int node) const; // node -1 gives the top-level nodes
};

struct MenuPosition {
    int group = 0;
    int sub = 0;
    int number() const { return 100 * group + sub; }
};

// "Tree0.txt" for 0, "Tree1.txt", "Tree2.txt"; any other index "Tree0.txt".
QString treeFileName(int taalIndex);

// Builds the tree from text. Empty lines are skipped.
ParTree parseParTree(const QString& text);
// Reads a tree file; fileFound false (and no nodes) when it does not exist.
ParTree loadParTreeFile(const QString& path);
// ExeDir + treeFileName(TaalIndex); no fall-back to another language.
ParTree loadParTree();

// Menu number rule: depth 1 -> (own position + 1, 0); depth 2 -> (parent position + 1,
// own position + 1); deeper -> (parent position + 1, 0); top level -> (0, 0).
MenuPosition menuPosition(int depth, int ownPosition, int parentPosition);
MenuPosition menuPosition(const ParTree& tree, int node);

} // namespace vx
