#pragma once
// The bus coupler's properties window TfrmKorvo_NC_ETH: station name, the three
// masked address fields, the connection test and its status panel. Korvo_NC_ETH
// decides; the window shows.

#include "dialogs/korvo_nc_eth.h"
#include "module_window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvo {

class TfrmKorvo_NC_ETH : public ModuleWindow, public CouplerUi {
    Q_OBJECT
public:
    // The connection test uses the pinger, by default the real ICMP echo.
    TfrmKorvo_NC_ETH(ModelSource model, QWidget* owner, Pinger* pinger = nullptr);

    void SetStatus(const std::string& text, StatusKind kind) override;
    void SetPingEnabled(bool enabled) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ProcessMessages() override;

protected:
    void FormActivate() override;
    void FormClose() override;

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
