#include "core/LanguageTexts.h"

namespace vx {

namespace {

constexpr LangText kMain[] = {
    {"GroepIngangen", "Ingangen"},
    {"GroepUitgangen", "Uitgangen"},
    {"GroepActual", "Actual"},
    {"LabelActualPositie", "Positie:"},
    {"LabelActualSnelheid", "Snelheid:"},
    {"LabelActualSpanning", "Spanning:"},
    {"LabelActualStroom", "Stroom:"},
    {"LabelPosVerschil", "Pos verschil:"},
    {"CmdIO_ON", "I/O ON"},
    {"CmdIO_OFF", "I/O OFF"},
    {"CmdActual_ON", "Actual ON"},
    {"CmdActual_OFF", "Actual OFF"},
    {"CmdComOpen", "Open"},
    {"CmdComClose", "Close"},
    {"CmdTerminalZenden", "Zenden"},
    {"CmdResetError", "Res error"},
    {"PanelTekst0", "tekst 0"},
    {"PanelTekst1", "tekst 1"},
    {"menuBestand", "Bestand"},
    {"subAfsluiten", "Afsluiten"},
    {"menuEdit", "Edit"},
    {"subParameters", "Parameters"},
    {"subSollwerten", "Sollwerten"},
    {"menuInstellingen", "Instellingen"},
    {"subInitCom", "Init serieel"},
    {"subOpties", "Opties"},
    {"menuCommunicatie", "Communicatie"},
    {"subParSoll", "Parameters + Sollwerten ontvangen"},
    {"subBackup", "Backup"},
    {"subRestore", "Restore"},
    {"subZoeken", "App... zoeken"},
    {"menuVenster", "Venster"},
    {"subNokkenInfo", "Nok info"},
    {"subGrafiek", "Grafiek"},
    {"menuHelp", "Help"},
    {"subInfo", "Info"},
    {"subErrorNummers", "Error nummers"},
    {"K0_RefFijn", "Ref fijn"},
    {"K0_SSIJustage", "SSI Justage"},
    {"K0_Inactief", "Inactief"},
    {"Msg_waarschuwingCaption", ""},
    {"Msg_Melding_Geen_VX50", ""},
    {"PanelTekstVerloren", "Verbinding verloren: %1 (%2) is verdwenen"},
    {"StatusVerloren", "Verloren"},
    {"Msg_AndereBesturing", "Een andere besturing antwoordt: %1 (was %2). Verder met deze besturing?"},
    {"SnelleAntwoordenUit", "Snelle antwoorden uitgeschakeld: de lijn gaf herhaald storingen"},
};

constexpr LangText kOpties[] = {
    {"Caption", "Instellingem"},
    {"RegAlgemeen", "Algemeen"},
    {"TaalLabel", "Error"},
    {"TaalItems", "\"NE\",\"EN\",\"D\""},
    {"CmdOK", "OK"},
    {"CmdCancel", "Cancel"},
    {"AutoVerbinden", "Automatisch opnieuw verbinden"},
    {"SnelleAntwoorden", "Snelle antwoorden"},
    {"SnelleAntwoordenHint", "Antwoord eindigt bij het regeleinde in plaats van na 50 ms stilte"},
};

constexpr LangText kAbout[] = {
    {"Caption", "Info"},
    {"Handelsmerk", "Handelsmerk"},
    {"SoftwareVersie", "Software versie:"},
    {"Instellingen", "Instellingen:"},
};

constexpr LangText kHelpErrorNummers[] = {
    {"Caption", "Error nummers"},
};

constexpr LangText kInitCom[] = {
    {"Caption", "Seriele poort"},
    {"RegInterface", "Interface"},
    {"RegExtended", "Extended"},
    {"CmdOK", "OK"},
    {"CmdCancel", "Cancel"},
    {"PortLabel", "Poort"},
    {"PortItems", ""},
    {"IOLabel", "IO"},
    {"IOItems", ""},
    {"BaudLabel", "Baud"},
    {"BaudItems", ""},
    {"DatabitLabel", "Bits"},
    {"DataBitItems", ""},
    {"ParityLabel", "Parity"},
    {"ParityItems", ""},
    {"StopbitLabel", "stopbits"},
    {"StopbitItems", ""},
    {"HardwareLabel", "hardware"},
    {"HardwareItems", ""},
    {"PortTypeLabel", "Poorttype"},
    {"PortTypeItems", ""},
    {"ReceiverLabel", "Receiver"},
    {"ReceiverItems", ""},
    {"TransmitterLabel", "Transmitter"},
    {"TransmitterItems", ""},
    {"DeviceLabel", "Apparaat"},
    {"NotPresent", "niet aanwezig"},
};

constexpr LangText kAparaatZoeken[] = {
    {"Caption", "Zoeken..."},
    {"CmdOK", "OK"},
    {"CmdVerder", "Verder"},
    {"CmdStart", "Start"},
    {"CmdStop", "Stop"},
    {"CmdCancel", "Cancel"},
    {"LabelStartenMet", "Start met:"},
    {"KolomTekst0", "tekst 0"},
    {"KolomTekst1", "tekst 1"},
    {"KolomTekst2", "tekst 2"},
    {"KolomTekst3", "tekst 3"},
    {"KolomTekst4", "tekst 4"},
    {"GroepParity", "Parity"},
    {"GroepStopBits", "Stopbits"},
    {"RadioAlsCom", "COM"},
    {"RadioAutoSelect", "auto"},
    {"PanelTekst0", "Zoeken.."},
    {"PanelTekst1", "Gestopt!"},
    {"PanelTekst2", "beeindigd!"},
    {"PanelTekst3", "Apparaat gevonden!"},
};

constexpr LangText kLeesParSoll[] = {
    {"CaptionMode0", "Lees Param"},
    {"CaptionMode1", "Lees Sollw"},
    {"CaptionMode2", "Lees Param en sollw"},
    {"CaptionMode3", "Lees Apparaat"},
    {"CmdOK", "OK"},
    {"CmdAgain", "Again"},
    {"CmdCancel", "Cancel"},
    {"PanelTekst0", "tekst 0"},
    {"PanelTekst1", "tekst 1"},
    {"PanelTekst2", "tekst 2"},
    {"PanelTekst3", "tekst 3"},
    {"PanelTekst4", "tekst 4"},
    {"PanelTekst5", "tekst 5"},
    {"PanelTekst6", "tekst 6"},
    {"PanelTekst7", "tekst 7"},
    {"CmdVerder", "Continue"},
};

constexpr LangText kSchrijfParSoll[] = {
    {"CaptionMode0", "Schrijf Param"},
    {"CaptionMode1", "Schrijf Sollw"},
    {"CaptionMode2", "Schrijf Param en sollw"},
    {"CaptionMode3", "Schrijf Apparaat"},
    {"CmdOK", "OK"},
    {"CmdAgain", "Again"},
    {"CmdCancel", "Cancel"},
    {"PanelTekst0", "tekst 0"},
    {"PanelTekst1", "tekst 1"},
    {"PanelTekst2", "tekst 2"},
    {"PanelTekst3", "tekst 3"},
    {"PanelTekst4", "tekst 4"},
    {"PanelTekst5", "tekst 5"},
    {"PanelTekst6", "tekst 6"},
    {"PanelTekst7", "tekst 7"},
    {"PanelTekst8", "tekst 8"},
    {"PanelTekst9", "tekst 9"},
    {"PanelTekst10", "tekst 10"},
    {"PanelTekst11", "tekst 11"},
    {"StopCaption", "Write interrupted"},
    {"StopParameters", "parameters %1 to %2"},
    {"StopSetpoints", "setpoints %1 to %2"},
    {"StopNone", "none"},
    {"StopAnd", "and"},
    {"StopConfirmed", "The controller confirmed %1 values: %2."},
    {"StopBpUnconfirmed", "\"bp\" was sent but is unconfirmed: the derived parameters may not be computed."},
    {"StopParameter", "Parameter %1"},
    {"StopSetpoint", "Setpoint %1"},
    {"StopRefused", "%1 was refused by the controller."},
    {"StopUnconfirmed", "%1 was sent but is unconfirmed."},
    {"StopMixed", "The controller now holds a mixed set of old and new values."},
    {"StopNoBp", "\"bp\" was not sent: the controller did not load the new parameters."},
    {"CmdVerder", "Continue"},
};

constexpr LangText kAntwoord[] = {
    {"TooLong", ""},
    {"Cut", ""},
    {"ForeignLetters", ""},
    {"ForeignArguments", ""},
    {"NotANumber", ""},
    {"Unprintable", ""},
};

constexpr LangText kEditParam[] = {
    {"Caption", "Edit param"},
    {"KolomTekst0", "tekst 0"},
    {"KolomTekst1", "tekst 1"},
    {"KolomTekst2", "tekst 2"},
    {"KolomTekst3", "tekst 3"},
    {"KolomTekst4", "tekst 4"},
    {"min", "min"},
    {"max", "max"},
    {"default", "default"},
    {"CmdClear", "Wissen"},
    {"menuBestand", "Bestand"},
    {"subOpenen", "Openen"},
    {"subOpslaanAls", "Opslaan als..."},
    {"subLaadDefault", "Laad default"},
    {"subAfdrukken", "Afdrukken"},
    {"subAfsluiten", "Afsluiten"},
    {"menuZendenOntvangen", "Zenden & ontvangen"},
    {"subParOntvangen", "Par ontvangen"},
    {"subParZenden", "Par zenden"},
    {"subLoader", "Loader"},
    {"menuVenster", "Venster"},
    {"subNokkenInfo", "Nokken info"},
    {"menuHelp", "Help"},
    {"subErrorNummers", "Error info"},
    {"Msg_ErrorCaption", ""},
    {"msg_ErrorSetDefaultPar", ""},
    {"Msg_InfoCaption", ""},
    {"msg_DefaultParGeladen", ""},
    {"ZendMsg_1", ""},
    {"ZendMsg_2", ""},
    {"ZendMsg_3", ""},
    {"ZendMsg_4", ""},
    {"ZendMsg_5", ""},
    {"ZendMsg_6", ""},
    {"Msg_waarschuwingCaption", ""},
    {"Msg_ParGezondenEnNietGeladen", ""},
    {"SaveCaption", ""},
    {"OpenCaption", ""},
    {"OpenFilter", "ASCII Parameterbestand (*.app)|*.app"},
    {"OpenMsg1", ""},
    {"OpenMsg2", ""},
    {"OpenMsg3", ""},
    {"OpenMsg4", ""},
    {"SaveMsg1", "The file could not be saved."},
};

constexpr LangText kParamService[] = {
    {"LabelMin", "min"},
    {"LabelMax", "max"},
    {"LabelDefault", "default"},
    {"LabelParData", "default"},
    {"CmdOK", "OK"},
    {"CmdDefault", "Default"},
    {"CmdZenden", "Zenden"},
    {"CmdCancel", "annuleren"},
    {"PanelTekst0", "tekst 0"},
    {"PanelTekst1", "tekst 1"},
    {"PanelTekst2", "tekst 2"},
    {"PanelTekst3", "tekst 3"},
    {"PanelTekst4", "tekst 4"},
    {"PanelTekst5", "tekst 5"},
    {"PanelTekst6", "tekst 6"},
    {"PanelTekst7", "tekst 7"},
    {"PanelTekst8", "tekst 8"},
    {"PanelTekst9", "tekst 9"},
    {"PanelTekst10", "tekst 10"},
};

constexpr LangText kLoader[] = {
    {"Caption", "Loader"},
    {"CmdOK", "OK"},
    {"PanelTekst0", "tekst 0"},
    {"PanelTekst1", "tekst 1"},
    {"PanelTekst2", "tekst 2"},
    {"PanelTekst3", "tekst 3"},
    {"PanelTekst4", "tekst 4"},
    {"PanelTekst5", "tekst 5"},
    {"PanelTekst6", "tekst 6"},
};

constexpr LangText kBackupRestore[] = {
    {"Msg_waarschuwingRestore_1", ""},
    {"Msg_waarschuwingRestore_2", ""},
    {"Msg_waarschuwingCaption", ""},
    {"SaveCaption", ""},
    {"OpenCaption", ""},
    {"OpenFilter", "ASCII Parameterbestand (*.bak)|*.bak"},
    {"Msg_ErrorCaption", ""},
    {"OpenMsg1", ""},
    {"OpenMsg2", ""},
    {"SaveMsg1", "The file could not be saved."},
};

constexpr LangText kEditSollwert[] = {
    {"SaveCaption", ""},
    {"OpenCaption", ""},
    {"OpenFilter", "ASCII Parameterbestand (*.app)|*.app"},
    {"Msg_ErrorCaption", ""},
    {"OpenMsg1", ""},
    {"OpenMsg2", ""},
    {"OpenMsg3", ""},
    {"OpenMsg4", ""},
    {"SaveMsg1", "The file could not be saved."},
    {"Caption", "Edit Sollw"},
    {"Kolomtekst_no", "No"},
    {"Kolomtekst_waarde", "No"},
    {"menuBestand", "Bestand"},
    {"subOpenen", "Openen"},
    {"subOpslaanAls", "Opslaan als..."},
    {"subAfdrukken", "Afdruk"},
    {"subAfsluiten", "Afsluiten"},
    {"menuZendenOntvangen", "Zenden & ontvangen"},
    {"subParOntvangen", "Par ontvangen"},
    {"subParZenden", "Par zenden"},
    {"Msg_SollwertOngeldig", "Ingane ongeldig!"},
    {"Msg_waarschuwingCaption", ""},
    {"ZendMsg_10", ""},
    {"ZendMsg_20", ""},
    {"ZendMsg_30", ""},
    {"ZendMsg_40", ""},
    {"ZendMsg_50", ""},
};

constexpr LangText kAfdrukken[] = {
    {"AfdrukMsg_1", ""},
    {"AfdrukMsg_2", ""},
    {"AfdrukMsg_3", ""},
    {"AfdrukMsg_4", ""},
    {"AfdrukMsg_5", ""},
    {"AfdrukMsg_6", ""},
    {"Msg_waarschuwingCaption", ""},
    {"LabelFirma", "Firma"},
    {"LabelType", "Type"},
    {"LabelSn", "Serie nr"},
    {"CmdOK", "OK"},
    {"CmdCancel", "Annuleren"},
    {"TekstPagina", "P"},
    {"CaptionPar", "Afdrukken param"},
    {"CaptionSoll", "Afdrukken Soll"},
    {"NaamSoll", "Solwerten"},
    {"AfdrukMsg_10", ""},
    {"AfdrukMsg_20", ""},
    {"AfdrukMsg_30", ""},
    {"AfdrukMsg_40", ""},
    {"AfdrukMsg_50", ""},
};

constexpr LangText kGrafiek[] = {
    {"CaptionGrafiek", "Istwerten"},
    {"LabelBuffer", "Buffer"},
    {"LabelAutoscroll", "Autoscroll"},
    {"LabelHulplijnenXas", "Hulplijn"},
    {"LabelHulplijnenYas", "Hulplijn"},
    {"CmdStartLog", "Start"},
    {"CmdStopLog", "Stop"},
    {"GroepXas", "X"},
    {"GroepYas", "Y"},
    {"LabelBron", "Bron"},
    {"optiesBron", ""},
    {"Gaten", "gaps"},
    {"CmdAuto", "Auto"},
    {"LabelAutoHouden", "Keep auto"},
    {"LabelKanaal2", "Channel 2:"},
    {"Geen", "-"},
    {"LabelCursors", "Cursors"},
    {"CmdHome", "Home"},
    {"PerSeconde", "/s"},
    {"PanelTekst0", "tekst 0"},
    {"PanelTekst1", "tekst 1"},
    {"PanelTekst2", "tekst 2"},
    {"PanelTekst3", "tekst 3"},
    {"PanelTekst4", "tekst 4"},
};

constexpr LangText kDisplayNokken[] = {
    {"Caption", "Display nokken"},
    {"RijTekst", "Uitg"},
    {"LabelNokNo", "Nok"},
    {"LabelFuncte", "Functie"},
    {"LabelBron", "Bron"},
    {"LabelAanvang", "Aanvang"},
    {"LabelEinde", "Einde"},
    {"LAbelHysteresis", "Hysteresis"},
    {"LabelVervroeging", "Vervroeging"},
};

constexpr LangText kCli[] = {
    {"BadOption", "unknown option or bad value: %1 (see vx5x --help)"},
    {"UnknownCommand", "unknown command: %1 (see vx5x --help)"},
    {"MissingArgument", "missing argument: %1"},
    {"PortOpen", "cannot open port %1: %2"},
    {"NoReply", "no reply from unit %1 on %2 (%3)"},
    {"LineLost", "line lost on %1: %2"},
    {"BadReply", "unusable reply to %1: %2"},
    {"Refused", "the controller refused %1 (er 7)"},
    {"BpRefused", "the controller refused to compute its parameters: %1"},
    {"Interrupted", "interrupted"},
    {"WriteStopped", "stopped at %3: %1 of %2 values written, the controller now holds old and new values"},
    {"UnknownParameter", "unknown parameter \"%1\"; did you mean \"%2\"?"},
    {"UnknownParameterNoHint", "unknown parameter \"%1\""},
    {"Ambiguous", "\"%1\" fits several parameters: %2"},
    {"BadValue", "%1 %2: \"%3\" is not a value of this parameter"},
    {"OutOfRange", "%1 %2: %3 is outside %4"},
    {"FileError", "%1: %2"},
    {"UseRestore", "a backup file; use restore"},
    {"NotBackup", "not a backup file"},
    {"Saved", "written: %1"},
    {"SafetyBackup", "safety backup: %1"},
    {"VerifyFailed", "read-back: %1 values differ"},
    {"NothingInCommon", "%1 and %2 hold no values in common"},
    {"SearchDone", "search finished: %1 found"},
};

} // namespace

namespace texts {
const LangSection Main{"Main", kMain};
const LangSection Opties{"Opties", kOpties};
const LangSection About{"About", kAbout};
const LangSection HelpErrorNummers{"HelpErrorNummers", kHelpErrorNummers};
const LangSection InitCom{"InitCom", kInitCom};
const LangSection AparaatZoeken{"AparaatZoeken", kAparaatZoeken};
const LangSection LeesParSoll{"LeesParSoll", kLeesParSoll};
const LangSection SchrijfParSoll{"SchrijfParSoll", kSchrijfParSoll};
const LangSection Antwoord{"Antwoord", kAntwoord};
const LangSection EditParam{"EditParam", kEditParam};
const LangSection ParamService{"ParamService", kParamService};
const LangSection Loader{"Loader", kLoader};
const LangSection BackupRestore{"BackupRestore", kBackupRestore};
const LangSection EditSollwert{"EditSollwert", kEditSollwert};
const LangSection Afdrukken{"Afdrukken", kAfdrukken};
const LangSection Grafiek{"Grafiek", kGrafiek};
const LangSection DisplayNokken{"DisplayNokken", kDisplayNokken};
const LangSection Cli{"Cli", kCli};
} // namespace texts

std::span<const LangSection* const> languageSections()
{
    static const LangSection* const all[] = {
        &texts::Main,
        &texts::Opties,
        &texts::About,
        &texts::HelpErrorNummers,
        &texts::InitCom,
        &texts::AparaatZoeken,
        &texts::LeesParSoll,
        &texts::SchrijfParSoll,
        &texts::Antwoord,
        &texts::EditParam,
        &texts::ParamService,
        &texts::Loader,
        &texts::BackupRestore,
        &texts::EditSollwert,
        &texts::Afdrukken,
        &texts::Grafiek,
        &texts::DisplayNokken,
        &texts::Cli,
    };
    return all;
}

} // namespace vx
