#include "setpoints/EditSollwerten.h"

#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "params/CompareWindow.h"
#include "params/ControllerImage.h"
#include "params/EditParam.h"
#include "params/FixedPoint.h"
#include "params/LeesParSoll.h"
#include "params/ParFiles.h"
#include "params/SchrijfParSoll.h"
#include "params/ValueStore.h"
#include "setpoints/AfdrukkenSoll.h"
#include "setpoints/Reports.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vx {

namespace {

constexpr int ColumnWidths[5] = {30, 105, 37, 31, 104};
constexpr int RowHeight = 16;

bool isArrow(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
}

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

QFont gridFont()
{
    // "Courier" 15 pixels high counts the whole character cell. Scalable faces give
    // their em size instead, so take the largest one whose cell fits the 16-pixel
    // row below the 2-pixel top margin: a clipped comma would read as a point.
    QFont f(QStringLiteral("Courier"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    for (int px = 15; px >= 9; --px) {
        f.setPixelSize(px);
        if (QFontMetrics(f).height() <= RowHeight - 2)
            break;
    }
    return f;
}

} // namespace

// The grid: selection rules, arrow jumps and key filtering go through the window.
class SollGrid : public QTableWidget {
public:
    SollGrid(TFormEditSollwerten* form, int rows, int cols) : QTableWidget(rows, cols, form), m_form(form) { }

    void closeEditorNow(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) { closeEditor(editor, hint); }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (m_form->editing()) {
            // Keys only get here when the editor passed them on; never leave the cell.
            if (isArrow(e->key()))
                return;
            QTableWidget::keyPressEvent(e);
            return;
        }
        if (m_form->StringGrid1KeyDown(e->key()))
            return;
        const QString text = e->text();
        if (!text.isEmpty() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            // A typed character opens the editor, which replaces the cell's text with it.
            if (m_form->StringGrid1KeyPress(text.at(0), QString()).isNull())
                return;
        }
        QTableWidget::keyPressEvent(e);
    }

    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        const QModelIndex target = QTableWidget::moveCursor(action, modifiers);
        if (!target.isValid() || !m_form->StringGrid1SelectCell(target.column(), target.row()))
            return currentIndex();
        return target;
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        const QModelIndex at = indexAt(e->position().toPoint());
        if (at.isValid() && !m_form->StringGrid1SelectCell(at.column(), at.row())) {
            if (QLineEdit* editor = m_form->inplaceEditor())
                editor->setFocus(Qt::MouseFocusReason);
            else
                setFocus(Qt::MouseFocusReason);
            e->accept();
            return;
        }
        QTableWidget::mousePressEvent(e);
    }

    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        const QModelIndex at = indexAt(e->position().toPoint());
        if (at.isValid() && !m_form->StringGrid1SelectCell(at.column(), at.row())) {
            e->accept();
            return;
        }
        QTableWidget::mouseDoubleClickEvent(e);
    }

    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        if (!index.isValid() || TFormEditSollwerten::sollNr(index.column(), index.row()) == 0)
            return false;
        return QTableWidget::edit(index, trigger, event);
    }

    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        QTableWidget::closeEditor(editor, hint);
        m_form->editorClosed();
    }

    void focusInEvent(QFocusEvent* e) override
    {
        QTableWidget::focusInEvent(e);
        viewport()->update();
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QTableWidget::focusOutEvent(e);
        viewport()->update();
    }

private:
    TFormEditSollwerten* m_form;
};

// Cells are drawn by the window's rules; the in-place editor is a line edit whose keys
// the window sees first. Values are stored only by Enter, never by the view.
class SollDelegate : public QStyledItemDelegate {
public:
    explicit SollDelegate(TFormEditSollwerten* form) : QStyledItemDelegate(form), m_form(form) { }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* le = new QLineEdit(parent);
        le->setObjectName(QStringLiteral("InplaceEditor"));
        le->setFrame(false);
        le->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        le->setFont(gridFont());
        le->setTextMargins(0, 0, 2, 0);
        le->setContextMenuPolicy(Qt::NoContextMenu); // no paste around the key filter
        m_form->editorOpened(le);
        return le;
    }

    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override { }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        editor->setGeometry(option.rect);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        m_form->StringGrid1DrawCell(painter, index.column(), index.row(), option.rect);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            if (auto* le = qobject_cast<QLineEdit*>(object))
                if (m_form->editorKey(le, static_cast<QKeyEvent*>(event)))
                    return true;
        } else if (event->type() == QEvent::ShortcutOverride) {
            // Enter and Escape belong to the cell, not to the dialog's default button.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (isEnter(key) || key == Qt::Key_Escape) {
                event->accept();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // The cell stays in edit until Enter or Escape; a click elsewhere is refused.
            return false;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TFormEditSollwerten* m_form;
};

