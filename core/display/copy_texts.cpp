#include "display/copy_texts.h"

#include <cmath>

#include "figures/number_text.h"

namespace kemless {
namespace {

std::string Plain(int64_t v) { return Decimal(v); }
std::string Wide(int64_t v) { return FullWidth(v); }

}  // namespace

std::string SizeLetter(int32_t cigaretteSize) {
    switch (cigaretteSize) {
        case kShort: return "小";
        case kStandard: return "中";
        case kLong: return "大";
        default: return "";
    }
}

std::string SummaryText(const DisplayState& d, const InitialSettings& in, const OptionSettings& op) {
    std::string quitLine = "卒煙日： " + Plain(in.quitYear) + "年 " + Plain(in.quitMonth) + "月 " +
                           Plain(in.quitDay);
    switch (op.copyPlusMode) {
        case 0: quitLine += "日"; break;
        case 1:
            quitLine += "日（" + Plain(in.cigarettesPerDay) + "本-" + Plain(in.packPrice) + "円-" +
                        SizeLetter(in.cigaretteSize) + "）";
            break;
        case 2:
            quitLine += "日（" + Plain(in.cigarettesPerDay) + "本-" + Plain(op.smokingYears) + "年）";
            break;
        default: return "";
    }

    const ElapsedTime& t = d.elapsed;
    std::string elapsedLine = "卒煙からの日数： ";
    if (d.showTotalDays == 0) {
        elapsedLine += Plain(t.years) + "年 " + Plain(t.months) + "ヶ月 " + Plain(t.days) + "日 ";
    } else {
        elapsedLine += Plain(ElapsedDays(d.elapsedMinutes)) + "日 ";
    }
    elapsedLine += Plain(t.hours) + "時間 " + Plain(t.minutes) + "分";

    const int32_t g = d.lifeMinutesGained;
    const std::string lifeLine = "延びた寿命： " + Plain(static_cast<int64_t>(std::floor(g / 1440.0))) +
                                 "日と" + Plain((g % 1440) / 60) + "時間" + Plain(g % 60) + "分";

    return "ステータス： " + d.captions[kStatusLabel] + "\r\n" + quitLine + "\r\n" + elapsedLine +
           "\r\n" + lifeLine + "\r\n" + "節約できた金額： " + d.captions[kMoneyLabel] + "\r\n" +
           "節煙本数： " + d.captions[kUnsmokedLabel];
}

std::string ShortText(const DisplayState& d, const InitialSettings& in, const OptionSettings& op) {
    std::string text = Wide(in.quitYear) + "年" + Wide(in.quitMonth) + "月" + Wide(in.quitDay) + "日に卒煙。";
    switch (op.copyPlusMode) {
        case 0: break;
        case 1: text += "それまで１日" + Wide(in.cigarettesPerDay) + "本吸っていました。"; break;
        case 2:
            text += "それまで" + Wide(op.smokingYears) + "年間" + "１日" + Wide(in.cigarettesPerDay) +
                    "本" + "吸っていました。";
            break;
        default: return "";
    }
    return text + d.captions[kElapsedLabel] + "経過しました。" + d.savingsSummary + "ステータスは" +
           d.captions[kStatusLabel] + "。";
}

}  // namespace kemless
