#include "forms/settings_result.h"

#include <gtest/gtest.h>

namespace kemless {
namespace {

// The records when the dialog opened, and what it ends with: a colour picked
// and a save refused for its options (the profile and the address taken).
struct CancelRound {
    Records before;
    SettingsResult result;

    explicit CancelRound(WindowMode mode) {
        before.initial.quit = {2010, 1, 2, 3, 4};
        before.options.windowMode = mode;
        before.options.backColor = Rgb(0x30, 0x20, 0x10);
        result.ending = SettingsResult::Ending::Cancelled;
        result.initial = before.initial;
        result.initial.quit = {2020, 6, 15, 9, 45};
        result.options = before.options;
        result.options.backColor = Rgb(0x11, 0x22, 0x33);
        result.options.linkUrl = "typed.example/";
        result.profileTaken = result.initial;
    }
};

TEST(KeptAfterCancel, TheMainWindowComesBackOnWhatTheFilesHold) {
    for (WindowMode mode : {WindowMode::Main, WindowMode::MainMiniNeverOpened, static_cast<WindowMode>(7)}) {
        CancelRound round(mode);
        const Records kept = KeptAfterCancel(round.before, round.result);
        // initial.ini holds the profile the refused save took; option.ini
        // what the dialog opened with.
        EXPECT_EQ(kept.initial, *round.result.profileTaken);
        EXPECT_EQ(kept.options, round.before.options);
        round.result.profileTaken.reset();
        EXPECT_EQ(KeptAfterCancel(round.before, round.result), round.before);
    }
}

TEST(KeptAfterCancel, TheMainWindowReadsTheTextsAsTheFileHoldsThem) {
    CancelRound round(WindowMode::Main);
    round.before.options.statusMode = "\xEF\xBF\xBD";  // U+FFFD, read from bytes that were no Shift_JIS
    EXPECT_EQ(KeptAfterCancel(round.before, round.result).options.statusMode, "?");
}

TEST(KeptAfterCancel, TheMiniWindowComesBackOnTheDialogsCopies) {
    CancelRound round(WindowMode::Mini);
    const Records kept = KeptAfterCancel(round.before, round.result);
    EXPECT_EQ(kept.initial, round.result.initial);
    EXPECT_EQ(kept.options.backColor, Rgb(0x11, 0x22, 0x33));
    EXPECT_EQ(kept.options.linkUrl, "typed.example/");
}

}  // namespace
}  // namespace kemless