TFormEditSollwerten::TFormEditSollwerten(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormEditSollwerten"));
    setWindowTitle(QStringLiteral("FormEditSollwerten"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // Shown even without a language file, so a refused value is never silent.
    InvalidText = QStringLiteral("Ingane ongeldig!");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_grid = new SollGrid(this, Rows + 1, 5);
    StringGrid1 = m_grid;
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setItemDelegate(new SollDelegate(this));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                 | QAbstractItemView::AnyKeyPressed);
    StringGrid1->setTabKeyNavigation(false);
    StringGrid1->setFont(gridFont());
    StringGrid1->verticalHeader()->setMinimumSectionSize(RowHeight);
    int width = 0;
    for (int c = 0; c < 5; ++c) {
        StringGrid1->setColumnWidth(c, ColumnWidths[c]);
        width += ColumnWidths[c];
    }
    for (int r = 0; r <= Rows; ++r) {
        StringGrid1->setRowHeight(r, RowHeight);
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem;
            Qt::ItemFlags flags = Qt::ItemIsEnabled;
            if (sollNr(c, r) != 0)
                flags |= Qt::ItemIsSelectable | Qt::ItemIsEditable;
            item->setFlags(flags);
            StringGrid1->setItem(r, c, item);
        }
    }
    const int frame = 2 * StringGrid1->frameWidth();
    StringGrid1->setFixedSize(width + frame, (Rows + 1) * RowHeight + frame);
    layout->addWidget(StringGrid1);

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setAlignment(Qt::AlignCenter);
    QFont pf = Panel1->font();
    pf.setBold(true);
    pf.setPixelSize(13);
    Panel1->setFont(pf);
    QPalette pal = Panel1->palette();
    pal.setColor(QPalette::WindowText, Qt::red);
    Panel1->setPalette(pal);
    Panel1->setFixedHeight(24);
    layout->addWidget(Panel1);

    buildMenu();
    layout->setMenuBar(SollMenu1);

    // The focus colours of the grid follow the keyboard focus, the editor's included.
    connect(qApp, &QApplication::focusChanged, StringGrid1, [grid = StringGrid1] { grid->viewport()->update(); });
}

void TFormEditSollwerten::buildMenu()
{
    SollMenu1 = new QMenuBar(this);
    SollMenu1->setObjectName(QStringLiteral("SollMenu1"));
    SollMenu1->setNativeMenuBar(false);
    Bestand1 = SollMenu1->addMenu(QStringLiteral("Bestand"));
    Bestand1->setObjectName(QStringLiteral("Bestand1"));
    auto add = [](QMenu* m, const char* name, const QString& caption) {
        QAction* a = m->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    Openen1 = add(Bestand1, "Openen1", QStringLiteral("Openen"));
    Opslaanals1 = add(Bestand1, "Opslaanals1", QStringLiteral("Opslaan als"));
    N1 = Bestand1->addSeparator();
    Afdrukken = add(Bestand1, "Afdrukken", QStringLiteral("Afdrukken"));
    N2 = Bestand1->addSeparator();
    Afsluiten1 = add(Bestand1, "Afsluiten1", QStringLiteral("Afsluiten"));
    ZendenOntvangen1 = SollMenu1->addMenu(QStringLiteral("Zenden && Ontvangen"));
    ZendenOntvangen1->setObjectName(QStringLiteral("ZendenOntvangen1"));
    Sollwertenontvangen1 = add(ZendenOntvangen1, "Sollwertenontvangen1", QStringLiteral("Sollwerten ontvangen"));
    Sollwertenzenden1 = add(ZendenOntvangen1, "Sollwertenzenden1", QStringLiteral("Sollwerten zenden"));
    Vergelijken1 = add(ZendenOntvangen1, "Vergelijken1", QStringLiteral("Vergelijken..."));
    connect(Vergelijken1, &QAction::triggered, this, &TFormEditSollwerten::Vergelijken1Click);

    connect(Openen1, &QAction::triggered, this, &TFormEditSollwerten::Openen1Click);
    connect(Opslaanals1, &QAction::triggered, this, &TFormEditSollwerten::Opslaanals1Click);
    connect(Afdrukken, &QAction::triggered, this, &TFormEditSollwerten::AfdrukkenClick);
    connect(Afsluiten1, &QAction::triggered, this, &TFormEditSollwerten::Afsluiten1Click);
    connect(Sollwertenontvangen1, &QAction::triggered, this, &TFormEditSollwerten::Sollwertenontvangen1Click);
    connect(Sollwertenzenden1, &QAction::triggered, this, &TFormEditSollwerten::Sollwertenzenden1Click);
}

int TFormEditSollwerten::sollNr(int col, int row)
{
    if (row < 1 || row > Rows)
        return 0;
    if (col == ColWaarde1)
        return row;
    if (col == ColWaarde2)
        return row + Rows;
    return 0;
}

QString TFormEditSollwerten::storedText(int col, int row) const
{
    const int nr = sollNr(col, row);
    return nr ? FixedToText(images::setpointDecimals(), SollWaarden.value(nr)) : QString();
}

void TFormEditSollwerten::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Values replaced elsewhere are the new reference, unless changes made here are
    // still unsent and unsaved.
    if (!event->spontaneous() && (!m_basisGezet || !gewijzigd() || SollOntvangen != m_ontvangenGezien))
        nieuweBasis(bronVanStatus());
    FormActivate();
}

