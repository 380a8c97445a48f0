#pragma once

#include <optional>
#include <string>

namespace codeburg {

class Registry;

// The two development environments whose Tools menu can start codeburg on
// the project being worked on ("-prj=$(TargetName)").
enum class Ide { Vc6, Vc7 };

inline constexpr const char* kToolName = "Codeburg";
inline constexpr const char* kToolArguments = "-prj=$(TargetName)";
const char* IdeKey(Ide ide);

// Installed: the key opens and its count value can be read.
bool IdeInstalled(const Registry& registry, Ide ide);
// The number of the entry named "Codeburg", if any.
std::optional<int> FindToolEntry(const Registry& registry, Ide ide);
// Writes (or refreshes) the entry; false when the count cannot be read.
bool RegisterTool(Registry& registry, Ide ide, const std::string& executable);
// Refreshes existing entries; false when the user should be asked. Reads
// "TOOLDONTASK" from the profile.
bool IdeToolsStartupCheck(Registry& registry, const std::string& executable);

}  // namespace codeburg
