#pragma once
// The bus coupler's properties window TfrmKorvo_NC_ETH: station name, the three
// masked address fields, the connection test and its status panel. Korvo_NC_ETH
// decides; the window shows.

#include "dialogs/korvo_nc_eth.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvo {

class TfrmKorvo_NC_ETH : public QWidget, public CouplerUi {
    Q_OBJECT
public:
    // A window of its own that lives as long as its parent.
    TfrmKorvo_NC_ETH(QWidget* parent, StationModel& model, std::filesystem::path settingsFile, Pinger& pinger);

    // The activation handler.
    void FormActivate();

    void SetStatus(const std::string& text) override;
    void SetPingEnabled(bool enabled) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ProcessMessages() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLineEdit* AddAddressField(const char* name, AddressField field);

    Korvo_NC_ETH logic_;
    QLineEdit* edStationName_;
    QLineEdit* maskEditIp_;
    QLineEdit* subnetMask_;
    QLineEdit* maskGateway_;
    QPushButton* buPing_;
    QLabel* paStatus_;
};

}  // namespace korvo
