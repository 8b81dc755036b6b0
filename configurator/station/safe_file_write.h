#pragma once
// Replacing a file so that it is either the old or the whole new one, never half
// written: every save and export of the configurator and of korvo goes through here.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvo {

// Writes the bytes to a temporary file of fixed name beside the target (a symbolic
// link is followed, so the link stays and the file it names gets the bytes), syncs
// it, renames it over the target and syncs the folder. A write-protected target, a
// folder, and anything else that exists and is not a regular file (a device, a FIFO,
// a socket) are refused. Returns why it failed, or nothing when the file was written; a
// failure leaves the old file and no temporary behind.
std::optional<std::string> WriteFileSafely(const std::filesystem::path& path, std::string_view bytes);

// The fixed temporary name a write of `target` uses first; a killed write leaves it,
// and the next write of the same target replaces it.
std::filesystem::path SavingName(const std::filesystem::path& target);
inline constexpr const char* kSavingSuffix = ".saving~";

}  // namespace korvo
