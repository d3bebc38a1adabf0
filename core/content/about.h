#pragma once
// What the program says about itself: the maker's site, which the version
// box names and the notice window opens, and the version box's text.
#include <string>
#include <string_view>

namespace kemless {

inline constexpr const char* kMakerSiteAddress = "http://kemless.example.jp/";

// The version box: the name, the version in full-width digits ("１．２０"),
// a line about the program and the maker's site, lines ending in CR LF.
std::string VersionBoxText(std::string_view version);

// Said when no program took a page the user asked for (their own link, the
// maker's site): what was tried, and what to look at on a Linux desktop, the
// choice of the default web browser. The address is shown as one safe line.
std::string PageNotOpenedText(std::string_view address);

}  // namespace kemless
