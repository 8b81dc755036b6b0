#pragma once
// The diagnosis window Tfrmsystemconfig: the current coupler's state bits, its BOOTP
// and Plug & Play switches, the error reset and the restart with a wait until the
// coupler is back. The window shows; CouplerDiagnosis decides.

#include "access/coupler_diagnosis.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace korvo {

class Tfrmsystemconfig : public QWidget, public DiagnosisUi {
    Q_OBJECT
public:
    static constexpr int kTimerMs = 5000;

    // A window of its own that lives as long as its parent.
    explicit Tfrmsystemconfig(QWidget* parent);

    // The logic exists from the main window's first activation on.
    void Bind(CouplerDiagnosis& diagnosis) { diagnosis_ = &diagnosis; }

    // The activation handler and the restart wait's timer event.
    void FormActivate();
    void TimerTimer();

    void SetStatus(const std::string& text) override;
    void ShowState(const CouplerState& state) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ProcessMessages() override;
    void SetRestartButton(bool down, const std::string& caption) override;
    void SetProgress(int position) override;
    void SetTimerEnabled(bool enabled) override;
    void SetStationText(const std::string& text) override;

Q_SIGNALS:
    // The "?" button: the help page about diagnosis.
    void helpRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    QPushButton* AddButton(const char* name, const QString& caption, void (CouplerDiagnosis::*click)());

    CouplerDiagnosis* diagnosis_ = nullptr;
    QLabel* st_;
    QCheckBox* ready_;
    QCheckBox* activ_;
    QCheckBox* run_;
    QCheckBox* submodulFail_;
    QCheckBox* busFail_;
    QCheckBox* userFail_;
    QCheckBox* controllerFail_;
    QCheckBox* warning_;
    QCheckBox* plugPlay_;
    QPushButton* restart_;
    QProgressBar* progress_;
    QLabel* status_;
    QTimer* timer_;
};

}  // namespace korvo
