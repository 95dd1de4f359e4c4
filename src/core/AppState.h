#pragma once
// Shared program state: one instance for the whole run, read and written by every window.
#include <QString>
#include <functional>
#include <memory>

namespace vx {

class IniFile;
class TSXComm;
} // namespace vx
class QWidget;
namespace vx {

struct AppState {
    QString ExeDir; // program folder, ends in '/'
    // application.ini in use: beside the program, or per user when the program
    // folder is not writable (an installed copy); empty: ExeDir + "application.ini".
    QString SettingsPath;
    bool SettingsPerUser = false;
    int TaalIndex = 0;
    std::shared_ptr<IniFile> TaalFile;
    bool TaalGeladen = false;
    std::shared_ptr<IniFile> ParameterDef;
    bool ParameterDefGeladen = false;
    std::shared_ptr<IniFile> ParamNo;
    bool ParamNoGeladen = false;
    QString OpenCloseDialoogPath;
    QString AfdrukFirma, AfdrukType, AfdrukSn;
    int GrafiekXDiv = 0;
    int GrafiekYDiv = 0;
    int GrafiekBronItem = 0;
    bool GrafiekXHulplijn = false;
    bool GrafiekYHulplijn = false;
    QString ApparaatType;
    // The connected controller's identification (rt, rx) for window titles; empty until known.
    QString ApparaatIdent;
    // Its "rt" and "rx" texts as they came (reports and the question before a write).
    QString ApparaatRt, ApparaatRx;
    int TypeInfoStap = 0;
    bool ActualAan = false;
    bool InUitAan = false;
    bool Simulating = false; // every COM port leads to the built-in simulator

    // The main window's port and unit number, reachable by every window.
    TSXComm* SXComm1 = nullptr;
    std::function<int()> unitNumber = [] { return 0; };
    std::function<void(int)> setUnitNumber = [](int) {};
    // Main window hooks other windows call (refresh of function labels, texts,
    // stopping the live polling before a modal job).
    std::function<void()> InputFunctieTeksten = [] {};
    std::function<void()> OutputFunctieTeksten = [] {};
    std::function<void()> LezenTeksten = [] {};
    std::function<void()> TekstFile_Lezen = [] {};
    std::function<void()> ParameterDef_lezen = [] {};
    // Stops live and I/O polling (the menu handlers' first step).
    std::function<void()> StopPolling = [] {};

    // The single window instances, the one way a window finds another (for "is it
    // the active window" tests and to open one another); null until created. The
    // window registry sets them at start-up and clears them when a window goes.
    QWidget* FormMain = nullptr;
    QWidget* FormApparaatZoeken = nullptr;
    QWidget* FormLeesParSoll = nullptr;
    QWidget* FormSchrijfParSoll = nullptr;
    QWidget* FormGrafiek = nullptr;
    QWidget* FormAfdrukkenPar = nullptr;
    QWidget* FormAfdrukkenSoll = nullptr;
    QWidget* FormDisplayNokken = nullptr;
    QWidget* FormInfoErrorNummers = nullptr;
};

inline constexpr const char* ProgrammaVersie = "2.04";
inline constexpr const char* ApplicationTitle = "Talvik Software Tool (RQM50)";

AppState& app();

// The settings file the program reads and writes (see AppState::SettingsPath).
QString settingsFilePath();

} // namespace vx
