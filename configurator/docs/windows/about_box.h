#pragma once
// The about box TAboutBox "Info": product name and version, the maker and two pictures.

#include <QWidget>

#include <string>

namespace korvo {

inline constexpr const char* kProductLine = "KORVO configurator (Ver. 1.4)";

class TAboutBox : public QWidget {
    Q_OBJECT
public:
    // The pictures are read from the folder images of the program folder (ends with a
    // separator); a missing picture leaves its place empty.
    TAboutBox(const std::string& programFolder, QWidget* parent);

    // Shows the box centred on the screen, not modal.
    void ShowCentred();
};

}  // namespace korvo
