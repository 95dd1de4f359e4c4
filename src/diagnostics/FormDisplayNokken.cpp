#include "diagnostics/FormDisplayNokken.h"
#include "core/Widgets.h"

#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "diagnostics/CamOverview.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vx {

namespace {

constexpr int Columns = nokken::CamCount + 1;
constexpr int Rows = nokken::OutputCount + 1;

// Fixed cells in the face colour, cam cells in their function's colour.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int col = index.column();
        const int row = index.row();
        if (col == 0 || row == 0) {
            p->fillRect(option.rect, buttonFace());
            p->setPen(option.palette.color(QPalette::WindowText));
            p->setFont(option.font);
            const QString text = index.data().toString();
            if (col == 0)
                p->drawText(option.rect.adjusted(0, 2, -4, 0), Qt::AlignRight | Qt::AlignTop, text);
            else
                p->drawText(option.rect, Qt::AlignCenter, text);
            return;
        }
        const QColor c = nokken::cellColour(col, row);
        if (c.isValid()) {
            p->fillRect(option.rect, c);
            if (option.state & QStyle::State_Selected) {
                p->setPen(QPen(Qt::black, 1, Qt::DotLine));
                p->drawRect(option.rect.adjusted(0, 0, -1, -1));
            }
            return;
        }
        QStyledItemDelegate::paint(p, option, index);
    }
};

QLabel* makePanel(QWidget* parent, const char* name, Qt::Alignment align)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(align | Qt::AlignVCenter);
    l->setMinimumWidth(align == Qt::AlignRight ? 110 : 170);
    l->setMinimumHeight(21);
    return l;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

TFormDisplayNokken::TFormDisplayNokken(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormDisplayNokken"));
    setWindowTitle(QStringLiteral("FormDisplayNokken"));
    setModal(true);

    StringGrid1 = new QTableWidget(Rows, Columns, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setItemDelegate(new CellDelegate(StringGrid1));
    QFont f = StringGrid1->font();
    f.setPixelSize(10);
    StringGrid1->setFont(f);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->setColumnWidth(0, 74);
    for (int c = 1; c < Columns; ++c) StringGrid1->setColumnWidth(c, 16);
    for (int r = 0; r < Rows; ++r) StringGrid1->setRowHeight(r, 16);
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c) {
            auto* item = new QTableWidgetItem;
            // The header row and column cannot be selected, as in a grid with fixed cells.
            if (r == 0 || c == 0) item->setFlags(Qt::ItemIsEnabled);
            else item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            StringGrid1->setItem(r, c, item);
        }
    const int frame = 2 * StringGrid1->frameWidth();
    StringGrid1->setFixedSize(74 + 16 * nokken::CamCount + frame, 16 * Rows + frame);
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { StringGrid1SelectCell(column, row); });

    LabelNokNummer = makeLabel(this, "LabelNokNummer", QStringLiteral("Nok"));
    LabelFunctie = makeLabel(this, "LabelFunctie", QStringLiteral("Functie"));
    LabelBron = makeLabel(this, "LabelBron", QStringLiteral("Bron"));
    LabelAanvang = makeLabel(this, "LabelAanvang", QStringLiteral("Aanvang"));
    LabelEinde = makeLabel(this, "LabelEinde", QStringLiteral("Einde"));
    LabelHysteresis = makeLabel(this, "LabelHysteresis", QStringLiteral("Hysteresis"));
    LabelVervroeging = makeLabel(this, "LabelVervroeging", QStringLiteral("Vervroeging"));
    PanelNokNummer = makePanel(this, "PanelNokNummer", Qt::AlignRight);
    PanelFunctie = makePanel(this, "PanelFunctie", Qt::AlignRight);
    PanelBron = makePanel(this, "PanelBron", Qt::AlignRight);
    PanelAanvang = makePanel(this, "PanelAanvang", Qt::AlignRight);
    PanelSelectAanvang = makePanel(this, "PanelSelectAanvang", Qt::AlignLeft);
    PanelEinde = makePanel(this, "PanelEinde", Qt::AlignRight);
    PanelSelectEinde = makePanel(this, "PanelSelectEinde", Qt::AlignLeft);
    PanelHysteresis = makePanel(this, "PanelHysteresis", Qt::AlignRight);
    PanelVervroeging = makePanel(this, "PanelVervroeging", Qt::AlignRight);
    PanelFunctie->setMinimumWidth(170);
    PanelBron->setMinimumWidth(170);

    auto* details = new QGridLayout;
    int row = 0;
    auto addRow = [&](QLabel* label, QLabel* value, QLabel* select = nullptr) {
        details->addWidget(label, row, 0);
        details->addWidget(value, row, 1);
        if (select) details->addWidget(select, row, 2);
        ++row;
    };
    addRow(LabelNokNummer, PanelNokNummer);
    addRow(LabelFunctie, PanelFunctie);
    addRow(LabelBron, PanelBron);
    addRow(LabelAanvang, PanelAanvang, PanelSelectAanvang);
    addRow(LabelEinde, PanelEinde, PanelSelectEinde);
    addRow(LabelHysteresis, PanelHysteresis);
    addRow(LabelVervroeging, PanelVervroeging);
    details->setColumnStretch(3, 1);

    // What the cell colours mean, under the grid.
    auto* legendRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* swatch = new QLabel(this);
        swatch->setObjectName(QStringLiteral("LegendaKleur%1").arg(i + 1));
        swatch->setFixedSize(16, 16);
        swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
        swatch->setAutoFillBackground(true);
        auto* text = new QLabel(this);
        text->setObjectName(QStringLiteral("LegendaTekst%1").arg(i + 1));
        LegendaKleur[i] = swatch;
        LegendaTekst[i] = text;
        legendRow->addWidget(swatch);
        legendRow->addWidget(text);
        legendRow->addSpacing(12);
    }
    legendRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StringGrid1);
    layout->addLayout(legendRow);
    layout->addLayout(details);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormDisplayNokken::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Restoring a minimised window is no new opening.
    if (!event->spontaneous()) FormActivate();
}

