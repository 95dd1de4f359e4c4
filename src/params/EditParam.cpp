#include "params/EditParam.h"
#include "params/CompareWindow.h"

#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "params/FixedPoint.h"
#include "params/LeesParSoll.h"
#include "params/ParFiles.h"
#include "params/ParLoader.h"
#include "params/ParTreeWidget.h"
#include "params/ParamService.h"
#include "params/ParameterDefs.h"
#include "params/SchrijfParSoll.h"
#include "params/TextWrap.h"
#include "params/ValueStore.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace vx {

namespace {

// The value column holds ten characters of the 15-pixel fixed font (-999999,99).
constexpr int kColWidths[TFormEditParam::GridCols] = {60, 44, 210, 96, 219};
constexpr int kRowHeight = 16;
const QColor kChangedColour(255, 214, 153);
constexpr int kValueCol = 3;
constexpr int kCamGroup = 8;

// A message made of several keys: LF CR between the parts.
const QString kMsgJoin = QStringLiteral("\n\r");

// The menu icon: a small sheet with lines; the selected one is filled and carries
// an arrow, so the open menu stands out in the tree.
QPixmap menuIcon(bool selected)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor edge = selected ? QColor(0, 60, 160) : QColor(110, 110, 110);
    const QColor fill = selected ? QColor(255, 230, 120) : QColor(250, 250, 250);
    p.setPen(edge);
    p.setBrush(fill);
    p.drawRect(3, 1, 10, 13);
    p.setPen(selected ? QColor(0, 60, 160) : QColor(150, 150, 150));
    for (int y = 4; y <= 11; y += 3)
        p.drawLine(5, y, 11, y);
    if (selected) {
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath arrow;
        arrow.moveTo(0, 4);
        arrow.lineTo(5, 8);
        arrow.lineTo(0, 12);
        arrow.closeSubpath();
        p.fillPath(arrow, QColor(200, 0, 0));
    }
    return pm;
}

QIcon treeIcon()
{
    static const QIcon icon = [] {
        QIcon i;
        i.addPixmap(menuIcon(false), QIcon::Normal);
        i.addPixmap(menuIcon(true), QIcon::Selected);
        return i;
    }();
    return icon;
}

// The selection shows only while the grid has the focus; without it every cell is
// drawn on the grid's own background. Texts sit 2 pixels in from the left, values
// 4 pixels in from the right.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        o.state &= ~QStyle::State_HasFocus;
        const auto* view = qobject_cast<const QAbstractItemView*>(o.widget);
        if (view && !view->hasFocus() && (o.state & QStyle::State_Selected)) {
            // The view has already painted the row as selected.
            o.state &= ~QStyle::State_Selected;
            painter->fillRect(o.rect, o.palette.brush(QPalette::Active, QPalette::Base));
        }
        const QString text = o.text;
        o.text.clear();
        QStyle* style = o.widget ? o.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);

        painter->save();
        painter->setFont(o.font);
        painter->setPen(o.palette.color(QPalette::Active, (o.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                             : QPalette::Text));
        if (index.column() == kValueCol) {
            painter->drawText(o.rect.adjusted(0, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, text);
        } else {
            // A name too long for its column ends in an ellipsis instead of running
            // into the value beside it.
            const QRect r = o.rect.adjusted(2, 0, 0, 0);
            painter->setClipRect(o.rect);
            painter->drawText(r, Qt::AlignLeft | Qt::AlignVCenter,
                              QFontMetrics(o.font).elidedText(text, o.textElideMode, r.width()));
        }
        painter->restore();
    }
};

QLabel* makeStatusPanel(QStatusBar* bar, int index, int width, Qt::Alignment align)
{
    auto* l = new QLabel(bar);
    l->setObjectName(QStringLiteral("StatusPanel%1").arg(index));
    l->setAlignment(align | Qt::AlignVCenter);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (width > 0)
        l->setFixedWidth(width);
    bar->addWidget(l, width > 0 ? 0 : 1);
    return l;
}

} // namespace

