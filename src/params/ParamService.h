#pragma once
// The service dialog: edits the parameter selected in the editor (ServicePar), stores
// it in ParWaarden and can write it to the controller ("wp") and have the controller
// compute its derived parameters ("bp").
#include "plans/TransferPlans.h"

#include <QDialog>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vx::plans {
class AsyncRunner;
}

namespace vx {

class TPX400Protocol;
class TSXProtocolComponent;
struct TCommError;

class TFormParamService : public QDialog {
    Q_OBJECT
public:
    ~TFormParamService() override;
    explicit TFormParamService(QWidget* parent = nullptr);

    QLabel* LabelMin = nullptr;
    QLabel* LabelMax = nullptr;
    QLabel* LabelDefault = nullptr;
    QLabel* LabelParData = nullptr;
    QLabel* PanelMin = nullptr;
    QLabel* PanelMax = nullptr;
    QLabel* PanelDefault = nullptr;
    QLineEdit* MaskEditParData = nullptr;
    QComboBox* ComboParData = nullptr;
    QLabel* PanelService = nullptr;
    QPushButton* CmdDefault = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdBerPar = nullptr;
    QPushButton* CmdZenden = nullptr;
    QPushButton* CmdCancel = nullptr;
    TPX400Protocol* PX400ZendServiceParameter = nullptr;
    TPX400Protocol* PX400ServiceBerPar = nullptr;

    // Dialog state, set on activation.
    int nummer() const { return m_nummer; }
    bool isOptie() const { return m_optie; }
    int decimalen() const { return m_decimalen; }
    int integerCijfers() const { return m_integerCijfers; }
    // Whether a "wp" or "bp" is out and the buttons are disabled.
    bool wachten() const { return m_wachten; }
    // Whether the status panel shows an error (red).
    bool panelFout() const { return m_panelFout; }
    // The value the controller confirmed for this parameter since the dialog opened.
    std::optional<qint32> bevestigdeWaarde() const { return m_bevestigd; }

public slots:
    void FormActivate();
    void CmdOKClick();
    void CmdZendenClick();
    void CmdBerParClick();
    void CmdDefaultClick();
    void CmdCancelClick();
    // Runs the input test and stores the value; false when an error is shown.
    bool InvoerTest();

    void PX400ZendServiceParameterCommResult(TSXProtocolComponent* sender, const QByteArray& reply);
    void PX400ServiceBerParCommResult(TSXProtocolComponent* sender, const QByteArray& reply);
    void PX400CommError(TSXProtocolComponent* sender, const TCommError& error, const QByteArray& reply);

protected:
    // Sends one request through its plan; the outcome shows when it ends.
    void runPlan(const plans::ValuePlan::Job& job, int channel);
    void planFinished();

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LezenTeksten();
    void toonStatus(const QString& text, bool fout);
    void setWachten(bool on);
    bool portOpen() const;
    bool MaskEditKeyPress(QChar key);

    int m_nummer = 0;
    bool m_optie = false;
    int m_decimalen = 0;
    int m_integerCijfers = 0;
    bool m_wachten = false;
    bool m_panelFout = false;
    std::optional<qint32> m_bevestigd;
    // A write got no usable reply: what the controller holds is being read.
    bool m_terugLezen = false;
    qint32 m_gezonden = 0;
    void teruggelezen();
    QString m_panelTekst[11];
    plans::AsyncRunner* m_runner = nullptr;
    std::unique_ptr<plans::ValuePlan> m_plan;
};

} // namespace vx
