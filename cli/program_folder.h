#pragma once
// The folder of the running program: the catalogue, pictures and help pages lie there.

#include <filesystem>

namespace korvo {

// Folder of the running executable, with no trailing separator; the current folder
// when it cannot be found.
std::filesystem::path ProgramFolder();

}  // namespace korvo
