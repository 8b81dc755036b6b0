#pragma once
// The window "read station from coupler": the modules a coupler reports, a choice box
// on every slot whose codes several types share, and the station they make added to
// the project or put in place of the selected station's modules.

#include "background_work.h"
#include "online/station_scan.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace korvo {

class StationModel;

class TfrmStationScan : public QWidget {
    Q_OBJECT
public:
    // `model` gives the project the window works on (null before the main window's
    // first activation); `changed` is told after the project changed.
    TfrmStationScan(QWidget* parent, std::function<StationModel*()> model, const CatalogueList& catalogue,
                    Pinger& pinger, std::function<void()> changed);

    // Shows the window with an address: the given one, else what was there before.
    void Open(const std::string& address);
    void ReadClick();
    void AddClick();
    void ReplaceClick();

    const StationScan& Scan() const { return scan_; }
    // Asked before the selected station's modules are replaced; true means yes.
    std::function<bool(const QString& question)> confirm;

private:
    void ShowScan();
    void SetStatus(const QString& text, bool failure);
    void SetBusy(bool busy);
    // The types the table chooses, or nothing after saying why there are none.
    std::optional<std::vector<std::string>> ChosenTypes();
    bool RefuseWhileOnline();

    std::function<StationModel*()> model_;
    CatalogueList catalogue_;
    Pinger& pinger_;
    std::function<void()> changed_;
    StationScan scan_;
    BackgroundWork work_;
    QLineEdit* editAddress_;
    QLineEdit* editStationName_;
    QPushButton* buttonRead_;
    QTableWidget* table_;
    QPushButton* buttonAdd_;
    QPushButton* buttonReplace_;
    QLabel* labelStatus_;
};

}  // namespace korvo