bool TFormEditSollwerten::gewijzigd() const
{
    return m_basisGezet && !(SollWaarden == m_basis);
}

void TFormEditSollwerten::nieuweBasis(const QString& bron)
{
    m_basis = SollWaarden;
    m_basisStatus = SollStatus;
    m_basisGezet = true;
    m_bron = bron;
    m_ontvangenGezien = SollOntvangen;
    updateTitel();
    StringGrid1->viewport()->update();
}

compare::ValueSet TFormEditSollwerten::alsSet() const
{
    compare::ValueSet set;
    set.hasSetpoints = true;
    set.soll = SollWaarden;
    return set;
}

bool TFormEditSollwerten::basisVanBesturing() const
{
    return m_basisGezet && m_bron == controllerSource();
}

QString TFormEditSollwerten::bronVanStatus() const
{
    if (SollStatus == 1)
        return controllerSource();
    return SollStatus == 2 ? m_bron : QString();
}

void TFormEditSollwerten::updateTitel()
{
    const QString note = SollStatus != 0 ? controllerNote(alsSet(), basisVanBesturing(), SollGenomen,
                                                          images::setpointDecimals())
                                         : QString();
    setWindowTitle(editorTitle(app().TaalGeladen ? texts::EditSollwert("Caption") : QStringLiteral("FormEditSollwerten"),
                               m_bron + note, gewijzigd()));
}

void TFormEditSollwerten::reject()
{
    if (VraagOnbewaard())
        QDialog::reject();
}

void TFormEditSollwerten::verwerpWijzigingen()
{
    // Left in the store, discarded values would still go out with the next whole-set send.
    SollWaarden = m_basis;
    SollStatus = m_basisStatus;
    InitSollwertStringgrid();
    updateTitel();
}

bool TFormEditSollwerten::VraagOnbewaard()
{
    if (!gewijzigd() || !app().TaalGeladen)
        return true;
    QMessageBox::StandardButtons buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    if (app().SXComm1 && app().SXComm1->Active() && FormSchrijfParSoll())
        buttons |= QMessageBox::Apply;
    switch (askUnsaved(this, texts::EditSollwert("Msg_waarschuwingCaption"), texts::EditSollwert("Msg_Onbewaard"),
                       buttons, texts::EditSollwert("CmdZenden"))) {
    case QMessageBox::Apply: Sollwertenzenden1Click(); return !gewijzigd();
    case QMessageBox::Save: Opslaanals1Click(); return !gewijzigd();
    case QMessageBox::Discard: verwerpWijzigingen(); return true;
    default: return false;
    }
}

