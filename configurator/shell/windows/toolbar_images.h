#pragma once
// The main window's image list: the pictures of the toolbar buttons and menu items,
// addressed by their fixed index numbers.

#include <QIcon>
#include <QList>

namespace korvo {

namespace ImageIndex {
// The online button's other picture while it blinks.
inline constexpr int OnlineBlink = 0;
inline constexpr int Online = 6;
inline constexpr int OpenProject = 2;
inline constexpr int ZoomOut = 3;
inline constexpr int ZoomIn = 4;
inline constexpr int SaveProject = 5;
inline constexpr int CheckConfiguration = 7;
inline constexpr int Debug = 9;
inline constexpr int IpSettings = 11;
inline constexpr int Arrangement = 12;
inline constexpr int NewProject = 13;
}  // namespace ImageIndex

// Entries 0..13; indices without a use stay empty icons.
QList<QIcon> ToolbarImages();

}  // namespace korvo
