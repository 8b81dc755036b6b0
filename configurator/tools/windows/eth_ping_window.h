#pragma once
// The ping window TfrmPing: the computer's own name and address, the host to ping and
// one line per echo attempt. EthPing decides; the window shows.

#include "tools/eth_ping.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace korvo {

class TfrmPing : public QDialog {
    Q_OBJECT
public:
    // A window of its own, not modal, that lives as long as its parent.
    TfrmPing(QWidget* parent, Pinger& pinger);

    // Shows the window with the host to ping: the given one, or when none is given
    // the initial text if the window was closed (what was typed stays otherwise).
    void Open(const std::string& host);

    // The activation handler and the "&Ping" button.
    void FormActivate();
    void btnPingClick();

protected:
    void changeEvent(QEvent* event) override;

private:
    EthPing logic_;
    QLabel* hostName_;
    QLabel* hostAddress_;
    QLineEdit* edtHost_;
    QPushButton* btnPing_;
    QListWidget* lstReplies_;
};

}  // namespace korvo
