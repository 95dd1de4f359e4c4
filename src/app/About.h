#pragma once
// The About window: program title, version and the maker's address block.
#include <QDialog>
#include <QUrl>

class QLabel;

namespace vx {

// The maker's web address, opened through the desktop's default handler.
inline constexpr const char* MakerWebAddress = "https://www.talvik.example/";

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);

    QLabel* LabelFirma = nullptr;
    QLabel* LabelHandelsmerk = nullptr;
    QLabel* LabelBouwdatum = nullptr;
    QLabel* LabelProblemen = nullptr;
    QLabel* LabelWWWLink = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* LabelTitel = nullptr;
    QLabel* LabelSoftwareVersie = nullptr;
    QLabel* LabelInstellingen = nullptr; // which application.ini this run uses

    // The logo, drawn here rather than shipped as a picture.
    static QPixmap logo();

public slots:
    void FormActivate();
    void LabelWWWLinkClick();
    void LabelWWWLinkMouseMove();
    void FormMouseMove();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

} // namespace vx
