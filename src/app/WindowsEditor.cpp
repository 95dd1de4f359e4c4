// The parameter editor with its service dialog and loader.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "params/EditParam.h"
#include "params/ParLoader.h"
#include "params/ParamService.h"

#include <QPointer>

namespace vx {

namespace {

// The editor is created first; the two dialogs it opens are created later in the
// design's order and handed to it.
QPointer<TFormEditParam>& editor()
{
    static QPointer<TFormEditParam> e;
    return e;
}

const WindowRegistration regEditParam(WindowOrder::EditParam, [](TFormMain& main) {
    auto* w = new TFormEditParam(&main);
    editor() = w;
    main.setWindowOpener(QStringLiteral("Par11"), [w] { w->exec(); });
    main.addCloseGuard([w] { return w->VraagOnbewaard(); });
});

const WindowRegistration regParamService(WindowOrder::ParamService, [](TFormMain& main) {
    auto* w = new TFormParamService(&main);
    if (editor())
        editor()->setServiceDialog(w);
});

const WindowRegistration regParLoader(WindowOrder::ParLoader, [](TFormMain& main) {
    auto* w = new TFormParLoader(&main);
    if (editor())
        editor()->setLoader(w);
});

} // namespace

} // namespace vx
