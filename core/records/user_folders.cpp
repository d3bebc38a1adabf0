#include "records/user_folders.h"

#include <pwd.h>
#include <unistd.h>

namespace kemless {

std::string HomeFolder(const char* homeVariable) {
    if (homeVariable != nullptr && homeVariable[0] == '/') return homeVariable;
    if (const passwd* pw = ::getpwuid(::geteuid());
        pw != nullptr && pw->pw_dir != nullptr && pw->pw_dir[0] == '/')
        return pw->pw_dir;
    return {};
}

std::string XdgBaseFolder(const char* value, const std::string& home, const char* fallback) {
    if (value != nullptr && value[0] == '/') return value;
    if (home.empty()) return {};
    return (home == "/" ? home : home + "/") + fallback;
}

}  // namespace kemless