void TFormDisplayNokken::FormActivate()
{
    const bool taalOk = app().TaalGeladen;
    QString rijTekst;
    if (taalOk) {
        setWindowTitle(texts::DisplayNokken("Caption"));
        rijTekst = texts::DisplayNokken("RijTekst");
        LabelNokNummer->setText(texts::DisplayNokken("LabelNokNo"));
        LabelFunctie->setText(texts::DisplayNokken("LabelFuncte"));
        LabelBron->setText(texts::DisplayNokken("LabelBron"));
        LabelAanvang->setText(texts::DisplayNokken("LabelAanvang"));
        LabelEinde->setText(texts::DisplayNokken("LabelEinde"));
        LabelHysteresis->setText(texts::DisplayNokken("LAbelHysteresis"));
        LabelVervroeging->setText(texts::DisplayNokken("LabelVervroeging"));
    }
    for (int o = 1; o < Rows; ++o) {
        const QString nr = QString::number(o);
        StringGrid1->item(o, 0)->setText(taalOk ? rijTekst + QLatin1Char('-') + nr : nr);
    }
    for (int n = 1; n < Columns; ++n) StringGrid1->item(0, n)->setText(QString::number(n));
    const QList<nokken::LegendEntry> entries = nokken::legend();
    for (int i = 0; i < 3 && i < entries.size(); ++i) {
        QPalette p = LegendaKleur[i]->palette();
        p.setColor(QPalette::Window, entries[i].colour);
        LegendaKleur[i]->setPalette(p);
        LegendaTekst[i]->setText(entries[i].text);
    }
    StringGrid1->viewport()->update();
    const int col = StringGrid1->currentColumn();
    const int row = StringGrid1->currentRow();
    UpdateOnSelectedCell(col < 0 ? 1 : col, row < 0 ? 1 : row);
}

void TFormDisplayNokken::StringGrid1SelectCell(int column, int row)
{
    UpdateOnSelectedCell(column, row);
}

void TFormDisplayNokken::UpdateOnSelectedCell(int column, int row)
{
    const nokken::CamDetails d = nokken::details(column, row);
    PanelNokNummer->setText(d.nokNummer);
    PanelFunctie->setText(d.functie);
    PanelBron->setText(d.bron);
    PanelAanvang->setText(d.aanvang);
    PanelSelectAanvang->setText(d.selectAanvang);
    PanelEinde->setText(d.einde);
    PanelSelectEinde->setText(d.selectEinde);
    PanelHysteresis->setText(d.hysteresis);
    PanelVervroeging->setText(d.vervroeging);
}

} // namespace vx
