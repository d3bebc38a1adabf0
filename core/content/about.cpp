#include "content/about.h"

#include "basics/text.h"

namespace kemless {

std::string VersionBoxText(std::string_view version) {
    return "ケムレス\r\nバージョン　" + ToFullWidth(std::string(version)) +
           "\r\n\r\n卒煙を応援するデスクトップアプリ\r\n" + kMakerSiteAddress;
}

}  // namespace kemless