TFormEditParam::TFormEditParam(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormEditParam"));
    setWindowTitle(QStringLiteral("FormEditParam"));
    buildMenu();
    buildControls();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        // Working in another non-modal window of the program counts for the next
        // activation; modal dialogs opened from here do not.
        if (!isVisible() || !now)
            return;
        QWidget* w = now->window();
        if (w != this && !w->isModal() && w->windowModality() == Qt::NonModal)
            m_anderVensterGebruikt = true;
    });
}

void TFormEditParam::buildMenu()
{
    ParamMenu1 = new QMenuBar(this);
    ParamMenu1->setObjectName(QStringLiteral("ParamMenu1"));
    auto item = [](QMenu* m, const char* name, const QString& caption) {
        QAction* a = m->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    menuBestand = ParamMenu1->addMenu(QStringLiteral("&Bestand"));
    menuBestand->setObjectName(QStringLiteral("menuBestand"));
    Openen1 = item(menuBestand, "Openen1", QStringLiteral("&Openen"));
    OpslaanAls1 = item(menuBestand, "OpslaanAls1", QStringLiteral("O&pslaan als..."));
    menuBestand->addSeparator();
    LaadDefault1 = item(menuBestand, "LaadDefault1", QStringLiteral("&Laad Default parameters"));
    menuBestand->addSeparator();
    Afdrukken1 = item(menuBestand, "Afdrukken1", QStringLiteral("&Afdrukken"));
    menuBestand->addSeparator();
    Afsluiten1 = item(menuBestand, "Afsluiten1", QStringLiteral("&Afsluiten"));

    menuZendenOntvangen = ParamMenu1->addMenu(QStringLiteral("&Zenden && Ontvangen"));
    menuZendenOntvangen->setObjectName(QStringLiteral("menuZendenOntvangen"));
    ParOntvangen1 = item(menuZendenOntvangen, "ParOntvangen1", QStringLiteral("&Parameters ontvangen"));
    ParZenden1 = item(menuZendenOntvangen, "ParZenden1", QStringLiteral("P&arameters zenden"));
    menuZendenOntvangen->addSeparator();
    Loader1 = item(menuZendenOntvangen, "Loader1", QStringLiteral("Parameters VX40... Laden en Testen"));
    Vergelijken1 = item(menuZendenOntvangen, "Vergelijken1", QStringLiteral("&Vergelijken..."));
    connect(Vergelijken1, &QAction::triggered, this, &TFormEditParam::VergelijkenClick);

    menuVenster = ParamMenu1->addMenu(QStringLiteral("Venster"));
    menuVenster->setObjectName(QStringLiteral("menuVenster"));
    NokkenInfo1 = item(menuVenster, "NokkenInfo1", QStringLiteral("Nokken info"));

    menuHelp = ParamMenu1->addMenu(QStringLiteral("Help"));
    menuHelp->setObjectName(QStringLiteral("menuHelp"));
    ErrorNummers1 = item(menuHelp, "ErrorNummers1", QStringLiteral("Info error no"));

    connect(Openen1, &QAction::triggered, this, &TFormEditParam::OpenenClick);
    connect(OpslaanAls1, &QAction::triggered, this, &TFormEditParam::OpslaanAlsClick);
    connect(ParOntvangen1, &QAction::triggered, this, &TFormEditParam::ParOntvangenClick);
    connect(ParZenden1, &QAction::triggered, this, &TFormEditParam::ParZendenClick);
    connect(LaadDefault1, &QAction::triggered, this, &TFormEditParam::LaadDefaultClick);
    connect(Afdrukken1, &QAction::triggered, this, &TFormEditParam::AfdrukkenClick);
    connect(Afsluiten1, &QAction::triggered, this, &QWidget::close);
    connect(Loader1, &QAction::triggered, this, &TFormEditParam::LoaderClick);
    connect(NokkenInfo1, &QAction::triggered, this, &TFormEditParam::NokkenInfoClick);
    connect(ErrorNummers1, &QAction::triggered, this, &TFormEditParam::ErrorNummersClick);
}

void TFormEditParam::buildControls()
{
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setIconSize(QSize(16, 16));
    TreeView1->setFixedWidth(240);
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this] { TreeView1Change(); });

    StringGrid1 = new QTableWidget(GridRows, GridCols, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    QFont f(QStringLiteral("Courier"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(15);
    StringGrid1->setFont(f);
    StringGrid1->horizontalHeader()->setFont(f);
    QPalette pal = StringGrid1->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        pal.setColor(group, QPalette::Text, pal.color(QPalette::Active, QPalette::Highlight));
    StringGrid1->setPalette(pal);
    StringGrid1->setItemDelegate(new GridDelegate(StringGrid1));
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setWordWrap(false);
    // Names that differ only at the end (200 and 201) stay told apart when cut.
    StringGrid1->setTextElideMode(Qt::ElideMiddle);
    StringGrid1->setTabKeyNavigation(false);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(kRowHeight);
    // Columns can be widened to read long names; the last one takes what is left.
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(1);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->horizontalHeader()->setFixedHeight(kRowHeight + 2);
    int width = 0;
    for (int c = 0; c < GridCols; ++c) {
        StringGrid1->setColumnWidth(c, kColWidths[c]);
        width += kColWidths[c];
        auto* h = new QTableWidgetItem;
        h->setTextAlignment(c == kValueCol ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
        StringGrid1->setHorizontalHeaderItem(c, h);
    }
    for (int r = 0; r < GridRows; ++r)
        for (int c = 0; c < GridCols; ++c) {
            auto* it = new QTableWidgetItem;
            it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (c == kValueCol)
                it->setTextAlignment(Qt::AlignRight | Qt::AlignTop);
            StringGrid1->setItem(r, c, it);
        }
    const int frame = 2 * StringGrid1->frameWidth();
    // The design's size is the least; the grid grows with the window.
    StringGrid1->setMinimumSize(width + frame, kRowHeight + 2 + GridRows * kRowHeight + frame);
    StringGrid1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    StringGrid1->blockSignals(true);
    StringGrid1->setCurrentCell(0, 0);
    StringGrid1->blockSignals(false);
    StringGrid1->installEventFilter(this);
    connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int, int previousRow, int) {
        if (row != previousRow && row >= 0)
            StringGrid1SelectCell(row + 1);
    });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { StringGrid1DblClick(); });

    TreeView1->setMinimumHeight(StringGrid1->minimumHeight());

    CmdClear = new QPushButton(QStringLiteral("CmdClear"), this);
    CmdClear->setObjectName(QStringLiteral("CmdClear"));
    CmdClear->setAutoDefault(false);
    CmdClear->setMinimumWidth(100);
    CmdClear->setEnabled(false);
    connect(CmdClear, &QPushButton::clicked, this, &TFormEditParam::CmdClearClick);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    m_panels[0] = makeStatusPanel(StatusBar1, 0, 70, Qt::AlignRight);
    m_panels[1] = makeStatusPanel(StatusBar1, 1, 110, Qt::AlignRight);
    m_panels[2] = makeStatusPanel(StatusBar1, 2, 70, Qt::AlignRight);
    m_panels[3] = makeStatusPanel(StatusBar1, 3, 110, Qt::AlignRight);
    m_panels[4] = makeStatusPanel(StatusBar1, 4, 80, Qt::AlignRight);
    m_panels[5] = makeStatusPanel(StatusBar1, 5, 110, Qt::AlignRight);
    m_panels[6] = makeStatusPanel(StatusBar1, 6, 0, Qt::AlignLeft);
    m_panels[0]->setText(QStringLiteral("Min:"));
    m_panels[2]->setText(QStringLiteral("Max:"));
    m_panels[4]->setText(QStringLiteral("Default:"));

    auto* right = new QVBoxLayout;
    right->addWidget(StringGrid1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CmdClear);
    right->addLayout(buttons);

    auto* left = new QVBoxLayout;
    left->addWidget(TreeView1, 1);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(6, 6, 6, 0);
    body->addLayout(left);
    body->addLayout(right, 1);

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(4);
    top->setMenuBar(ParamMenu1);
    top->addLayout(body, 1);
    top->addWidget(StatusBar1);
    setSizeGripEnabled(true);
}

