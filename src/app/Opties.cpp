#include "app/Opties.h"
#include "app/VX40Main.h"

#include "comm/SXComm.h"
#include "comm/TrafficLogFile.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/Paths.h"
#include "core/Widgets.h"
#include "device/ControllerLine.h"
#include "params/ParameterDefs.h"
#include "params/SafetyBackup.h"
#include "params/SchrijfParSoll.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vx {

TFormOpties::TFormOpties(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormOpties"));
    setWindowTitle(QStringLiteral("FormOpties"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(384, 364);

    auto* top = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("TabSheet1"));
    top->addWidget(PageControl1);

    auto* page = new QVBoxLayout(TabSheet1);
    GroupBox1 = new QGroupBox(TabSheet1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* row = new QHBoxLayout(GroupBox1);
    LabelTaal = new QLabel(QStringLiteral("Taal:"), GroupBox1);
    LabelTaal->setObjectName(QStringLiteral("LabelTaal"));
    ComboTaal = new QComboBox(GroupBox1);
    ComboTaal->setObjectName(QStringLiteral("ComboTaal"));
    ComboTaal->addItems({QStringLiteral("NE"), QStringLiteral("EN"), QStringLiteral("D")});
    ComboTaal->setMinimumWidth(160);
    LabelTaal->setBuddy(ComboTaal);
    row->addWidget(LabelTaal);
    row->addWidget(ComboTaal, 1);
    page->addWidget(GroupBox1);
    CheckAutoVerbinden = new QCheckBox(QStringLiteral("Automatisch opnieuw verbinden"), TabSheet1);
    CheckAutoVerbinden->setObjectName(QStringLiteral("CheckAutoVerbinden"));
    page->addWidget(CheckAutoVerbinden);
    CheckSnelleAntwoorden = new QCheckBox(QStringLiteral("Snelle antwoorden"), TabSheet1);
    CheckSnelleAntwoorden->setObjectName(QStringLiteral("CheckSnelleAntwoorden"));
    page->addWidget(CheckSnelleAntwoorden);
    CheckLogVerkeer = new QCheckBox(QStringLiteral("Verkeer naar bestand loggen"), TabSheet1);
    CheckLogVerkeer->setObjectName(QStringLiteral("CheckLogVerkeer"));
    page->addWidget(CheckLogVerkeer);
    CheckVeiligheidsbackup = new QCheckBox(texts::Verify("OptSafety"), TabSheet1);
    CheckVeiligheidsbackup->setObjectName(QStringLiteral("CheckVeiligheidsbackup"));
    page->addWidget(CheckVeiligheidsbackup);
    CheckVerifieren = new QCheckBox(texts::Verify("OptVerify"), TabSheet1);
    CheckVerifieren->setObjectName(QStringLiteral("CheckVerifieren"));
    page->addWidget(CheckVerifieren);
    CheckVragenVoorSchrijven = new QCheckBox(texts::Verify("OptAskWrite"), TabSheet1);
    CheckVragenVoorSchrijven->setObjectName(QStringLiteral("CheckVragenVoorSchrijven"));
    page->addWidget(CheckVragenVoorSchrijven);
    CheckAllesSchrijven = new QCheckBox(texts::Verify("OptWriteAll"), TabSheet1);
    CheckAllesSchrijven->setObjectName(QStringLiteral("CheckAllesSchrijven"));
    page->addWidget(CheckAllesSchrijven);
    page->addStretch();

    const OkCancel buttons = addOkCancelRow(this, top);
    CmdOK = buttons.ok;
    CmdCancel = buttons.cancel;

    connect(CmdOK, &QPushButton::clicked, this, &TFormOpties::CmdOKClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormOpties::CmdCancelClick);
}

void TFormOpties::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormOpties::FormActivate()
{
    if (app().TaalGeladen) {
        setWindowTitle(texts::Opties("Caption"));
        PageControl1->setTabText(0, texts::Opties("RegAlgemeen"));
        LabelTaal->setText(texts::Opties("TaalLabel"));
        ComboTaal->clear();
        ComboTaal->addItems(parseOptionList(texts::Opties("TaalItems")));
        CheckAutoVerbinden->setText(texts::Opties("AutoVerbinden"));
        CheckSnelleAntwoorden->setText(texts::Opties("SnelleAntwoorden"));
        CheckSnelleAntwoorden->setToolTip(texts::Opties("SnelleAntwoordenHint"));
        CheckLogVerkeer->setText(texts::Opties("LogVerkeer"));
        CheckLogVerkeer->setToolTip(texts::Opties("LogVerkeerHint"));
        CmdOK->setText(texts::Opties("CmdOK"));
        CmdCancel->setText(texts::Opties("CmdCancel"));
    }
    const int i = app().TaalIndex;
    ComboTaal->setCurrentIndex(i >= 0 && i < ComboTaal->count() ? i : -1);
    m_oldTaalIndex = i;
    auto* main = qobject_cast<TFormMain*>(app().FormMain);
    CheckAutoVerbinden->setEnabled(main != nullptr);
    CheckAutoVerbinden->setChecked(main ? main->AutomatischVerbinden : true);
    CheckSnelleAntwoorden->setChecked(fastReplies());
    CheckLogVerkeer->setChecked(trafficLogging());
    CheckVeiligheidsbackup->setText(texts::Verify("OptSafety"));
    CheckVeiligheidsbackup->setChecked(safety::backupsOn());
    CheckVerifieren->setText(texts::Verify("OptVerify"));
    CheckVerifieren->setChecked(safety::verifyOn());
    CheckVragenVoorSchrijven->setText(texts::Verify("OptAskWrite"));
    CheckVragenVoorSchrijven->setChecked(writeQuestionOn());
    CheckAllesSchrijven->setText(texts::Verify("OptWriteAll"));
    CheckAllesSchrijven->setChecked(writeEveryValueOn());
}

void TFormOpties::CmdOKClick()
{
    AppState& s = app();
    s.TaalIndex = ComboTaal->currentIndex();
    if (auto* main = qobject_cast<TFormMain*>(s.FormMain)) main->AutomatischVerbinden = CheckAutoVerbinden->isChecked();
    if (CheckSnelleAntwoorden->isChecked() != fastReplies() || (fastReplies() && s.SXComm1 && s.SXComm1->FastRepliesOff()))
        setFastReplies(CheckSnelleAntwoorden->isChecked());
    setTrafficLogging(CheckLogVerkeer->isChecked(), s.SXComm1, paths::userDataDir() + QStringLiteral("/logs"));
    safety::setBackupsOn(CheckVeiligheidsbackup->isChecked());
    safety::setVerifyOn(CheckVerifieren->isChecked());
    setWriteQuestionOn(CheckVragenVoorSchrijven->isChecked());
    setWriteEveryValueOn(CheckAllesSchrijven->isChecked());
    if (s.TaalIndex != m_oldTaalIndex) s.TekstFile_Lezen();
    s.LezenTeksten();
    s.ParameterDef_lezen();
    accept();
}

void TFormOpties::CmdCancelClick() { reject(); }

} // namespace vx
