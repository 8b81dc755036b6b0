#pragma once
// What the station model asks of the windows around it: the station view's drawing,
// questions to the user and the status texts. Every call has a do-nothing default so
// the model runs without a window; the GUI overrides them, tests record them.

#include <string>

namespace korvo {

struct TModul;

class StationUi {
public:
    virtual ~StationUi() = default;

    // Drawing of one module object; the model owns the object, the view its panel.
    virtual void ModuleCreated(int /*slot*/, TModul& /*module*/, bool /*visible*/) {}
    // The module object is about to be destroyed: hide and drop its panel.
    virtual void ModuleRemoved(TModul& /*module*/) {}
    // A module object moved to another slot (LED names carry the slot).
    virtual void ModuleMoved(int /*slot*/, TModul& /*module*/) {}
    // Load a picture into the module's drawing; a picture that cannot be loaded is skipped.
    virtual void ShowPicture(int /*slot*/, const std::string& /*file*/) {}
    virtual void LayoutLeds(int /*slot*/) {}
    virtual void RenameLeds(int /*fromSlot*/, int /*toSlot*/) {}
    virtual void ArrangeModules(int /*count*/) {}
    // Many modules are about to be created at once (true), or that is over
    // (false, after the one arrangement): a view may stay out of sight in
    // between instead of handling every module's drawing as it comes.
    virtual void BulkCreation(bool /*started*/) {}
    virtual void ResetZoom() {}
    virtual void ScrollToOrigin() {}
    virtual void ScrollToEnd() {}

    // A command changed the station (placed, deleted, moved a module, a dialog saved):
    // the window title's changed marker and the budgets follow.
    virtual void StationChanged() {}

    // A yes/no question; true means yes.
    virtual bool AskYesNo(const std::string& /*text*/, const std::string& /*caption*/) { return true; }
    // "save changes to NAME?": save, discard or cancel. Without a window nothing is asked.
    enum class SaveAnswer { Save, Discard, Cancel };
    virtual SaveAnswer AskSaveChanges(const std::string& /*text*/, const std::string& /*caption*/) {
        return SaveAnswer::Discard;
    }
    virtual void ShowMessage(const std::string& /*text*/, const std::string& /*caption*/) {}
    // Status-bar panel 0: the current station's name and address.
    virtual void SetStationStatus(const std::string& /*text*/) {}
    // The placement-mode label ("Insert/Delete", "Append/Delete", empty).
    virtual void SetPlacementMode(const std::string& /*text*/) {}
};

}  // namespace korvo
