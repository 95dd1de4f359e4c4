#include "app/About.h"

#include "core/AppState.h"
#include "core/LanguageTexts.h"

#include <QDesktopServices>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace vx {

namespace {

QFrame* makeFrame(QWidget* parent, const char* name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return f;
}

QLabel* makeLine(QWidget* parent, const char* name, const QString& text, QVBoxLayout* into)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    into->addWidget(l);
    return l;
}

// Design text of the version label; the activation builds the real one.
const char* const kVersieDesign = "Software versie: 1.00";
const char* const kVersieBasis = "Software versie:";

} // namespace

QPixmap TFormAbout::logo()
{
    QPixmap pm(150, 39);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath box;
    box.addRoundedRect(QRectF(0.5, 0.5, 149, 38), 6, 6);
    QLinearGradient g(0, 0, 0, 39);
    g.setColorAt(0, QColor(0, 82, 155));
    g.setColorAt(1, QColor(0, 46, 99));
    p.fillPath(box, g);
    // A cam profile as the mark.
    p.setPen(QPen(QColor(255, 196, 0), 3));
    p.drawEllipse(QPointF(20, 19.5), 11, 11);
    p.setBrush(QColor(255, 196, 0));
    p.drawEllipse(QPointF(26, 13), 4, 4);
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(22);
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(38, 0, 110, 39), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("TALVIK"));
    return pm;
}

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("FormAbout"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(353, 394); // the design's 354, and a line for the settings file
    setMouseTracking(true);

    auto* top = new QVBoxLayout(this);

    auto* maker = makeFrame(this, "Panel1");
    auto* makerLines = new QVBoxLayout(maker);
    makerLines->setSpacing(1);
    LabelFirma = makeLine(maker, "LabelFirma", QStringLiteral("Talvik Motion Control"), makerLines);
    QFont bold = LabelFirma->font();
    bold.setBold(true);
    LabelFirma->setFont(bold);
    makeLine(maker, "LabelNotice", QStringLiteral("\u00a9 Talvik. All rights reserved."), makerLines);
    LabelHandelsmerk = makeLine(maker, "LabelHandelsmerk", QStringLiteral("Handelsmerk"), makerLines);
    // The project's own details; no made-up phone numbers.
    LabelBouwdatum = makeLine(maker, "LabelBouwdatum", QString(), makerLines);
    LabelProblemen = makeLine(maker, "LabelProblemen", QString(), makerLines);
    LabelProblemen->setWordWrap(true);
    LabelWWWLink = makeLine(maker, "LabelWWWLink", QString::fromLatin1(MakerWebAddress), makerLines);
    {
        QFont f = LabelWWWLink->font();
        f.setUnderline(true);
        LabelWWWLink->setFont(f);
        QPalette p = LabelWWWLink->palette();
        p.setColor(QPalette::WindowText, Qt::blue);
        LabelWWWLink->setPalette(p);
        LabelWWWLink->setMouseTracking(true);
        LabelWWWLink->installEventFilter(this);
    }
    top->addWidget(maker);

    auto* logoPanel = makeFrame(this, "Panel2");
    auto* logoLayout = new QVBoxLayout(logoPanel);
    Image1 = new QLabel(logoPanel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(150, 39);
    Image1->setPixmap(logo());
    logoLayout->addWidget(Image1, 0, Qt::AlignCenter);
    top->addWidget(logoPanel);

    auto* titlePanel = makeFrame(this, "Panel3");
    auto* titleLayout = new QVBoxLayout(titlePanel);
    LabelTitel = new QLabel(QLatin1String(ApplicationTitle), titlePanel);
    LabelTitel->setObjectName(QStringLiteral("LabelTitel"));
    LabelTitel->setAlignment(Qt::AlignCenter);
    LabelTitel->setWordWrap(true);
    QFont big = LabelTitel->font();
    big.setPointSize(16);
    big.setBold(true);
    LabelTitel->setFont(big);
    titleLayout->addWidget(LabelTitel);
    LabelSoftwareVersie = new QLabel(QLatin1String(kVersieDesign), titlePanel);
    LabelSoftwareVersie->setObjectName(QStringLiteral("LabelSoftwareVersie"));
    LabelSoftwareVersie->setAlignment(Qt::AlignCenter);
    LabelSoftwareVersie->setFont(bold);
    titleLayout->addWidget(LabelSoftwareVersie);
    top->addWidget(titlePanel, 1);

    LabelInstellingen = new QLabel(this);
    LabelInstellingen->setObjectName(QStringLiteral("LabelInstellingen"));
    LabelInstellingen->setWordWrap(true);
    LabelInstellingen->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(LabelInstellingen);

    for (QWidget* w : findChildren<QWidget*>()) w->setMouseTracking(true);
}

void TFormAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormAbout::FormActivate()
{
    // The version goes onto the base text, so it is never shown twice; the design
    // text carries a placeholder version of its own and is not a base.
    QString basis = QLatin1String(kVersieBasis);
    if (app().TaalGeladen) {
        setWindowTitle(texts::About("Caption"));
        LabelHandelsmerk->setText(texts::About("Handelsmerk"));
        basis = texts::About("SoftwareVersie");
    }
    LabelSoftwareVersie->setText(basis + QLatin1Char(' ') + QLatin1String(ProgrammaVersie));
    LabelBouwdatum->setText(texts::About("Bouwdatum") + QLatin1Char(' ') + QLatin1String(__DATE__));
    LabelProblemen->setText(texts::About("Problemen"));
    // Installed, the settings live per user; a technician asked for "the ini file"
    // needs to know which one.
    LabelInstellingen->setText(texts::About("Instellingen") + QLatin1Char(' ')
                               + QDir::toNativeSeparators(settingsFilePath()));
}

void TFormAbout::LabelWWWLinkClick()
{
    // The desktop decides what opens the address; nothing waits for it.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(MakerWebAddress)));
}

void TFormAbout::LabelWWWLinkMouseMove()
{
    QPalette p = LabelWWWLink->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    LabelWWWLink->setPalette(p);
    setCursor(Qt::PointingHandCursor);
}

void TFormAbout::FormMouseMove() { setCursor(Qt::ArrowCursor); }

bool TFormAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LabelWWWLink) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) LabelWWWLinkMouseMove();
        else if (event->type() == QEvent::Leave) FormMouseMove();
        else if (event->type() == QEvent::MouseButtonRelease
                 && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            LabelWWWLinkClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormAbout::mouseMoveEvent(QMouseEvent* event)
{
    FormMouseMove();
    QDialog::mouseMoveEvent(event);
}

} // namespace vx
