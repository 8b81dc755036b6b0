#pragma once
// The model keeps its texts in Windows-1252; Qt wants Unicode. Convert only here, at
// the boundary between the two.

#include <QString>

#include <string>

namespace korvo {

QString ToQString(const std::string& cp1252);
std::string FromQString(const QString& text);

}  // namespace korvo