void TFormEditParam::setLoader(TFormParLoader* dialog)
{
    m_loader = dialog;
    Loader1->setEnabled(portOpen() && m_loader);
}

bool TFormEditParam::portOpen() const
{
    return app().SXComm1 && app().SXComm1->Active();
}

QString TFormEditParam::cell(int row, int col) const
{
    if (row == 0) {
        const QTableWidgetItem* h = StringGrid1->horizontalHeaderItem(col);
        return h ? h->text() : QString();
    }
    const QTableWidgetItem* it = StringGrid1->item(row - 1, col);
    return it ? it->text() : QString();
}

void TFormEditParam::setCel(int row, int col, const QString& text)
{
    StringGrid1->item(row - 1, col)->setText(text);
}

void TFormEditParam::clearGrid()
{
    for (int r = 1; r <= GridRows; ++r)
        for (int c = 0; c < GridCols; ++c)
            setCel(r, c, QString());
}

void TFormEditParam::legeStatusPanelen()
{
    for (int i : {1, 3, 5})
        m_panels[i]->clear();
}

void TFormEditParam::verversFunctieTeksten()
{
    app().InputFunctieTeksten();
    app().OutputFunctieTeksten();
}

void TFormEditParam::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        m_anderVensterGebruikt = false;
        // Values replaced elsewhere (main window, backup) are the new reference,
        // unless changes made here are still unsent and unsaved.
        // A set received meanwhile (main window) is the reference too, never an edit.
        if (!gewijzigd() || !m_basisGezet || ParOntvangen != m_ontvangenGezien) nieuweBasis(bronVanStatus());
        FormActivate();
    }
}

