#include "ide/ide_registry.h"

#include <memory>

#include "platform/registry.h"

namespace codeburg {

namespace {

Registry* g_installed = nullptr;

}  // namespace

Registry& ToolsRegistry()
{
    if (g_installed) return *g_installed;
    // No development environment registers its tools in this store, so the
    // check finds none installed; the logic stays the same as where they do.
    static std::unique_ptr<Registry> store = [] {
        const std::string path = DefaultRegistryPath();
        return path.empty() ? std::unique_ptr<Registry>(std::make_unique<InMemoryRegistry>())
                            : std::unique_ptr<Registry>(std::make_unique<FileRegistry>(path));
    }();
    return *store;
}

void InstallToolsRegistry(Registry* registry)
{
    g_installed = registry;
}

}  // namespace codeburg
