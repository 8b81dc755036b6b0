#pragma once
// Tag names made valid IEC 61131-3 identifiers for a global variable list: letters,
// digits and single underscores, not starting with a digit, not ending with an
// underscore, unique without regard to case.

#include <optional>
#include <string>
#include <vector>

namespace korvo {

// True when the text is an IEC 61131-3 identifier (ASCII letters, digits, single
// underscores between them or leading; no digit first, no underscore last).
bool IsIecIdentifier(const std::string& text);

// The tag (Windows-1252) as an identifier: German letters spelled out, every other
// character outside letters and digits an underscore, runs of underscores one, a
// trailing one dropped, a leading digit behind an underscore.
std::string IecIdentifier(const std::string& tag);

// Why a station name makes broken tag names, or nothing: it names the characters
// that are no letter, digit or "_" (German letters are spelled out and do fit) and a
// leading digit, and says what the IEC names write instead. Windows-1252 in and out.
std::optional<std::string> StationNameWarning(const std::string& stationName);

// Identifiers for the tags, in order: collisions (ignoring case) get "_2", "_3", ...
// appended. notes receives one line per tag that had to change, naming old and new.
std::vector<std::string> AssignIecIdentifiers(const std::vector<std::string>& tags, std::vector<std::string>& notes);

}  // namespace korvo
