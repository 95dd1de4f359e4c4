#include "core/AppState.h"

namespace vx {

AppState& app()
{
    static AppState state;
    return state;
}

QString settingsFilePath()
{
    const AppState& s = app();
    return s.SettingsPath.isEmpty() ? s.ExeDir + QStringLiteral("application.ini") : s.SettingsPath;
}

} // namespace vx
