// The parameter editor's memory of what it last loaded, received, saved or sent: the
// window title and the question before closing with changes that would be lost.
#include "params/EditParam.h"
#include "params/SchrijfParSoll.h"

#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "params/TextWrap.h"
#include "params/ValueStore.h"

namespace vx {

bool TFormEditParam::FormCloseQuery()
{
    bool sluiten = true;
    if (ParGezondenEnNietGeladen && app().TaalGeladen) {
        const QString text = wrapMessage(texts::EditParam("Msg_ParGezondenEnNietGeladen"), 42);
        sluiten = ui().message(this, QMessageBox::Warning, texts::EditParam("Msg_waarschuwingCaption"), text,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
                  == QMessageBox::Yes;
    }
    verversFunctieTeksten();
    return sluiten;
}

void TFormEditParam::reject()
{
    if (FormCloseQuery() && VraagOnbewaard())
        QDialog::reject();
}

bool TFormEditParam::gewijzigd() const
{
    return m_basisGezet && !(ParWaarden == m_basis);
}

int TFormEditParam::aantalGewijzigd() const
{
    if (!m_basisGezet)
        return 0;
    int n = 0;
    for (int i = TParWaarden::first; i <= TParWaarden::last; ++i)
        n += ParWaarden[i] != m_basis[i];
    return n;
}

QString controllerSource()
{
    const QString ident = app().ApparaatIdent;
    return ident.isEmpty() ? QStringLiteral("unit %1").arg(app().unitNumber()) : ident;
}

QString editorTitle(const QString& caption, const QString& source, bool changed)
{
    QString t = caption;
    if (!source.isEmpty())
        t += QStringLiteral(" - ") + source;
    if (changed)
        t += QStringLiteral(" *");
    return t;
}

QString TFormEditParam::bronVanStatus() const
{
    switch (ParStatus) {
    case 1: return controllerSource();
    case 2: return m_bron;
    case 3: return QStringLiteral("Default");
    default: return QString();
    }
}

void TFormEditParam::nieuweBasis(const QString& bron)
{
    m_basis = ParWaarden;
    m_basisStatus = ParStatus;
    m_basisGezet = true;
    m_bron = bron;
    m_ontvangenGezien = ParOntvangen;
    updateTitel();
}

bool TFormEditParam::basisVanBesturing() const
{
    return m_basisGezet && m_bron == controllerSource();
}

compare::ValueSet TFormEditParam::alsSet() const
{
    compare::ValueSet set;
    set.hasParameters = true;
    set.par = ParWaarden;
    return set;
}

void TFormEditParam::updateTitel()
{
    const QString note = ParStatus != 0 ? controllerNote(alsSet(), basisVanBesturing(), ParGenomen,
                                                         ParWaarden.value(ParDecimalsParameter))
                                        : QString();
    setWindowTitle(editorTitle(m_caption.isEmpty() ? QStringLiteral("FormEditParam") : m_caption, m_bron + note,
                               gewijzigd()));
}

void TFormEditParam::verwerpWijzigingen()
{
    // Left in the store, discarded values would still go out with the next whole-set send.
    ParWaarden = m_basis;
    ParStatus = m_basisStatus;
    VulGrid();
    updateTitel();
    verversFunctieTeksten();
}

bool TFormEditParam::VraagOnbewaard()
{
    if (!gewijzigd() || !app().TaalGeladen)
        return true;
    QMessageBox::StandardButtons buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    if (portOpen() && app().FormSchrijfParSoll)
        buttons |= QMessageBox::Apply;
    switch (askUnsaved(this, texts::EditParam("Msg_waarschuwingCaption"), texts::EditParam("Msg_Onbewaard"),
                       buttons, texts::EditParam("CmdZenden"))) {
    case QMessageBox::Apply: ParZendenClick(); return !gewijzigd();
    case QMessageBox::Save: OpslaanAlsClick(); return !gewijzigd();
    case QMessageBox::Discard: verwerpWijzigingen(); return true;
    default: return false;
    }
}

} // namespace vx
