#include "plan/reward.h"

#include <algorithm>
#include <cmath>

#include "basics/text.h"
#include "display/panel_texts.h"
#include "figures/calendar.h"

namespace kemless {
namespace {

constexpr const char* kRewardName = "reward";

std::string Yen(int64_t yen) { return Grouped(Decimal(yen)) + "円"; }

// The savings as whole yen: hostile settings can make them vast, a quit
// moment ahead makes them nothing.
int64_t WholeYen(double money) {
    if (!(money > 0)) return 0;
    return static_cast<int64_t>(std::min(std::floor(money), 1e15));
}

std::string KeyOf(const Reward& r, const CalendarMoment& quit) {
    return r.name + '\0' + Decimal(r.price) + '\0' + MinuteWord(quit);
}

}  // namespace

RewardProgress ComputeRewardProgress(const Plan& plan, double moneySaved, const CalendarMoment& quit) {
    RewardProgress p;
    p.quit = quit;
    if (!plan.reward) {
        p.words = "ごほうびは、まだ決めていません。";
        return p;
    }
    if (plan.reward->price < 1) {
        p.words = "ごほうび『" + plan.reward->name + "』の値段を入れると、あとどれだけかがわかります。";
        return p;
    }
    p.set = true;
    p.reward = *plan.reward;
    int64_t spent = 0;
    for (const ReachedReward& r : plan.reached)
        if (r.quit == quit) spent += r.reward.price;
    p.saved = std::max<int64_t>(WholeYen(moneySaved) - spent, 0);
    const int64_t price = std::max<int64_t>(p.reward.price, 1);
    p.reached = p.saved >= price;
    p.remaining = p.reached ? 0 : price - p.saved;
    p.percent = p.reached ? 100 : static_cast<int32_t>(std::min<int64_t>(p.saved * 100 / price, 99));
    p.permille = p.reached ? 1000 : static_cast<int32_t>(std::min<int64_t>(p.saved * 1000 / price, 999));
    p.priceText = Yen(p.reward.price);
    const std::string named = "『" + p.reward.name + "』（" + p.priceText + "）";
    if (p.reached)
        p.words = "ごほうび" + named + "に手が届きました！";
    else
        p.words =
            "ごほうび" + named + "まで、あと" + Yen(p.remaining) + "です（" + FullWidth(p.percent) + "％）。";
    return p;
}

Plan WithRewardReached(Plan plan, const RewardProgress& progress) {
    if (!progress.reached || !plan.reward || *plan.reward != progress.reward) return plan;
    plan.reached.push_back({*plan.reward, progress.quit});
    plan.reward.reset();
    return plan;
}

std::string ReachedRewardsText(const Plan& plan) {
    std::string text;
    for (const ReachedReward& r : plan.reached)
        text += (text.empty() ? "これまでに届いたごほうび：" : "、") + r.reward.name + "（" +
                Yen(r.reward.price) + "）";
    return text;
}

JournalEvent RewardJournalLine(const Reward& reward, const CalendarMoment& quit, const CalendarMoment& now) {
    return {now,
            "notice",
            {kRewardName},
            {{"name", reward.name}, {"price", Decimal(reward.price)}, {"quit", MinuteWord(quit)}}};
}

std::optional<RewardSaid> RewardSaidOfLine(const JournalEvent& line) {
    if (line.kind != "notice" || line.words.size() != 1 || line.words[0] != kRewardName) return std::nullopt;
    const auto name = line.field("name");
    const auto price = line.field("price");
    const auto quit = line.field("quit");
    if (!name || !price || !quit || name->empty() || price->empty() || price->size() > 12 ||
        !std::all_of(price->begin(), price->end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const std::optional<CalendarMoment> q = ParseMinuteWord(*quit);
    if (!q) return std::nullopt;
    return RewardSaid{{std::string(*name), std::stoll(std::string(*price))}, *q};
}

void RewardLedger::add(const JournalEvent& line) {
    if (const std::optional<RewardSaid> s = RewardSaidOfLine(line)) said_.insert(KeyOf(s->reward, s->quit));
}

bool RewardLedger::said(const Reward& reward, const CalendarMoment& quit) const {
    return said_.count(KeyOf(reward, quit)) != 0;
}

RewardRound NextRewardNotice(const RewardProgress& p, const RewardLedger& said, const CalendarMoment& now) {
    RewardRound round;
    if (!p.set || !p.reached || said.said(p.reward, p.quit)) return round;
    round.notice = NoticeText{"ごほうび『" + p.reward.name + "』に手が届きました！",
                              "吸わずに浮いたお金で、『" + p.reward.name + "』（" + p.priceText +
                                  "）が買えるようになりました。次のごほうびも決めてみましょう。"};
    round.lines.push_back(RewardJournalLine(p.reward, p.quit, now));
    return round;
}

RewardRound NextRewardNotice(const RewardProgress& p, const std::vector<JournalEvent>& journal,
                             const CalendarMoment& now) {
    RewardLedger ledger;
    for (const JournalEvent& line : journal) ledger.add(line);
    return NextRewardNotice(p, ledger, now);
}

std::string RewardJson(const RewardProgress& p) {
    if (!p.set) return "null";
    return "{\"name\":" + JsonString(p.reward.name) + ",\"price\":" + Decimal(p.reward.price) +
           ",\"saved\":" + Decimal(p.saved) + ",\"remaining\":" + Decimal(p.remaining) +
           ",\"percent\":" + Decimal(p.percent) + ",\"reached\":" + (p.reached ? "true" : "false") +
           ",\"text\":" + JsonString(p.words) + "}";
}

}  // namespace kemless