void TFormEditParam::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_anderVensterGebruikt) {
        m_anderVensterGebruikt = false;
        FormActivate();
    }
}

void TFormEditParam::LezenTeksten()
{
    if (!app().TaalGeladen)
        return;
    m_caption = texts::EditParam("Caption");
    updateTitel();
    StringGrid1->horizontalHeaderItem(0)->setText(texts::EditParam("KolomTekst0"));
    StringGrid1->horizontalHeaderItem(1)->setText(texts::EditParam("KolomTekst1"));
    StringGrid1->horizontalHeaderItem(2)->setText(texts::EditParam("KolomTekst2"));
    StringGrid1->horizontalHeaderItem(3)->setText(texts::EditParam("KolomTekst3"));
    StringGrid1->horizontalHeaderItem(4)->setText(texts::EditParam("KolomTekst4"));
    m_panels[0]->setText(texts::EditParam("min"));
    m_panels[2]->setText(texts::EditParam("max"));
    m_panels[4]->setText(texts::EditParam("default"));
    toonOpgeslagen();
    CmdClear->setText(texts::EditParam("CmdClear"));
    menuBestand->setTitle(texts::EditParam("menuBestand"));
    Openen1->setText(texts::EditParam("subOpenen"));
    OpslaanAls1->setText(texts::EditParam("subOpslaanAls"));
    LaadDefault1->setText(texts::EditParam("subLaadDefault"));
    Afdrukken1->setText(texts::EditParam("subAfdrukken"));
    Afsluiten1->setText(texts::EditParam("subAfsluiten"));
    menuZendenOntvangen->setTitle(texts::EditParam("menuZendenOntvangen"));
    ParOntvangen1->setText(texts::EditParam("subParOntvangen"));
    ParZenden1->setText(texts::EditParam("subParZenden"));
    Loader1->setText(texts::EditParam("subLoader"));
    Vergelijken1->setText(texts::Compare("MenuItem"));
    menuVenster->setTitle(texts::EditParam("menuVenster"));
    NokkenInfo1->setText(texts::EditParam("subNokkenInfo"));
    menuHelp->setTitle(texts::EditParam("menuHelp"));
    ErrorNummers1->setText(texts::EditParam("subErrorNummers"));
}

void TFormEditParam::toonOpgeslagen()
{
    // Told again in a language chosen later.
    if (m_opgeslagen.isEmpty())
        return;
    m_panels[6]->setText(texts::EditParam("Opgeslagen").arg(QDir::toNativeSeparators(m_opgeslagen)));
    m_panels[6]->setToolTip(m_panels[6]->text());
}

