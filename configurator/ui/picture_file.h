#pragma once
// Pictures the windows show from files beside the program (module pictures, the
// about box, the program icon): read like every other file, as FileKind::Picture,
// and refused above the largest size the program shows before they are decoded.

#include <QPixmap>

#include <string>

namespace korvo {

// The picture in the file; false, with the reason naming the file, when it cannot be
// read or decoded or is too large.
bool LoadPicture(const std::string& file, QPixmap& picture, std::string* error = nullptr);

}  // namespace korvo
