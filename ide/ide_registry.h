#pragma once

namespace codeburg {

class Registry;

// The registry the IDE tools check reads and writes: the current user's
// store, shared with the installer. Tests install their own (not owned).
Registry& ToolsRegistry();
void InstallToolsRegistry(Registry* registry);

}  // namespace codeburg
