#include "display/milestones.h"

#include <cmath>

#include "basics/text.h"

namespace kemless {
namespace {

constexpr int64_t kTenMetres = 10'000;

// In the order they come: three arrive on days 11, 22 and 33, and are pleased
// on days 44, 55 and 66.
const char* const kDuckWords[] = {
    "アヒル副隊長がお祝いに来ました。", "アヒル隊長がお祝いに来ました。", "アヒルの王様がお祝いに来ました。",
    "アヒル副隊長が喜んでいます。",     "アヒル隊長が喜んでいます。",     "アヒルの王様が喜んでいます。",
};

bool SameRecord(const MilestoneFigures& a, const MilestoneFigures& b) {
    return a.quit == b.quit && a.cigarettesPerDay == b.cigarettesPerDay &&
           a.cigaretteSize == b.cigaretteSize && a.statusMode == b.statusMode;
}

// "２０ｍ", "１．５ｋｍ" as the program writes lengths, full-width.
std::string LengthWords(int64_t mm) {
    if (mm < 1'000'000) return FullWidth(mm / 1000) + "ｍ";
    const int64_t hundredMetres = mm / 100'000;
    std::string km = Decimal(hundredMetres / 10);
    if (hundredMetres % 10 != 0) {
        km += '.';
        km += Decimal(hundredMetres % 10);
    }
    return ToFullWidth(km) + "ｋｍ";
}

}  // namespace

int64_t RoundLengthBelow(double lengthMm) {
    if (!(lengthMm >= kTenMetres)) return 0;
    // The leading digit of the length at its own power of ten, from 10 m up.
    int64_t step = kTenMetres;
    while (step <= INT64_MAX / 10 && lengthMm >= static_cast<double>(step) * 10) step *= 10;
    const int64_t lead = static_cast<int64_t>(std::floor(lengthMm / static_cast<double>(step)));
    return lead * step;
}

std::vector<MilestoneNotice> DueMilestones(const std::optional<MilestoneFigures>& previous,
                                           const MilestoneFigures& current) {
    std::vector<MilestoneNotice> due;
    if (!previous || !SameRecord(*previous, current)) return due;
    const MilestoneFigures& before = *previous;
    // The clock went back (or the record moved forward): nothing is crossed.
    if (current.wholeDays < before.wholeDays) return due;

    if (current.title != before.title && current.wholeDays > before.wholeDays)
        due.push_back(
            {MilestoneKind::Title, "ランクアップ！", "ステータスが「" + current.title + "」になりました。"});
    if (current.fullMonths > before.fullMonths) {
        const int32_t years = current.fullMonths / 12;
        const int32_t months = current.fullMonths % 12;
        const std::string span =
            months == 0 ? FullWidth(years) + "年" : FullWidth(current.fullMonths) + "ヶ月";
        due.push_back({MilestoneKind::Calendar, "卒煙" + span + "達成！",
                       "卒煙して" + span + "になりました。おめでとうございます。"});
    }
    if (current.duckStage > before.duckStage)
        due.push_back({MilestoneKind::Duck, "アヒルからのお知らせ", kDuckWords[current.duckStage - 1]});
    if (current.roundLengthMm > before.roundLengthMm)
        due.push_back({MilestoneKind::Length,
                       "吸わなかったタバコが" + LengthWords(current.roundLengthMm) + "に！",
                       "並べると" + current.landmark + "に匹敵します。"});
    return due;
}

NoticeText JoinNotices(const std::vector<MilestoneNotice>& due) {
    if (due.empty()) return {};
    NoticeText text{due.front().summary, due.front().body};
    for (std::size_t i = 1; i < due.size(); ++i) text.body += "\n" + due[i].summary + due[i].body;
    return text;
}

}  // namespace kemless