void TFormEditSollwerten::setMenuTexts()
{
    updateTitel();
    const QString no = texts::EditSollwert("Kolomtekst_no");
    const QString waarde = texts::EditSollwert("Kolomtekst_waarde");
    StringGrid1->item(0, ColNo1)->setText(no);
    StringGrid1->item(0, ColNo2)->setText(no);
    StringGrid1->item(0, ColWaarde1)->setText(waarde);
    StringGrid1->item(0, ColWaarde2)->setText(waarde);
    Bestand1->setTitle(texts::EditSollwert("menuBestand"));
    Openen1->setText(texts::EditSollwert("subOpenen"));
    Opslaanals1->setText(texts::EditSollwert("subOpslaanAls"));
    Afdrukken->setText(texts::EditSollwert("subAfdrukken"));
    Afsluiten1->setText(texts::EditSollwert("subAfsluiten"));
    ZendenOntvangen1->setTitle(texts::EditSollwert("menuZendenOntvangen"));
    Sollwertenontvangen1->setText(texts::EditSollwert("subParOntvangen"));
    Sollwertenzenden1->setText(texts::EditSollwert("subParZenden"));
    Vergelijken1->setText(texts::Compare("MenuItem"));
    InvalidText = texts::EditSollwert("Msg_SollwertOngeldig");
}

void TFormEditSollwerten::enableItems()
{
    const bool open = app().SXComm1 && app().SXComm1->Active();
    Sollwertenontvangen1->setEnabled(open && FormLeesParSoll());
    Sollwertenzenden1->setEnabled(open && FormSchrijfParSoll());
}

void TFormEditSollwerten::FormActivate()
{
    if (app().TaalGeladen)
        setMenuTexts();
    closeEditor();
    StringGrid1->setCurrentCell(1, ColWaarde1);
    EditCol = ColWaarde1;
    EditRow = 1;
    enableItems();
    InitSollwertStringgrid();
    Panel1->clear();
}

void TFormEditSollwerten::InitSollwertStringgrid()
{
    for (int r = 1; r <= Rows; ++r) {
        StringGrid1->item(r, ColNo1)->setText(QString::number(r));
        StringGrid1->item(r, ColWaarde1)->setText(FixedToText(images::setpointDecimals(), SollWaarden.value(r)));
        StringGrid1->item(r, ColNo2)->setText(QString::number(r + Rows));
        StringGrid1->item(r, ColWaarde2)->setText(FixedToText(images::setpointDecimals(), SollWaarden.value(r + Rows)));
    }
    updateTitel();
}

// --- grid ------------------------------------------------------------------------------

bool TFormEditSollwerten::StringGrid1SelectCell(int col, int row) const
{
    if (editing() && !isEnter(LastKey))
        return false;
    return sollNr(col, row) != 0;
}

QChar TFormEditSollwerten::StringGrid1KeyPress(QChar c, const QString& remaining) const
{
    const bool allowed = c == u'\b' || c == u'\r' || c.isDigit() || c == u',' || c == u'-' || c == u'.';
    if (!allowed || (c.isDigit() && (c < u'0' || c > u'9')))
        return QChar();
    if (c == u'.')
        c = u',';
    if (c == u',' && images::setpointDecimals() <= 0)
        return QChar();
    if (c == u',' && remaining.contains(u','))
        return QChar();
    if (c == u'-' && remaining.contains(u'-'))
        return QChar();
    return c;
}

bool TFormEditSollwerten::StringGrid1KeyDown(int key)
{
    EditCol = StringGrid1->currentColumn();
    EditRow = StringGrid1->currentRow();
    LastKey = key;
    if (editing() && isArrow(key))
        return true;
    if (key == Qt::Key_Right && EditCol == ColWaarde1) {
        StringGrid1->setCurrentCell(EditRow, ColWaarde2);
        return true;
    }
    if (key == Qt::Key_Left && EditCol == ColWaarde2) {
        StringGrid1->setCurrentCell(EditRow, ColWaarde1);
        return true;
    }
    if (key == Qt::Key_Escape) {
        restoreCell();
        closeEditor();
        Panel1->clear();
        return true;
    }
    if (isEnter(key)) {
        storeEnter();
        return true;
    }
    return false;
}

bool TFormEditSollwerten::editorKey(QLineEdit* editor, QKeyEvent* event)
{
    const int key = event->key();
    // The text cursor still moves inside the cell; the cell cursor does not.
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        const bool mark = event->modifiers() & Qt::ShiftModifier;
        key == Qt::Key_Left ? editor->cursorBackward(mark) : editor->cursorForward(mark);
        LastKey = key;
        return true;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown
        || key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        LastKey = key;
        return true;
    }
    if (StringGrid1KeyDown(key))
        return true;
    const QString text = event->text();
    if (text.isEmpty())
        return false; // Home, End, Delete: editing inside the text
    const QChar typed = text.at(0);
    // Only the text that stays counts: a selected "," or "-" is about to be replaced.
    QString remaining = editor->text();
    if (editor->hasSelectedText())
        remaining.remove(editor->selectionStart(), editor->selectedText().size());
    const QChar c = StringGrid1KeyPress(typed, remaining);
    if (c.isNull())
        return true;
    if (c != typed) {
        editor->insert(QString(c));
        return true;
    }
    return false;
}

