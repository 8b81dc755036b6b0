// Device parameters on a platform without a registry: a plain text file with
// one [section] per key path and name=value lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorrin::registry {

inline constexpr const char* kParametersKey = "SOFTWARE\\Sorvent\\QUORRIN\\Parameters";
inline constexpr const char* kDefaultFile = "/etc/quorrin/registry.ini";
inline constexpr const char* kFileVariable = "QUORRIN_REGISTRY";

// An opened key: a snapshot of its values taken when it was opened.
class Key {
public:
    // Empty when the file is missing or holds neither the key nor a subkey of it.
    static std::optional<Key> open(const std::string& path);

    // A text that needs more than `maxBytes` with its terminating zero counts as missing.
    std::optional<std::string> readText(const std::string& name, std::size_t maxBytes) const;
    // Decimal or 0x-hexadecimal; anything else counts as missing.
    std::optional<uint32_t> readNumber(const std::string& name) const;

private:
    const std::string* find(const std::string& name) const;
    std::vector<std::pair<std::string, std::string>> values_;
};

} // namespace quorrin::registry
