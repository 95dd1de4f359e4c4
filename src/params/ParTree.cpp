#include "params/ParTree.h"

#include "core/AppState.h"
#include "core/IniFile.h"

#include <QFile>
#include <QFileInfo>

namespace vx {

QList<int> ParTree::children(int node) const
{
    QList<int> result;
    for (int i = 0; i < nodes.size(); ++i)
        if (nodes[i].parent == node)
            result.push_back(i);
    return result;
}

QString treeFileName(int taalIndex)
{
    switch (taalIndex) {
    case 1: return QStringLiteral("Tree1.txt");
    case 2: return QStringLiteral("Tree2.txt");
    default: return QStringLiteral("Tree0.txt");
    }
}

ParTree parseParTree(const QString& text)
{
    ParTree tree;
    tree.fileFound = true;
    QList<int> childCount{0}; // children seen per node index + 1 (slot 0: top level)
    int last = -1;            // previous node

    const QStringList lines = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n').split(u'\n');
    for (const QString& line : lines) {
        int level = 0;
        while (level < line.size() && (line[level] == u'\t' || line[level] == u' '))
            ++level;
        const QString caption = line.mid(level);
        // A stray empty line would otherwise become a nameless top-level node and
        // restart the group numbering of everything after it.
        if (caption.isEmpty())
            continue;

        int parent = -1;
        int depth = 0;
        if (last < 0) {
            // The first line is the root, whatever its indentation.
        } else if (level <= tree.nodes[last].depth) {
            // Same level or shallower: climb to the new node's parent.
            parent = tree.nodes[last].parent;
            for (int d = tree.nodes[last].depth; d > level; --d)
                parent = tree.nodes[parent].parent;
            depth = level;
        } else if (level == tree.nodes[last].depth + 1) {
            parent = last;
            depth = level;
        } else {
            tree.error = QStringLiteral("ETreeViewError error raised, with message : "
                                        "Invalid level (%1) for item \"%2\"")
                             .arg(level)
                             .arg(caption);
            return tree;
        }

        ParTreeNode node;
        node.caption = caption;
        node.depth = depth;
        node.parent = parent;
        node.position = childCount[parent + 1]++;
        tree.nodes.push_back(node);
        childCount.push_back(0);
        last = int(tree.nodes.size()) - 1;
    }
    return tree;
}

ParTree loadParTreeFile(const QString& path)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        return ParTree{};
    return parseParTree(IniFile::decodeText(f.readAll()));
}

ParTree loadParTree()
{
    return loadParTreeFile(app().ExeDir + treeFileName(app().TaalIndex));
}

MenuPosition menuPosition(int depth, int ownPosition, int parentPosition)
{
    MenuPosition m;
    if (depth == 1) {
        m.group = ownPosition + 1;
    } else if (depth == 2) {
        m.group = parentPosition + 1;
        m.sub = ownPosition + 1;
    } else if (depth > 2) {
        m.group = parentPosition + 1;
    }
    return m;
}

MenuPosition menuPosition(const ParTree& tree, int node)
{
    if (node < 0 || node >= tree.nodes.size())
        return {};
    const ParTreeNode& n = tree.nodes[node];
    const int parentPosition = n.parent >= 0 ? tree.nodes[n.parent].position : 0;
    return menuPosition(n.depth, n.position, parentPosition);
}

} // namespace vx
