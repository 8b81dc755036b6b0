// Arbitrary bytes as a connection description file. Reading it either finds the
// marker line or fails naming the file; every data line is then a connection point
// with a connector number of 1..999 and a description of at most 255 characters, or
// an error naming the file and the line.

#include "docs/connection_description.h"

#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool StartsWith(const char* text, std::string_view prefix) {
    return std::string_view(text).substr(0, prefix.size()) == prefix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const korvo::ConnectionDescription description = korvo::ConnectionDescription::FromText("fuzz.txt", text);
        const int count = description.DataLineCount();
        Check(count >= 0);
        for (int k = 0; k <= count; ++k) {
            try {
                const korvo::ConnectionPoint point = description.Point(k);
                Check(k < count);
                Check(point.number >= korvo::kMinConnector && point.number <= korvo::kMaxConnector);
                Check(point.description.size() <= korvo::kMaxPointDescription);
            } catch (const korvo::PlanError& e) {
                Check(StartsWith(e.what(), "fuzz.txt, line "));
            }
        }
    } catch (const korvo::PlanError& e) {
        Check(StartsWith(e.what(), "fuzz.txt: no line \"connection point\""));
    }
    return 0;
}
