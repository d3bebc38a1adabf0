#include "forms/input_rules.h"

#include <gtest/gtest.h>

#include <ostream>

#include "content/season.h"

namespace kemless {
namespace {

TEST(NumberFromText, LeadingDecimalRoundedDown) {
    const std::pair<const char*, int32_t> cases[] = {
        {"20本", 20}, {"", 0}, {"2.5", 2}, {"3.9", 3}, {" 7", 7}, {"-3", -3}, {"58.5", 58}, {"57.9", 57},
        {"abc", 0}, {"-2.5", -3}, {"1.2.3", 1}, {"+4", 4}, {".", 0}, {"99999999999", 2147483647}, {"  12 34", 12}};
    for (auto [text, value] : cases) EXPECT_EQ(NumberFromText(text), value) << '"' << text << '"';
}

TEST(RangeHint, SaysTheRangeInFullWidthDigits) {
    EXPECT_EQ(RangeHint(kPerDayRange), "（１から２００までの半角数字で記入）");
    EXPECT_EQ(RangeHint(kHourRange), "（０から２３までの半角数字で記入）");
    EXPECT_EQ(RangeHint(QuitYearRange({2031, 1, 1, 0, 0})), "（１９００から２０３１までの半角数字で記入）");
}

TEST(TaxRateFromText, WholeTextMustBeANumber) {
    EXPECT_EQ(TaxRateFromText("58"), 58);
    EXPECT_EQ(TaxRateFromText("58.5"), 58);
    EXPECT_EQ(TaxRateFromText("57.9"), 57);
    EXPECT_EQ(TaxRateFromText(" 100 "), 100);
    EXPECT_EQ(TaxRateFromText("-1"), -1);
    EXPECT_EQ(TaxRateFromText("abc"), std::nullopt);
    EXPECT_EQ(TaxRateFromText(""), std::nullopt);
    EXPECT_EQ(TaxRateFromText("58%"), std::nullopt);
}

struct ProfileCase {
    const char* name;
    QuitProfileTexts texts;
    ProfileCheck check;
};

void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.name; }

class QuitProfile : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(QuitProfile, RangeAndFuture) {
    EXPECT_EQ(CheckQuitProfile(GetParam().texts, {2026, 12, 10, 12, 0}).check, GetParam().check);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, QuitProfile,
    ::testing::Values(
        ProfileCase{"feb_29_2023_refused", {"2023", "2", "29", "0", "0", "20", "300"}, ProfileCheck::OutOfRange},
        ProfileCase{"feb_29_2024_accepted", {"2024", "2", "29", "0", "0", "20", "300"}, ProfileCheck::Ok},
        ProfileCase{"feb_29_1900_refused", {"1900", "2", "29", "0", "0", "20", "300"}, ProfileCheck::OutOfRange},
        ProfileCase{"feb_29_2000_accepted", {"2000", "2", "29", "0", "0", "20", "300"}, ProfileCheck::Ok},
        ProfileCase{"april_31_refused", {"2020", "4", "31", "0", "0", "20", "300"}, ProfileCheck::OutOfRange},
        ProfileCase{"may_31_accepted", {"2020", "5", "31", "0", "0", "20", "300"}, ProfileCheck::Ok},
        ProfileCase{"one_minute_ahead_in_future", {"2026", "12", "10", "12", "1", "20", "300"}, ProfileCheck::InFuture},
        ProfileCase{"current_minute_accepted", {"2026", "12", "10", "12", "0", "20", "300"}, ProfileCheck::Ok},
        ProfileCase{"year_1899_range_not_future", {"1899", "1", "1", "0", "0", "20", "300"}, ProfileCheck::OutOfRange},
        ProfileCase{"next_year_range_not_future", {"2027", "1", "1", "0", "0", "20", "300"}, ProfileCheck::OutOfRange},
        ProfileCase{"zero_a_day_refused", {"2020", "1", "1", "0", "0", "0", "300"}, ProfileCheck::OutOfRange},
        ProfileCase{"201_a_day_refused", {"2020", "1", "1", "0", "0", "201", "300"}, ProfileCheck::OutOfRange},
        ProfileCase{"price_0_refused", {"2020", "1", "1", "0", "0", "20", "0"}, ProfileCheck::OutOfRange},
        ProfileCase{"price_2001_refused", {"2020", "1", "1", "0", "0", "20", "2001"}, ProfileCheck::OutOfRange},
        ProfileCase{"limits_accepted", {"2020", "1", "1", "23", "59", "200", "2000"}, ProfileCheck::Ok},
        ProfileCase{"hour_24_refused", {"2020", "1", "1", "24", "0", "20", "300"}, ProfileCheck::OutOfRange}),
    [](const auto& info) { return std::string(info.param.name); });

class SaveSteps : public ::testing::Test {
protected:
    SettingsForm form() const {
        SettingsForm f;
        f.profile = {"2025", "6", "1", "8", "30", "15", "500"};
        f.cigaretteSize = kLong;
        f.linkUrl = "  my.blog.jp/\"x  ";
        f.copyPlusMode = 2;
        f.showBoxCount = 0;
        f.statusMode = "コスモ";
        f.taxRate = "60";
        f.smokingYears = "12";
        return f;
    }
    // Takes what the save accepted, as the program does; counts the quit
    // profiles that were due in initial.ini.
    SaveOutcome apply(const SettingsForm& f) {
        const SettingsSave save = ApplySettingsForm(f, {2026, 12, 10, 12, 0}, initial, options);
        initial = save.initial;
        options = save.options;
        initialWrites += save.profileTaken() ? 1 : 0;
        return save.outcome;
    }
    InitialSettings initial;
    OptionSettings options;
    int initialWrites = 0;
};

TEST_F(SaveSteps, ValidFormTakesEveryValue) {
    EXPECT_EQ(apply(form()), SaveOutcome::Saved);
    EXPECT_EQ(initialWrites, 1);
    EXPECT_EQ(initial.quit, (CalendarMoment{2025, 6, 1, 8, 30}));
    EXPECT_EQ(initial.cigaretteSize, kLong);
    EXPECT_EQ(options.linkUrl, "my.blog.jp/x");
    EXPECT_EQ(options.statusMode, "コスモ");
    EXPECT_EQ(options.taxRatePercent, 60);
    EXPECT_EQ(options.smokingYears, 12);
    EXPECT_EQ(options.copyPlusMode, 2);
    EXPECT_EQ(options.showBoxCount, 0);
}

TEST_F(SaveSteps, ProfileErrorsTakeNothing) {
    SettingsForm f = form();
    f.profile.month = "13";
    const InitialSettings before = initial;
    EXPECT_EQ(apply(f), SaveOutcome::RangeError);
    EXPECT_EQ(initialWrites, 0);
    EXPECT_EQ(initial, before);
    EXPECT_EQ(options, OptionSettings{});
}

TEST_F(SaveSteps, TaxAndSmokingYearsFailAfterTheProfileIsWritten) {
    for (const char* tax : {"101", "-1", "abc"}) {
        SettingsForm f = form();
        f.taxRate = tax;
        EXPECT_EQ(apply(f), SaveOutcome::OptionError) << tax;
    }
    EXPECT_EQ(initialWrites, 3);
    SettingsForm f = form();
    f.copyPlusMode = 0;
    f.smokingYears = "0";
    EXPECT_EQ(apply(f), SaveOutcome::OptionError);
    EXPECT_EQ(options.smokingYears, 0);  // kept in memory only
    f.taxRate = "100";
    f.smokingYears = "99";
    EXPECT_EQ(apply(f), SaveOutcome::Saved);
}

TEST(Season, GreetingsByDate) {
    EXPECT_FALSE(SeasonalGreetingFor(12, 23));
    EXPECT_FALSE(SeasonalGreetingFor(1, 4));
    const auto eve = SeasonalGreetingFor(12, 24);
    ASSERT_TRUE(eve);
    EXPECT_EQ(eve->caption, "クリスマスイブ - Pelorin");
    EXPECT_EQ(eve->greeting, "");
    EXPECT_TRUE(eve->pictures[1] && !eve->pictures[0] && !eve->pictures[2]);
    const auto day = SeasonalGreetingFor(12, 25);
    ASSERT_TRUE(day);
    EXPECT_EQ(day->greeting, "メリークリスマス");
    EXPECT_TRUE(day->pictures[0] && !day->pictures[1] && day->pictures[2]);
    for (int d = 1; d <= 3; ++d) {
        const auto ny = SeasonalGreetingFor(1, d);
        ASSERT_TRUE(ny);
        EXPECT_TRUE(ny->newYear);
        EXPECT_EQ(ny->wishFirst, "");
        EXPECT_EQ(ny->wishSecond, "貴方の卒煙が成功しますように！");
    }
}

}  // namespace
}  // namespace kemless
