#pragma once
// The loader: asks the controller to compute its derived parameters ("bp") each
// time it is shown, and shows the outcome.
#include "plans/TransferPlans.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;

namespace vx::plans {
class AsyncRunner;
}

namespace vx {

class TPX400Protocol;
class TSXProtocolComponent;
struct TCommError;

class TFormParLoader : public QDialog {
    Q_OBJECT
public:
    explicit TFormParLoader(QWidget* parent = nullptr);
    ~TFormParLoader() override;

    QLabel* Panel1 = nullptr;
    QPushButton* CmdOK = nullptr;
    TPX400Protocol* PX400ParLoader = nullptr;

    bool panelFout() const { return m_panelFout; }

public slots:
    void FormActivate();
    void CmdOKClick();
    void PX400ParLoaderCommResult(TSXProtocolComponent* sender, const QByteArray& reply);
    void PX400ParLoaderCommError(TSXProtocolComponent* sender, const TCommError& error, const QByteArray& reply);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void toonStatus(const QString& text, bool fout);
    void planFinished();

    bool m_panelFout = false;
    QString m_panelTekst[7];
    plans::AsyncRunner* m_runner = nullptr;
    plans::ValuePlan m_plan{plans::ValuePlan::compute(), plans::TransferRules{false}};
};

} // namespace vx
