#pragma once
// The station view: draws the station list as module panels in rows, one row per
// station, and turns mouse and key events into station-model operations. It owns the
// in-memory catalogue and the station model for its whole life.

#include "station/app_state.h"
#include "station/profile_file.h"
#include "station/station_model.h"
#include "station/station_ui.h"

#include <QScrollArea>
#include <QStringList>

#include <map>

namespace korvo {

class LedShape;
class ModulePanel;

// The grey background PaForm; a click on it selects nothing.
class StationBackground : public QWidget {
    Q_OBJECT
public:
    explicit StationBackground(QWidget* parent);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class TfrmKonfig : public QScrollArea, public StationUi {
    Q_OBJECT
public:
    // Loads the catalogue "korvo_config.ini" of the program folder into memory.
    TfrmKonfig(AppState& state, QWidget* parent);
    ~TfrmKonfig() override;

    StationModel& Model() { return model_; }
    ModulePanel* Panel(int slot) const;
    int ClickedLed() const { return clickedLed_; }
    // Scale factor of the module drawings: 2 at zoom level 1, 1 at 2, 0.5 at 3.
    double Scale() const;

    // The zoom steps and the arrangement switch of the main window.
    void StepSmaller();
    void StepLarger();
    void ToggleArrangement();
    // Key presses of the view, also those the main window passes on.
    void HandleKey(int key);

    // StationUi: what the model asks of the view.
    void ModuleCreated(int slot, TModul& module, bool visible) override;
    void ModuleRemoved(TModul& module) override;
    void ModuleMoved(int slot, TModul& module) override;
    void ShowPicture(int slot, const std::string& file) override;
    void LayoutLeds(int slot) override;
    void RenameLeds(int fromSlot, int toSlot) override;
    void ArrangeModules(int count) override;
    void BulkCreation(bool started) override;
    void ResetZoom() override;
    void ScrollToOrigin() override;
    void ScrollToEnd() override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void SetStationStatus(const std::string& text) override;
    void SetPlacementMode(const std::string& text) override;

Q_SIGNALS:
    void placementModeChanged(const QString& text);
    void stationStatusChanged(const QString& text);
    void zoomChanged();
    // Right click on a module picture: open the module popup there.
    void popupRequested(const QPoint& screenPosition, bool restartVisible);
    void propertiesRequested(int slot);
    void moduleDumped(const QStringList& lines);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The view fills the main window's client area; the background follows its size.
    void resizeEvent(QResizeEvent* event) override;

private:
    void PicturePressed(ModulePanel* panel, Qt::MouseButton button, QPoint position);
    void LedPressed(LedShape* led);
    void ApplyScale();
    void FitBackground();

    AppState& state_;
    ProfileFile catalogueIni_;
    StationModel model_;
    StationBackground* paForm_;
    std::map<const TModul*, ModulePanel*> panels_;
    int clickedLed_ = 0;
    // The background was shown when a bulk creation hid it.
    bool showAfterBulk_ = false;
};

}  // namespace korvo