void TFormEditSollwerten::editorOpened(QLineEdit* editor) { m_editor = editor; }

void TFormEditSollwerten::editorClosed() { m_editor = nullptr; }

void TFormEditSollwerten::closeEditor()
{
    if (QLineEdit* e = m_editor) {
        m_editor = nullptr;
        m_grid->closeEditorNow(e, QAbstractItemDelegate::RevertModelCache);
    }
}

void TFormEditSollwerten::restoreCell()
{
    if (QTableWidgetItem* item = StringGrid1->item(EditRow, EditCol); item && sollNr(EditCol, EditRow))
        item->setText(storedText(EditCol, EditRow));
}

void TFormEditSollwerten::storeEnter()
{
    const int nr = sollNr(EditCol, EditRow);
    if (!nr)
        return;
    QTableWidgetItem* item = StringGrid1->item(EditRow, EditCol);
    const QString text = m_editor ? m_editor->text() : item->text();
    const qint32 v = TextToFixed(text, images::setpointDecimals(), true, MinSollwert, MaxSollwert);
    if (v == FixedMalformed || v == FixedOutOfRange) {
        item->setText(storedText(EditCol, EditRow));
        if (m_editor) {
            m_editor->setText(item->text());
            m_editor->selectAll();
        }
        Panel1->setText(InvalidText);
        return;
    }
    Panel1->clear();
    SollWaarden[nr] = v;
    item->setText(FixedToText(images::setpointDecimals(), v));
    updateTitel();
    if (EditRow < Rows) {
        StringGrid1->setCurrentCell(EditRow + 1, EditCol);
        StringGrid1->edit(StringGrid1->currentIndex());
    } else {
        closeEditor();
    }
}

void TFormEditSollwerten::StringGrid1DrawCell(QPainter* painter, int col, int row, const QRect& rect) const
{
    const QPalette& pal = StringGrid1->palette();
    const QWidget* focus = QApplication::focusWidget();
    const bool focused = focus && (focus == StringGrid1 || StringGrid1->isAncestorOf(focus));
    QColor bg = pal.color(QPalette::Base);
    QColor fg = pal.color(QPalette::Text);
    if (row == 0) {
        bg = pal.color(QPalette::Button);
    } else if (focused) {
        if (row == StringGrid1->currentRow() && col == StringGrid1->currentColumn()) {
            bg = pal.color(QPalette::Highlight);
            fg = Qt::white;
        } else if (col == ColNo1 || col == ColNo2) {
            bg = QColor(255, 255, 151);
        }
    }
    // A value changed since it was loaded, received, saved or sent.
    if (const int nr = sollNr(col, row); nr && m_basisGezet && SollWaarden.value(nr) != m_basis.value(nr)
                                         && bg == pal.color(QPalette::Base))
        bg = QColor(255, 214, 153);
    painter->save();
    painter->fillRect(rect, bg);
    painter->setPen(fg);
    painter->setFont(StringGrid1->font());
    const QTableWidgetItem* item = StringGrid1->item(row, col);
    painter->drawText(rect.adjusted(0, 2, -4, 0), Qt::AlignRight | Qt::AlignTop, item ? item->text() : QString());
    painter->restore();
}

// --- menu ------------------------------------------------------------------------------