void TFormEditParam::updateMenuItems()
{
    const bool open = portOpen();
    ParOntvangen1->setEnabled(open && qobject_cast<TFormLeesParSoll*>(app().FormLeesParSoll));
    ParZenden1->setEnabled(open && qobject_cast<TFormSchrijfParSoll*>(app().FormSchrijfParSoll));
    Loader1->setEnabled(open && m_loader);
    Afdrukken1->setEnabled(app().FormAfdrukkenPar != nullptr);
    NokkenInfo1->setEnabled(app().FormDisplayNokken != nullptr);
    ErrorNummers1->setEnabled(app().FormInfoErrorNummers != nullptr);
}

void TFormEditParam::FormActivate()
{
    clearGrid();
    LezenTeksten();

    TreeView1->blockSignals(true);
    TreeView1->clear();
    const ParTree tree = loadParTree();
    if (tree.fileFound) {
        fillTreeWidget(TreeView1, tree);
        const QIcon icon = treeIcon();
        for (QTreeWidgetItemIterator it(TreeView1); *it; ++it)
            (*it)->setIcon(0, icon);
        if (QTreeWidgetItem* first = TreeView1->topLevelItem(0))
            first->setExpanded(true);
    }
    TreeView1->blockSignals(false);
    if (!tree.error.isEmpty())
        showError(this, windowTitle(), tree.error);

    if (QTreeWidgetItem* first = TreeView1->topLevelItem(0)) {
        TreeView1->blockSignals(true);
        TreeView1->setCurrentItem(first);
        TreeView1->blockSignals(false);
        TreeView1Change();
    } else {
        // No tree, no menu: the grid stays empty.
        m_groep = m_sub = 0;
        CmdClear->setEnabled(false);
    }
    TreeView1->setFocus();

    updateMenuItems();
    ParGezondenEnNietGeladen = false;
}

void TFormEditParam::TreeView1Change()
{
    const MenuPosition mp = menuPosition(TreeView1->currentItem());
    m_groep = mp.group;
    m_sub = mp.sub;
    CmdClear->setEnabled(m_groep == kCamGroup);
    VulGrid();
}

void TFormEditParam::VulGrid()
{
    if (!app().ParameterDefGeladen || !app().ParamNoGeladen)
        return;
    const int menu = 100 * m_groep + m_sub;
    for (int r = 1; r <= GridRows; ++r) {
        const std::optional<int> p = parNoLookup(menu, r);
        if (!p) {
            for (int c = 0; c < GridCols; ++c)
                setCel(r, c, QString());
            StringGrid1->item(r - 1, 2)->setToolTip(QString());
            StringGrid1->item(r - 1, 3)->setBackground(QBrush());
            continue;
        }
        const QString section = parSection(*p);
        setCel(r, 0, QStringLiteral("%1.%2.%3").arg(m_groep).arg(m_sub).arg(r));
        setCel(r, 1, section);
        const bool changed = ParWaarden.value(*p) != m_basis.value(*p);
        StringGrid1->item(r - 1, 3)->setBackground(changed ? QBrush(kChangedColour) : QBrush());
        StringGrid1->item(r - 1, 3)->setToolTip(changed ? texts::EditParam("Gewijzigd")
                                                        : QString());
        if (parExists(section)) {
            setCel(r, 2, parNaam(section));
            StringGrid1->item(r - 1, 2)->setToolTip(parNaam(section));
            setCel(r, 4, parType(section) == 1 ? optionText(parOpties(section), ParWaarden.value(*p)) : QString());
        } else {
            setCel(r, 2, QString());
            setCel(r, 4, QString());
        }
        setCel(r, 3, FixedToText(parDec(section), ParWaarden.value(*p)));
    }
    updateTitel();
}

void TFormEditParam::StringGrid1SelectCell(int row)
{
    if (row < 1 || row > GridRows)
        return;
    ServicePar.Nr = cell(row, 1);
    ServicePar.Naam = cell(row, 2);
    if (ServicePar.Nr.isEmpty()) {
        legeStatusPanelen();
        return;
    }
    const QString& nr = ServicePar.Nr;
    m_selDec = parDec(nr);
    ServicePar.Waarde = FixedToText(m_selDec, ParWaarden.value(nr.toInt()));
    ServicePar.Min = parMin(nr);
    ServicePar.MinTekst = FixedToText(m_selDec, ServicePar.Min);
    m_panels[1]->setText(ServicePar.MinTekst);
    ServicePar.Max = parMax(nr);
    ServicePar.MaxTekst = FixedToText(m_selDec, ServicePar.Max);
    m_panels[3]->setText(ServicePar.MaxTekst);
    ServicePar.DefaultTekst = FixedToText(m_selDec, parDefault(nr));
    m_panels[5]->setText(ServicePar.DefaultTekst);
}

