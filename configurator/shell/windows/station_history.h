#pragma once
// Undo and redo of the station: every user action that changed it (placing,
// inserting, deleting, moving modules, a dialog's saved parameters, the coupler's
// settings, the project's properties) is one step on Qt's undo stack. A step holds
// the project's text before and after, so any change is undone the same way,
// whichever window made it.

#include <QObject>
#include <QUndoStack>

#include <functional>
#include <string>

namespace korvo {

class StationModel;

class StationHistory : public QObject {
    Q_OBJECT
public:
    StationHistory(StationModel& model, QObject* parent);

    QUndoStack& Stack() { return stack_; }
    // After a user action: a step when the station differs from the last recorded state.
    void Record(const QString& text);
    // A project was opened or a new one begun: no history from before.
    void Reset();
    // The station was put back; the window refreshes what depends on it.
    std::function<void()> Restored;

private:
    friend class StationStep;
    void Restore(const std::string& projectText);

    StationModel& model_;
    QUndoStack stack_;
    std::string recorded_;
};

}  // namespace korvo
