#pragma once
// The window "plant overview": every station of the project with its last check result
// and when it was made; "check all" checks them on threads of their own, and a double
// click makes a station the current one.

#include "background_work.h"
#include "online/plant_check.h"

#include <QWidget>

#include <atomic>
#include <functional>
#include <map>

class QLabel;
class QPushButton;
class QTableWidget;

namespace korvo {

class StationModel;

class TfrmPlantOverview : public QWidget {
    Q_OBJECT
public:
    // `makeCurrent` is given the coupler's slot of the station double clicked.
    TfrmPlantOverview(QWidget* parent, std::function<StationModel*()> model, const CatalogueList& catalogue,
                      Pinger& pinger, std::function<void(int couplerSlot)> makeCurrent);
    ~TfrmPlantOverview() override;

    void Open();
    void CheckAllClick();
    void CancelClick();
    void StationDoubleClicked(int row);
    // The project's stations as the table shows them, with the last results kept.
    void ShowStations();

    bool Running() const { return work_.Running(); }
    const std::map<std::string, StationCheck>& Results() const { return results_; }

private:
    // One station's check has ended (on the window thread).
    void StationChecked(const StationCheck& check);

    std::function<StationModel*()> model_;
    CatalogueList catalogue_;
    Pinger& pinger_;
    std::function<void(int)> makeCurrent_;
    // The last result per station, by name and address: numbers move when stations do.
    std::map<std::string, StationCheck> results_;
    std::vector<ProjectStation> shown_;
    std::atomic<bool> cancel_{false};
    BackgroundWork work_;
    QPushButton* buttonCheckAll_;
    QPushButton* buttonCancel_;
    QTableWidget* table_;
    QLabel* labelStatus_;
};

}  // namespace korvo
