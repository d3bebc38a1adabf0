// The user's home and XDG folders: absolute paths only, one home for all.
#include "records/user_folders.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

namespace kemless {
namespace {

std::string PasswordHome() {
    const passwd* pw = ::getpwuid(::geteuid());
    return pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "";
}

TEST(UserFolders, HomeIsAnAbsoluteHomeElseThePasswordDatabases) {
    EXPECT_EQ(HomeFolder("/home/u"), "/home/u");
    EXPECT_EQ(HomeFolder("/home/caf\xe9"), "/home/caf\xe9");  // bytes as given
    // Unset, empty or relative: never the working directory, never "//…".
    for (const char* home : {static_cast<const char*>(nullptr), "", "relative/home", "."})
        EXPECT_EQ(HomeFolder(home), PasswordHome()) << (home ? home : "(unset)");
}

TEST(UserFolders, ARelativeXdgFolderIsIgnored) {
    EXPECT_EQ(XdgBaseFolder("/data", "/home/u", ".local/share"), "/data");
    EXPECT_EQ(XdgBaseFolder(nullptr, "/home/u", ".local/share"), "/home/u/.local/share");
    EXPECT_EQ(XdgBaseFolder("", "/home/u", ".config"), "/home/u/.config");
    EXPECT_EQ(XdgBaseFolder("rel/data", "/home/u", ".local/share"), "/home/u/.local/share");
    EXPECT_EQ(XdgBaseFolder(nullptr, "/", ".cache"), "/.cache");
    EXPECT_EQ(XdgBaseFolder(nullptr, "", ".cache"), "");
}

}  // namespace
}  // namespace kemless
