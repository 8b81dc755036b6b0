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
#include <set>

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
    // Marks the couplers in these slots over budget, and no others.
    void MarkOverBudget(const std::set<int>& couplerSlots);
    // Key presses of the view, also those the main window passes on: Delete deletes,
    // the arrow keys select the module before or after, with Ctrl they move the
    // current module there, Enter opens its properties.
    void HandleKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

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
    SaveAnswer AskSaveChanges(const std::string& text, const std::string& caption) override;
    void StationChanged() override { Q_EMIT stationChanged(); }
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void SetStationStatus(const std::string& text) override;
    void SetPlacementMode(const std::string& text) override;

Q_SIGNALS:
    void placementModeChanged(const QString& text);
    void stationStatusChanged(const QString& text);
    void zoomChanged();
    void stationChanged();
    // Right click on a module picture: open the module popup there.
    void popupRequested(const QPoint& screenPosition, bool restartVisible);
    void propertiesRequested(int slot);
    void moduleDumped(const QStringList& lines);
    // A module was selected by a click or a key.
    void moduleSelected(int slot);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The pictures' tooltips and drags.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The view fills the main window's client area; the background follows its size.
    void resizeEvent(QResizeEvent* event) override;

private:
    void PicturePressed(ModulePanel* panel, Qt::MouseButton button, QPoint position);
    // As a left click on the module's picture does, and scrolls it into sight.
    void Select(int slot);
    void LedPressed(LedShape* led);
    void ApplyScale();
    void FitBackground();

    AppState& state_;
    ProfileFile catalogueIni_;
    StationModel model_;
    StationBackground* paForm_;
    std::map<const TModul*, ModulePanel*> panels_;
    int clickedLed_ = 0;
    // The slot a left button went down on, and where, until it is released.
    int dragFrom_ = 0;
    QPoint dragStart_;
    // The background was shown when a bulk creation hid it.
    bool showAfterBulk_ = false;
};

}  // namespace korvo
