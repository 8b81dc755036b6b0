#pragma once
// The BOOTP server window TfrmBootpServer ("UDP Bootp Server"): the address fields of
// the two tabs, the arming check boxes, ping, restart and the request log. It owns
// the UDP socket, bound when the window is created at program start, and hands every
// datagram to BootpServer on the window thread; BootpServer decides.

#include "tools/bootp_socket.h"
#include "tools/udp_bootp_server.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSocketNotifier;

namespace korvo {

class TfrmBootpServer : public QWidget, public BootpUi {
    Q_OBJECT
public:
    // A window of its own that lives as long as its parent. program is the path shown
    // in the hint on how to allow the port when it cannot be bound.
    TfrmBootpServer(QWidget* parent, const BootpEndpoints& endpoints, const std::string& program);

    // The logic exists from the main window's first activation on.
    void Bind(BootpServer& server);
    // Shows the window with the current coupler's settings, whether or not the window
    // manager activates it (a menu that closes may take the activation back).
    void Open();
    BootpSocket& Socket() { return socket_; }

    // Handlers of the window's events.
    void FormActivate();
    void UDPServer67UDPRead();

    void ShowField(BootpField field, const std::string& text) override;
    void ShowArmed(bool checkIP, bool checkIP1) override;
    void AddLogLine(const std::string& line) override;
    void ClearLog() override;
    void SetPingButtonEnabled(bool enabled) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ProcessMessages() override;
    void SetStationStatus(const std::string& text) override;
    void ShowHelpPage(int page) override;

Q_SIGNALS:
    // Panel 0 of the main window's status line.
    void stationStatusChanged(const QString& text);
    // The "?" button: the help viewer opens the page.
    void helpRequested(int page);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    using BootpClick = void (BootpServer::*)();
    // Forwards the button's clicks to the logic once it is bound.
    void OnClick(QPushButton* button, BootpClick click);
    QLineEdit* AddField(BootpField field, const char* name, const QString& mask);
    QWidget* CreateFirstTab();
    QWidget* CreateSecondTab();
    QLineEdit* Edit(BootpField field) const { return fields_[static_cast<std::size_t>(field)]; }

    BootpServer* server_ = nullptr;
    BootpSocket socket_;
    QSocketNotifier* notifier_ = nullptr;
    std::array<QLineEdit*, kBootpFieldCount> fields_{};
    QCheckBox* checkIP_ = nullptr;
    QCheckBox* checkIP1_ = nullptr;
    QPushButton* buPing_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    std::vector<std::uint8_t> datagram_;
};

}  // namespace korvo
