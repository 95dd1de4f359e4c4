// Reading and writing application.ini for the main window.
#include "app/VX40Main.h"

#include "app/core/AppState.h"
#include "app/core/SettingsFile.h"

#include <QSpinBox>

namespace vx {

namespace {
QString settingsPath() { return app().ExeDir + QStringLiteral("application.ini"); }
const QString kSerieel = QStringLiteral("Serieel");
} // namespace

void TFormMain::Configfile_lezen()
{
    SettingsFile ini;
    if (!ini.load(settingsPath())) return;  // first start: design settings stay
    AppState& s = app();

    readPortSettings(ini);

    SpinEditUnitSelect->setValue(ini.readInteger(kSerieel, QStringLiteral("unit_no"), 0));
    s.TaalIndex = ini.readInteger(QStringLiteral("Opties"), QStringLiteral("Taal"), 0);
    s.OpenCloseDialoogPath = ini.readString(QStringLiteral("Algemeen"), QStringLiteral("OpenCloseDialoogPath"), QString());
    s.AfdrukFirma = ini.readString(QStringLiteral("Afdrukken"), QStringLiteral("Firma"), QString());
    s.AfdrukType = ini.readString(QStringLiteral("Afdrukken"), QStringLiteral("Type"), QString());
    s.AfdrukSn = ini.readString(QStringLiteral("Afdrukken"), QStringLiteral("Sn"), QString());
    const QString g = QStringLiteral("Grafiek");
    s.GrafiekXDiv = ini.readInteger(g, QStringLiteral("X_Div"), 0);
    s.GrafiekYDiv = ini.readInteger(g, QStringLiteral("Y_Div"), 0);
    s.GrafiekBronItem = ini.readInteger(g, QStringLiteral("BronItem"), 0);
    s.GrafiekXHulplijn = ini.readBool(g, QStringLiteral("X_hulplijn"), false);
    s.GrafiekYHulplijn = ini.readBool(g, QStringLiteral("Y_hulplijn"), false);
}

bool TFormMain::ProgrammaInstellingen_opslaan()
{
    SettingsFile ini;
    ini.load(settingsPath());  // keep what the user or other tools put there
    AppState& s = app();

    writePortSettings(ini);

    ini.writeInteger(kSerieel, QStringLiteral("unit_no"), SpinEditUnitSelect->value());
    ini.writeInteger(QStringLiteral("Opties"), QStringLiteral("Taal"), s.TaalIndex);
    ini.writeString(QStringLiteral("Algemeen"), QStringLiteral("OpenCloseDialoogPath"), s.OpenCloseDialoogPath);
    ini.writeString(QStringLiteral("Afdrukken"), QStringLiteral("Firma"), s.AfdrukFirma);
    ini.writeString(QStringLiteral("Afdrukken"), QStringLiteral("Type"), s.AfdrukType);
    ini.writeString(QStringLiteral("Afdrukken"), QStringLiteral("Sn"), s.AfdrukSn);
    const QString g = QStringLiteral("Grafiek");
    ini.writeInteger(g, QStringLiteral("X_Div"), s.GrafiekXDiv);
    ini.writeInteger(g, QStringLiteral("Y_Div"), s.GrafiekYDiv);
    ini.writeInteger(g, QStringLiteral("BronItem"), s.GrafiekBronItem);
    ini.writeBool(g, QStringLiteral("X_hulplijn"), s.GrafiekXHulplijn);
    ini.writeBool(g, QStringLiteral("Y_hulplijn"), s.GrafiekYHulplijn);

    if (!ini.save(settingsPath())) {
        m_saveError = ini.errorString();
        return false;
    }
    m_saveError.clear();
    return true;
}

void TFormMain::readPortSettings(const SettingsFile& ini) {}
void TFormMain::writePortSettings(SettingsFile& ini) {}

} // namespace vx