void TFormEditParam::StringGrid1DblClick()
{
    const int row = StringGrid1->currentRow() + 1;
    if (row < 1)
        return;
    StringGrid1SelectCell(row);
    if (cell(row, 1).isEmpty() || !m_service)
        return;
    m_service->exec();
    // A value the controller confirmed is no longer unsent; one only kept with OK is.
    // (The flag of a send in an earlier run says nothing about this one.)
    if (const std::optional<qint32> sent = m_service->bevestigdeWaarde();
        sent && TParWaarden::contains(ServicePar.Nr.toInt()))
        m_basis[ServicePar.Nr.toInt()] = *sent;
    VulGrid();
    ServicePar.Waarde = FixedToText(m_selDec, ParWaarden.value(ServicePar.Nr.toInt()));
}

void TFormEditParam::CmdClearClick()
{
    for (int r = 1; r <= GridRows; ++r) {
        const QString nr = cell(r, 1);
        if (nr.isEmpty())
            continue;
        const int p = nr.toInt();
        if (TParWaarden::contains(p))
            ParWaarden[p] = 0;
    }
    VulGrid();
}

void TFormEditParam::OpenenClick()
{
    const QString name = files::chooseOpenFile(this, files::FileKind::Parameters);
    if (name.isEmpty() || !files::readParameterFile(this, name))
        return;
    nieuweBasis(QFileInfo(name).fileName());
    VulGrid();
    verversFunctieTeksten();
}

void TFormEditParam::OpslaanAlsClick()
{
    const QString name = files::chooseSaveFile(this, files::FileKind::Parameters);
    if (name.isEmpty() || !files::writeParameterFile(this, name))
        return;
    nieuweBasis(QFileInfo(name).fileName());
    VulGrid();
    m_opgeslagen = name;
    toonOpgeslagen();
}

void TFormEditParam::ParOntvangenClick()
{
    auto* lees = qobject_cast<TFormLeesParSoll*>(app().FormLeesParSoll);
    if (!lees || lees->run(0) != QDialog::Accepted)
        return;
    for (int i = TParWaarden::first; i <= TParWaarden::last; ++i)
        ParWaarden[i] = lees->ParBuffer[i];
    ParStatus = 1;
    ParGenomen = QDateTime::currentDateTime();
    nieuweBasis(controllerSource());
    VulGrid();
    verversFunctieTeksten();
}

void TFormEditParam::VergelijkenClick()
{
    TFormCompare w(transfer::Sets{true, false}, this);
    w.exec();
    // Values taken or written there are in the store now; written ones are sent.
    for (const TFormCompare::Confirmed& c : w.confirmed())
        if (!c.setpoint && m_basisGezet) m_basis[c.number] = c.value;
    VulGrid();
    updateTitel();
    verversFunctieTeksten();
}

void TFormEditParam::ParZendenClick()
{
    auto* schrijf = qobject_cast<TFormSchrijfParSoll*>(app().FormSchrijfParSoll);
    if (!schrijf || !ZendenToegestaan())
        return;
    switch (askOlderSet(this, alsSet(), basisVanBesturing(), ParGenomen)) {
    case QMessageBox::Yes: ParOntvangenClick(); return;
    case QMessageBox::No: break;
    default: return;
    }
    if (!confirmWrite(this, alsSet()))
        return;
    for (int i = TParWaarden::first; i <= TParWaarden::last; ++i)
        schrijf->ParBuffer[i] = ParWaarden[i];
    if (schrijf->run(0) == QDialog::Accepted) {
        ParGezondenEnNietGeladen = false;
        ParGenomen = QDateTime::currentDateTime();
        nieuweBasis(controllerSource());
        VulGrid();
    }
}

