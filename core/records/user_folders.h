#pragma once
// Where the user's own folders are, by the XDG base-directory rules. Paths
// are bytes, used as given: a folder name that is not UTF-8 stays as it is.
#include <string>

namespace kemless {

// The home folder: `homeVariable` (the value of HOME) when it is an absolute
// path, else the password database's entry for this user; empty when
// neither says. Every folder of the program derives from this one home.
std::string HomeFolder(const char* homeVariable);

// An XDG base folder: `value` (of XDG_DATA_HOME, say) when it is an absolute
// path (a relative or empty one is ignored, as the rules say), else
// `fallback` (".local/share") inside `home`; empty when there is no home.
std::string XdgBaseFolder(const char* value, const std::string& home, const char* fallback);

}  // namespace kemless
