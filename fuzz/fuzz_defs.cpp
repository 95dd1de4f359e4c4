// Property: an option list written back reads back as the same items; a tree file gives
// nodes whose parents come first, one level up, with positions counted per parent; and
// the definitions' lookups answer for every section of any file.
#include "FuzzSupport.h"
#include "core/IniFile.h"
#include "params/ParTree.h"
#include "params/ParameterDefs.h"

#include <QHash>

using namespace vx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const int which = in.byte() % 3;
    const QString text = IniFile::decodeText(in.rest());

    if (which == 0) {
        const QStringList items = parseOptionList(text);
        const QString written = optionListText(items);
        FUZZ_CHECK(parseOptionList(written) == items);
        FUZZ_CHECK(optionListText(parseOptionList(written)) == written);
        FUZZ_CHECK(optionText(items, items.size()) == QLatin1String(OverflowMark));
    } else if (which == 1) {
        const ParTree tree = parseParTree(text);
        QHash<int, int> nextPosition;
        for (int i = 0; i < tree.nodes.size(); ++i) {
            const ParTreeNode& n = tree.nodes.at(i);
            FUZZ_CHECK(n.parent < i);
            FUZZ_CHECK(n.parent < 0 ? n.depth == 0 : tree.nodes.at(n.parent).depth == n.depth - 1);
            FUZZ_CHECK(n.position == nextPosition[n.parent]++);
            const MenuPosition m = menuPosition(tree, i);
            FUZZ_CHECK(m.group >= 0 && m.sub >= 0);
        }
    } else {
        const auto defs = IniFile::fromText(text);
        for (const QString& section : defs->sectionNames())
            for (int taal = -1; taal <= 5; ++taal) {
                const QStringList items = resolveOptionList(*defs, section, taal);
                if (taal < 0 || taal > 4) FUZZ_CHECK(items.isEmpty());
            }
    }
    return 0;
}