bool TFormEditSollwerten::askWarning(const QString& caption, const QStringList& lines)
{
    return ui().message(this, QMessageBox::Warning, caption, lines.join(QStringLiteral("\n\r")),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
           == QMessageBox::Yes;
}

void TFormEditSollwerten::AfdrukkenClick()
{
    bool open = SollStatus != 0;
    bool modal = false;
    if (!open && app().TaalGeladen) {
        modal = true;
        open = askWarning(texts::Afdrukken("Msg_waarschuwingCaption"),
                          {texts::Afdrukken("AfdrukMsg_10"), texts::Afdrukken("AfdrukMsg_20"),
                           texts::Afdrukken("AfdrukMsg_30"), texts::Afdrukken("AfdrukMsg_40"),
                           texts::Afdrukken("AfdrukMsg_50")});
    }
    if (open) {
        modal = true;
        printSollwertReport(this, m_basisGezet ? unsentNumbers(SollWaarden, m_basis) : QList<int>{});
    }
    InitSollwertStringgrid();
    if (modal)
        FormActivate();
}

void TFormEditSollwerten::Afsluiten1Click() { reject(); }

void TFormEditSollwerten::Sollwertenontvangen1Click()
{
    TFormLeesParSoll* lees = FormLeesParSoll();
    if (!lees)
        return;
    if (lees->run(1) == QDialog::Accepted) {
        for (int k = 1; k <= SollCount; ++k)
            SollWaarden[k] = lees->SollwBuffer[k];
        SollStatus = 1;
        SollGenomen = QDateTime::currentDateTime();
        images::fixSetpointDecimals();
        nieuweBasis(controllerSource());
    }
    InitSollwertStringgrid();
    FormActivate();
}

void TFormEditSollwerten::Vergelijken1Click()
{
    TFormCompare w(transfer::Sets{false, true}, this);
    w.exec();
    // Written values are sent, not changes of the editor's own.
    for (const TFormCompare::Confirmed& c : w.confirmed())
        if (c.setpoint && m_basisGezet) m_basis[c.number] = c.value;
    updateTitel();
    InitSollwertStringgrid();
    FormActivate();
}

void TFormEditSollwerten::Sollwertenzenden1Click()
{
    TFormSchrijfParSoll* schrijf = FormSchrijfParSoll();
    if (!schrijf)
        return;
    bool send = SollStatus != 0;
    bool modal = false;
    if (!send && app().TaalGeladen) {
        modal = true;
        send = askWarning(texts::EditSollwert("Msg_waarschuwingCaption"),
                          {texts::EditSollwert("ZendMsg_10"), texts::EditSollwert("ZendMsg_20"),
                           texts::EditSollwert("ZendMsg_30"), texts::EditSollwert("ZendMsg_40"),
                           texts::EditSollwert("ZendMsg_50")});
    }
    if (send) {
        modal = true;
        const auto answer = askOlderSet(this, alsSet(), basisVanBesturing(), SollGenomen);
        if (answer == QMessageBox::Yes) {
            Sollwertenontvangen1Click();
            return;
        }
        send = answer == QMessageBox::No;
    }
    // The controller gets what the technician sees, in its own decimals.
    TSollWaarden out = SollWaarden;
    if (send) {
        const ControllerImage* image = images::connected();
        const std::optional<int> target = image ? image->decimals() : std::nullopt;
        const int from = images::setpointDecimals();
        if (target && *target != from) {
            if (const int bad = rescaleSetpoints(out, from, *target, MinSollwert, MaxSollwert)) {
                showError(this, texts::Verify("WriteCaption"),
                          texts::Verify("DecimalsRefused").arg(bad).arg(FixedToText(from, SollWaarden.value(bad))).arg(*target));
                send = false;
            }
        }
    }
    if (send) {
        compare::ValueSet set;
        set.hasSetpoints = true;
        set.soll = out;
        send = confirmWrite(this, set);
    }
    if (send) {
        for (int k = 1; k <= SollCount; ++k)
            schrijf->SollwBuffer[k] = out[k];
        if (schrijf->run(1) == QDialog::Accepted) {
            // Sent in the controller's decimals, the set is now in them too.
            SollWaarden = out;
            SollGenomen = QDateTime::currentDateTime();
            images::fixSetpointDecimals();
            nieuweBasis(controllerSource());
        }
    }
    InitSollwertStringgrid();
    if (modal)
        FormActivate();
}

void TFormEditSollwerten::Openen1Click()
{
    const QString name = files::chooseOpenFile(this, files::FileKind::Setpoints);
    if (!name.isEmpty() && files::readSetpointFile(this, name)) {
        nieuweBasis(QFileInfo(name).fileName());
        InitSollwertStringgrid();
    }
    FormActivate();
}

void TFormEditSollwerten::Opslaanals1Click()
{
    const QString name = files::chooseSaveFile(this, files::FileKind::Setpoints);
    const bool saved = !name.isEmpty() && files::writeSetpointFile(this, name);
    if (saved)
        nieuweBasis(QFileInfo(name).fileName());
    FormActivate();
    if (saved) {
        Panel1->setText(texts::EditSollwert("Opgeslagen").arg(QDir::toNativeSeparators(name)));
        Panel1->setToolTip(Panel1->text());
    }
}

} // namespace vx
