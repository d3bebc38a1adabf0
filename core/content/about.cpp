#include "content/about.h"

#include "basics/text.h"

namespace kemless {

std::string VersionBoxText(std::string_view version) {
    return "ケムレス\r\nバージョン　" + ToFullWidth(std::string(version)) +
           "\r\n\r\n卒煙を応援するデスクトップアプリ\r\n" + kMakerSiteAddress;
}

std::string PageNotOpenedText(std::string_view address) {
    return "エラーです。" + ShownOnOneLine(address) +
           " を開けませんでした。デスクトップの設定（「既定のアプリケーション」など）で、"
           "既定のウェブブラウザが選ばれているか確認してください";
}

}  // namespace kemless
