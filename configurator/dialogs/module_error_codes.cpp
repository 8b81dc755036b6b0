#include "module_error_codes.h"

namespace korvo {

namespace {

struct ErrorCode {
    std::uint16_t code;
    const char* text;
};

constexpr ErrorCode kErrorCodes[] = {
    {0x8001, "Error measuring range"}, {0x8002, "Error wire breaking"}, {0x8004, "Error invalid value"},
    {0x8010, "Error conf invalid"},    {0x8040, "Error modul defect"},  {0x8080, "Error measuring range"},
};

}  // namespace

std::string ErrorTextExact(std::uint16_t value) {
    for (const ErrorCode& error : kErrorCodes) {
        if (value == error.code) return error.text;
    }
    return {};
}

std::string ErrorTextBitMatched(std::uint16_t value) {
    std::string text;
    for (const ErrorCode& error : kErrorCodes) {
        if ((value & error.code) == error.code) text = error.text;
    }
    return text;
}

}  // namespace korvo
