#pragma once
// What mouse clicks in the station view do to the station state: selecting modules
// (which decides where new modules go and which coupler the online functions use),
// the popup item rule and switching outputs by clicking LEDs. The view forwards its
// mouse events here and draws what the model reports through StationUi.

#include "module.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

class StationModel;

inline constexpr const char* kInsertMode = "Insert/Delete";
inline constexpr const char* kAppendMode = "Append/Delete";

// "  restart NC-B ETH" is offered only for a coupler of type "KORVO NC ETH".
bool RestartItemVisible(const TModul& module);

// Right button on a module's picture, before its popup opens: makes it current and,
// for a coupler, the selected station (also while online). Returns whether the
// restart item is shown.
bool SelectForPopup(StationModel& model, int slot);

// Any button on a module's picture, after the popup step: makes it current and sets
// the placement mode. The left button on a coupler also makes its station the one
// the online functions address, unless the I/O test runs. Returns the module dump
// for the debug log when the left button was used while the debug panel is shown.
std::vector<std::string> SelectModule(StationModel& model, int slot, bool leftButton, bool debugShown);

// A click on the empty part of the view: nothing is selected afterwards.
void ClickEmptyView(StationModel& model);

// A click on LED led of a module whose LED is lit or not. For digital output modules
// the LED's weight is added to or taken from BitValue and OutputData is rewritten;
// returns the LED's new state. Other modules change nothing: nullopt.
std::optional<bool> ClickLed(TModul& module, int led, bool lit);

// The four bytes of value in decimal, most significant first: 260 gives "0,0,1,4".
std::string OutputBytesText(std::uint32_t value);

}  // namespace korvo
