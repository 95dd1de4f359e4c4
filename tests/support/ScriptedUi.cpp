#include "support/ScriptedUi.h"

namespace vx::test {

QMessageBox::StandardButton ScriptedUi::message(QWidget*, QMessageBox::Icon icon, const QString& caption,
                                                const QString& text, QMessageBox::StandardButtons buttons)
{
    messages.append({icon, caption, text, buttons, askedDefaultButton()});
    if (!answers.empty()) {
        const auto a = answers.front();
        answers.pop_front();
        return a;
    }
    for (auto b : {QMessageBox::Yes, QMessageBox::Ok})
        if (buttons.testFlag(b)) return b;
    return QMessageBox::NoButton;
}

QString ScriptedUi::openFileName(QWidget*, const QString& caption, const QString& dir, const QString&)
{
    dialogCaptions.append(caption);
    dialogDirs.append(dir);
    if (fileNames.empty()) return QString();
    const QString f = fileNames.front();
    fileNames.pop_front();
    return f;
}

QString ScriptedUi::saveFileName(QWidget* w, const QString& caption, const QString& dir, const QString& filter,
                                 const QString&)
{
    return openFileName(w, caption, dir, filter);
}

bool ScriptedUi::print(QWidget*, QPrinter&)
{
    ++printCalls;
    return printAccepted;
}

ScriptedUi* ScriptedUi::install()
{
    auto seams = std::make_unique<ScriptedUi>();
    ScriptedUi* raw = seams.get();
    setUiSeams(std::move(seams));
    return raw;
}

} // namespace vx::test
