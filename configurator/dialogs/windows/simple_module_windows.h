#pragma once
// The properties windows of the digital, relay and passive module types: a caption
// and, for most, an empty panel; they read and write nothing.

#include "station/property_call.h"

#include <QWidget>

#include <span>

namespace korvo {

struct SimpleModuleWindow {
    PropertiesDialog dialog;
    const char* caption;
    bool panel;
};

// The twelve windows, in the order of the module types.
std::span<const SimpleModuleWindow> SimpleModuleWindows();

// A hidden window of its own for one entry, named for its class without the "T".
QWidget* CreateSimpleModuleWindow(QWidget* parent, const SimpleModuleWindow& entry);

}  // namespace korvo
