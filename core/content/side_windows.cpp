#include "content/side_windows.h"

namespace kemless {

const SideWindowName* SideWindowNamed(std::string_view name) {
    for (const SideWindowName& w : kSideWindows)
        if (name == w.name) return &w;
    return nullptr;
}

}  // namespace kemless
