#pragma once

namespace tarnwick {

// Registers the window icon and the maker's logo. The resources are compiled into a static
// library, where nothing else would make the linker keep them; safe to call more than once.
void EnsureResourcesLoaded();

}  // namespace tarnwick
