#pragma once
// A malformed "Parameter" is reported once per opening of a window. The message box
// takes the activation away and hands it back when it closes; reporting again at
// every activation would bring the box back as soon as it was closed, for ever.

#include <string>

namespace korvo {

class LoadFailureReport {
public:
    // The window was shown anew: the next failure is reported again.
    void Reset() { reported_.clear(); }
    // True when this failure has not been reported since the window was shown.
    bool ShouldReport(const std::string& failure) {
        if (failure == reported_) return false;
        reported_ = failure;
        return true;
    }

private:
    std::string reported_;
};

}  // namespace korvo