void TFormEditParam::LaadDefaultClick()
{
    if (!app().ParameterDefGeladen) {
        QString caption, text;
        if (app().TaalGeladen) {
            caption = texts::EditParam("Msg_ErrorCaption");
            text = texts::EditParam("msg_ErrorSetDefaultPar");
        }
        showError(this, caption, text);
        return;
    }
    for (int i = TParWaarden::first; i <= TParWaarden::last; ++i)
        ParWaarden[i] = parDefault(i);
    QString caption, text;
    if (app().TaalGeladen) {
        caption = texts::EditParam("Msg_InfoCaption");
        text = texts::EditParam("msg_DefaultParGeladen");
    }
    showInfo(this, caption, text);
    VulGrid();
    ParStatus = 3;
    ParGenomen = QDateTime::currentDateTime();
    verversFunctieTeksten();
}

bool TFormEditParam::ZendenToegestaan()
{
    if (ParStatus != 0)
        return true;
    if (!app().TaalGeladen)
        return false;
    const QStringList parts = {
        texts::EditParam("ZendMsg_1"),
        texts::EditParam("ZendMsg_2"),
        texts::EditParam("ZendMsg_3"),
        texts::EditParam("ZendMsg_4"),
        texts::EditParam("ZendMsg_5"),
        texts::EditParam("ZendMsg_6"),
    };
    return ui().message(this, QMessageBox::Warning, texts::EditParam("Msg_waarschuwingCaption"),
                        parts.join(kMsgJoin), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
           == QMessageBox::Yes;
}

void TFormEditParam::AfdrukkenClick()
{
    auto* dialog = qobject_cast<QDialog*>(app().FormAfdrukkenPar);
    if (!dialog)
        return;
    if (ParStatus == 0) {
        if (!app().TaalGeladen)
            return;
        const QStringList parts = {
            texts::Afdrukken("AfdrukMsg_1"),
            texts::Afdrukken("AfdrukMsg_2"),
            texts::Afdrukken("AfdrukMsg_3"),
            texts::Afdrukken("AfdrukMsg_4"),
            texts::Afdrukken("AfdrukMsg_5"),
            texts::Afdrukken("AfdrukMsg_6"),
        };
        if (ui().message(this, QMessageBox::Warning, texts::Afdrukken("Msg_waarschuwingCaption"),
                         parts.join(kMsgJoin), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
            != QMessageBox::Yes)
            return;
    }
    dialog->setProperty(UnsentValuesProperty, aantalGewijzigd());
    // Which values, so each is marked on its own row.
    QList<int> unsent;
    for (int i = TParWaarden::first; m_basisGezet && i <= TParWaarden::last; ++i)
        if (ParWaarden[i] != m_basis[i])
            unsent << i;
    dialog->setProperty("vxUnsentNumbers", QVariant::fromValue(unsent));
    dialog->exec();
    dialog->setProperty(UnsentValuesProperty, 0);
    dialog->setProperty("vxUnsentNumbers", QVariant());
}

void TFormEditParam::LoaderClick()
{
    if (m_loader)
        m_loader->exec();
}

void TFormEditParam::NokkenInfoClick()
{
    QWidget* w = app().FormDisplayNokken;
    if (auto* dialog = qobject_cast<QDialog*>(w)) {
        dialog->exec();
    } else if (w) {
        w->setWindowModality(Qt::ApplicationModal);
        w->show();
    }
}

void TFormEditParam::ErrorNummersClick()
{
    QWidget* w = app().FormInfoErrorNummers;
    if (!w)
        return;
    // The help stays usable beside this modal window: make it a transient of ours.
    w->winId();
    if (w->windowHandle() && windowHandle())
        w->windowHandle()->setTransientParent(windowHandle());
    w->show();
    w->raise();
    w->activateWindow();
}

bool TFormEditParam::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == StringGrid1) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                StringGrid1DblClick();
                return true;
            }
            break;
        }
        case QEvent::FocusIn:
            if (StringGrid1->currentRow() >= 0)
                StringGrid1SelectCell(StringGrid1->currentRow() + 1);
            StringGrid1->viewport()->update();
            break;
        case QEvent::FocusOut: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // Another window taking over (a dialog opened from here) is no leaving.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                legeStatusPanelen();
            StringGrid1->viewport()->update();
            break;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vx
