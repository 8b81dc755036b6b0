#pragma once
// The window "find couplers": the couplers of an address range with their modules and
// state, matched with the project's stations; a row's menu reads the station, pings
// the coupler or opens the BOOTP window.

#include "background_work.h"
#include "online/coupler_discovery.h"

#include <QWidget>

#include <atomic>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace korvo {

class StationModel;

struct CouplerSearchActions {
    std::function<void(const std::string& address)> readStation;
    std::function<void(const std::string& address)> ping;
    std::function<void(const std::string& address)> bootp;
};

class TfrmCouplerSearch : public QWidget {
    Q_OBJECT
public:
    TfrmCouplerSearch(QWidget* parent, std::function<StationModel*()> model, const CatalogueList& catalogue,
                      CouplerSearchActions actions);
    ~TfrmCouplerSearch() override;

    // Shows the window; the range starts as the project's addresses suggest.
    void Open();
    void FindClick();
    void CancelClick();
    // The row's context menu commands.
    void ReadStationOf(int row);
    void PingOf(int row);
    void BootpOf(int row);

    const Discovery& Found() const { return found_; }
    bool Running() const { return work_.Running(); }

private:
    void ShowFound();
    void SetStatus(const QString& text, bool failure);
    void ShowRowMenu(const QPoint& at);

    std::function<StationModel*()> model_;
    CatalogueList catalogue_;
    CouplerSearchActions actions_;
    Discovery found_;
    std::atomic<bool> cancel_{false};
    BackgroundWork work_;
    QLineEdit* editRange_;
    QPushButton* buttonFind_;
    QPushButton* buttonCancel_;
    QTableWidget* table_;
    QLabel* labelStatus_;
};

}  // namespace korvo
