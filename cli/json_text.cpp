#include "json_text.h"

#include "docs/export_text.h"
#include "station/text_encoding.h"

namespace korvo {

std::string JsonString(const std::string& cp1252) { return JsonQuoted(Cp1252ToUtf8(cp1252)); }

}  // namespace korvo
