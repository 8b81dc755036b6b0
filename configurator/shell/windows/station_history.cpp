#include "station_history.h"

#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"

#include <QUndoCommand>

#include <utility>

namespace korvo {

class StationStep : public QUndoCommand {
public:
    StationStep(StationHistory& history, std::string before, std::string after, const QString& text)
        : QUndoCommand(text), history_(history), before_(std::move(before)), after_(std::move(after)) {}

    void undo() override { history_.Restore(before_); }
    void redo() override {
        // Pushing the step runs redo once; the change is already made then.
        if (std::exchange(first_, false)) return;
        history_.Restore(after_);
    }

private:
    StationHistory& history_;
    std::string before_;
    std::string after_;
    bool first_ = true;
};

StationHistory::StationHistory(StationModel& model, QObject* parent)
    : QObject(parent), model_(model), recorded_(ProjectText(model)) {}

void StationHistory::Record(const QString& text) {
    std::string now = ProjectText(model_);
    if (now == recorded_) return;
    std::string before = std::exchange(recorded_, now);
    stack_.push(new StationStep(*this, std::move(before), std::move(now), text));
}

void StationHistory::Reset() {
    stack_.clear();
    recorded_ = ProjectText(model_);
}

void StationHistory::Restore(const std::string& projectText) {
    recorded_ = projectText;
    model_.Ui().ResetZoom();
    // The view's selection goes with the old module objects.
    model_.CurrentModule = 0;
    model_.SelectedCoupler = 0;
    LoadProject(model_, ProfileFile::FromText(projectText));
    model_.CurrentModule = 0;
    model_.Ui().SetPlacementMode("");
    if (Restored) Restored();
}

}  // namespace korvo
