#include "registry.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace quorrin::registry {
namespace {

std::string_view trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// Registry key and value names compare without regard to case.
bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool isSubkeyOf(std::string_view section, std::string_view path)
{
    return section.size() > path.size() && section[path.size()] == '\\' && sameName(section.substr(0, path.size()), path);
}

std::string filePath()
{
    const char* configured = std::getenv(kFileVariable);
    return configured != nullptr && *configured != '\0' ? configured : kDefaultFile;
}

} // namespace

std::optional<Key> Key::open(const std::string& path)
{
    std::ifstream file(filePath());
    if (!file)
        return std::nullopt;

    Key key;
    bool found = false;
    bool inKey = false;
    std::string line;
    while (std::getline(file, line)) {
        std::string_view text = trim(line);
        if (text.empty() || text.front() == ';' || text.front() == '#')
            continue;
        if (text.front() == '[' && text.back() == ']') {
            std::string_view section = trim(text.substr(1, text.size() - 2));
            inKey = sameName(section, path);
            found = found || inKey || isSubkeyOf(section, path);
            continue;
        }
        auto equals = text.find('=');
        if (inKey && equals != std::string_view::npos)
            key.values_.emplace_back(trim(text.substr(0, equals)), trim(text.substr(equals + 1)));
    }
    if (!found)
        return std::nullopt;
    return key;
}

const std::string* Key::find(const std::string& name) const
{
    for (const auto& [valueName, value] : values_) {
        if (sameName(valueName, name))
            return &value;
    }
    return nullptr;
}

std::optional<std::string> Key::readText(const std::string& name, std::size_t maxBytes) const
{
    const std::string* value = find(name);
    if (value == nullptr || value->size() + 1 > maxBytes)
        return std::nullopt;
    return *value;
}

std::optional<uint32_t> Key::readNumber(const std::string& name) const
{
    const std::string* value = find(name);
    if (value == nullptr || value->empty() || !std::isdigit(static_cast<unsigned char>(value->front())))
        return std::nullopt;
    bool hex = value->size() > 2 && (*value)[0] == '0' && ((*value)[1] == 'x' || (*value)[1] == 'X');
    errno = 0;
    char* end = nullptr;
    unsigned long long number = std::strtoull(value->c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || number > UINT32_MAX)
        return std::nullopt;
    return static_cast<uint32_t>(number);
}

} // namespace quorrin::registry
