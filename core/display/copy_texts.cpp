#include "display/copy_texts.h"

#include "basics/text.h"
#include "figures/statistics.h"

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
    std::string quitLine =
        "卒煙日： " + Plain(in.quit.year) + "年 " + Plain(in.quit.month) + "月 " + Plain(in.quit.day);
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
    if (!d.showTotalDays) {
        elapsedLine += Plain(t.years) + "年 " + Plain(t.months) + "ヶ月 " + Plain(t.days) + "日 ";
    } else {
        elapsedLine += Plain(ElapsedDays(d.elapsedMinutes)) + "日 ";
    }
    elapsedLine += Plain(t.hours) + "時間 " + Plain(t.minutes) + "分";

    const LifeParts life = SplitLifeMinutes(d.lifeMinutesGained);
    const std::string lifeLine =
        "延びた寿命： " + Plain(life.days) + "日と" + Plain(life.hours) + "時間" + Plain(life.minutes) + "分";

    return "ステータス： " + d.captions[kStatusLabel] + "\r\n" + quitLine + "\r\n" + elapsedLine + "\r\n" +
           lifeLine + "\r\n" + "節約できた金額： " + d.captions[kMoneyLabel] + "\r\n" + "節煙本数： " +
           d.captions[kUnsmokedLabel];
}

std::string ShortText(const DisplayState& d, const InitialSettings& in, const OptionSettings& op) {
    std::string text =
        Wide(in.quit.year) + "年" + Wide(in.quit.month) + "月" + Wide(in.quit.day) + "日に卒煙。";
    switch (op.copyPlusMode) {
        case 0: break;
        case 1: text += "それまで１日" + Wide(in.cigarettesPerDay) + "本吸っていました。"; break;
        case 2:
            text += "それまで" + Wide(op.smokingYears) + "年間" + "１日" + Wide(in.cigarettesPerDay) + "本" +
                    "吸っていました。";
            break;
        default: return "";
    }
    return text + d.captions[kElapsedLabel] + "経過しました。" + d.savingsSummary + "ステータスは" +
           d.captions[kStatusLabel] + "。";
}

}  // namespace kemless
