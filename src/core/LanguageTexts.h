#pragma once
// Every text the windows read from the language files, as data: one table per
// language-file section with each key and the text used when the file lacks it.
// The windows read through these tables and the data-set test checks every
// shipped language file against them, so a key cannot be read without being listed.
#include "core/Taal.h"

#include <span>

namespace vx {

namespace texts {
extern const LangSection Main, Opties, About, HelpErrorNummers, InitCom, AparaatZoeken, LeesParSoll, SchrijfParSoll, Antwoord, EditParam, ParamService, Loader, BackupRestore, EditSollwert, Afdrukken, Grafiek, DisplayNokken, Cli, Compare, Verkeer, Terminal, Calibratie;
extern const LangSection Verify;
extern const LangSection Fleet;
} // namespace texts

// All sections above, in language-file order.
std::span<const LangSection* const> languageSections();

} // namespace vx
