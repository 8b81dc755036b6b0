#include "ui/cp1252_text.h"

#include "station/text_encoding.h"

namespace korvo {

QString ToQString(const std::string& cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }

std::string FromQString(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

}  // namespace korvo
