// Reading and writing application.ini for the main window.
#include "app/VX40Main.h"

#include "comm/SXComm.h"
#include "comm/TrafficLogFile.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "core/SettingsFile.h"
#include "device/ControllerLine.h"
#include "params/SafetyBackup.h"
#include "params/SchrijfParSoll.h"

#include <QSpinBox>

namespace vx {

namespace {
QString settingsPath() { return settingsFilePath(); }
const QString kSerieel = QStringLiteral("Serieel");
} // namespace

void TFormMain::Configfile_lezen()
{
    SettingsFile ini;
    if (!ini.load(settingsPath())) return; // first start: design settings stay
    AppState& s = app();

    readPortSettings(ini);

    SpinEditUnitSelect->setValue(ini.readInteger(kSerieel, QStringLiteral("unit_no"), 0));
    // Without a Taal key (site settings) the language chosen before reading stays.
    s.TaalIndex = ini.readInteger(QStringLiteral("Opties"), QStringLiteral("Taal"), s.TaalIndex);
    AutomatischVerbinden = ini.readBool(QStringLiteral("Opties"), QStringLiteral("AutomatischVerbinden"), true);
    setFastReplies(ini.readBool(QStringLiteral("Opties"), QStringLiteral("SnelleAntwoorden"), false), m_port);
    setTrafficLogging(ini.readBool(QStringLiteral("Opties"), QStringLiteral("LogVerkeer"), false), m_port,
                      paths::userDataDir() + QStringLiteral("/logs"));
    safety::setBackupsOn(ini.readBool(QStringLiteral("Opties"), QStringLiteral("Veiligheidsbackup"), safety::backupsOn()));
    safety::setVerifyOn(ini.readBool(QStringLiteral("Opties"), QStringLiteral("Verifieren"), safety::verifyOn()));
    setWriteQuestionOn(ini.readBool(QStringLiteral("Opties"), QStringLiteral("VragenVoorSchrijven"), writeQuestionOn()));
    setWriteEveryValueOn(ini.readBool(QStringLiteral("Opties"), QStringLiteral("AllesSchrijven"), writeEveryValueOn()));
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
    ini.load(settingsPath()); // keep what the user or other tools put there
    AppState& s = app();

    writePortSettings(ini);

    ini.writeInteger(kSerieel, QStringLiteral("unit_no"), SpinEditUnitSelect->value());
    ini.writeInteger(QStringLiteral("Opties"), QStringLiteral("Taal"), s.TaalIndex);
    ini.writeBool(QStringLiteral("Opties"), QStringLiteral("AutomatischVerbinden"), AutomatischVerbinden);
    ini.writeBool(QStringLiteral("Opties"), QStringLiteral("SnelleAntwoorden"), fastReplies());
    ini.writeBool(QStringLiteral("Opties"), QStringLiteral("LogVerkeer"), trafficLogging());
    ini.writeBool(QStringLiteral("Opties"), QStringLiteral("Veiligheidsbackup"), safety::backupsOn());
    ini.writeBool(QStringLiteral("Opties"), QStringLiteral("Verifieren"), safety::verifyOn());
    ini.writeBool(QStringLiteral("Opties"), QStringLiteral("VragenVoorSchrijven"), writeQuestionOn());
    ini.writeBool(QStringLiteral("Opties"), QStringLiteral("AllesSchrijven"), writeEveryValueOn());
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

void TFormMain::readPortSettings(const SettingsFile& ini)
{
    // The setters adjust one another, so the order is part of the meaning; each
    // gets the low eight bits and clamps what its enumeration does not know.
    TSXComm& p = *m_port;
    auto low8 = [&](const char* key, int def) { return ini.readInteger(kSerieel, QLatin1String(key), def) & 0xFF; };
    p.setBaudrateIndex(low8("baudrate", 6));
    p.setFrameDatabitsIndex(low8("databit", 1));
    p.setFrameParitybitIndex(low8("parity", 1));
    p.setFrameStopbitsIndex(low8("stopbit", 0));
    p.setHardwareIndex(low8("hardware", 2));
    p.setPortAddressIndex(low8("portaddr", 3));
    p.setPortNameIndex(low8("portname", 0));
    p.setPortTypeIndex(low8("porttype", 0));
    p.setReceiveDriverIndex(low8("receivedrv", 0));
    p.setTransmitDriverIndex(low8("transmitdrv", 3));

    // Where each COM name leads on this machine (e.g. COM1=/dev/ttyUSB0).
    for (int n = 1; n <= 16; ++n) {
        const QString path = ini.readString(QStringLiteral("Poorten"), QStringLiteral("COM%1").arg(n), QString());
        if (!path.isEmpty() && !app().Simulating) setPortDevicePath(n, path.toStdString());
    }
}

void TFormMain::writePortSettings(SettingsFile& ini)
{
    const TSXComm& p = *m_port;
    ini.writeInteger(kSerieel, QStringLiteral("baudrate"), int(p.Baudrate()));
    ini.writeInteger(kSerieel, QStringLiteral("databit"), int(p.FrameDatabits()));
    ini.writeInteger(kSerieel, QStringLiteral("parity"), int(p.FrameParitybit()));
    ini.writeInteger(kSerieel, QStringLiteral("stopbit"), int(p.FrameStopbits()));
    ini.writeInteger(kSerieel, QStringLiteral("hardware"), int(p.Hardware()));
    ini.writeInteger(kSerieel, QStringLiteral("portaddr"), int(p.PortAddress()));
    ini.writeInteger(kSerieel, QStringLiteral("portname"), int(p.PortName()));
    ini.writeInteger(kSerieel, QStringLiteral("porttype"), int(p.PortType()));
    ini.writeInteger(kSerieel, QStringLiteral("receivedrv"), int(p.ReceiveDriver()));
    ini.writeInteger(kSerieel, QStringLiteral("transmitdrv"), int(p.TransmitDriver()));
}

} // namespace vx
