// The words when a page could not be opened.
#include "content/about.h"

#include <gtest/gtest.h>

#include <string>

namespace kemless {
namespace {

TEST(PageNotOpened, SaysWhatWasTriedAndWhereTheBrowserIsChosen) {
    EXPECT_EQ(PageNotOpenedText("http://my.blog.jp/diary"),
              "エラーです。http://my.blog.jp/diary "
              "を開けませんでした。デスクトップの設定（「既定のアプリケーション」など）で、"
              "既定のウェブブラウザが選ばれているか確認してください");
    // The address is the user's own setting: shown as one safe line.
    const std::string hostile = PageNotOpenedText("http://a\x1b]0;x\x07\n" + std::string(500, 'b'));
    EXPECT_EQ(hostile.rfind("エラーです。http://a\\x1b]0;x\\x07\\nbbb", 0), 0u) << hostile;
    EXPECT_EQ(hostile.find('\x1b'), std::string::npos);
    EXPECT_NE(hostile.find("b… を開けませんでした。"), std::string::npos) << hostile;
}

}  // namespace
}  // namespace kemless
