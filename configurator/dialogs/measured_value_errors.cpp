#include "measured_value_errors.h"

#include <span>

namespace korvo {

namespace {

struct ErrorCode {
    std::uint16_t code;
    const char* text;
};

constexpr ErrorCode kInputErrors[] = {
    {0x8001, "Error measuring range"}, {0x8002, "Error wire breaking"}, {0x8004, "Error invalid value"},
    {0x8010, "Error conf invalid"},    {0x8040, "Error modul defect"},  {0x8080, "Error measuring range"},
};

constexpr ErrorCode kOutputErrors[] = {
    {0x8001, "Error measuring range"}, {0x8002, "Error wire breaking"}, {0x8010, "Error conf invalid"},
    {0x8020, "Error modul defect"},    {0x8040, "Error modul defect"},  {0x8080, "Error measuring range"},
};

std::string BitMatch(std::span<const ErrorCode> table, std::uint16_t value) {
    std::string text;
    for (const ErrorCode& entry : table) {
        if ((value & entry.code) == entry.code) text = entry.text;
    }
    return text;
}

}  // namespace

std::string ExactErrorText(std::uint16_t value) {
    for (const ErrorCode& entry : kInputErrors) {
        if (value == entry.code) return entry.text;
    }
    return {};
}

std::string BitErrorText(std::uint16_t value) {
    return BitMatch(kInputErrors, value);
}

std::string ErrorByteText(std::uint8_t error) {
    return error == 0 ? std::string() : BitErrorText(static_cast<std::uint16_t>(0x8000 | error));
}

std::string OutputErrorText(std::uint16_t value) {
    return BitMatch(kOutputErrors, value);
}

}  // namespace korvo
