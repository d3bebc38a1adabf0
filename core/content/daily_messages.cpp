#include "content/daily_messages.h"

#include <algorithm>
#include <array>

namespace kemless {
namespace {

// Blanks are part of the texts: 12 and 28 have a half-width one, 55 an
// ideographic space written as an escape so it cannot be mistaken for one.
constexpr std::array<const char*, 60> kMessages = {
    /*  0 */ "さあ今日からいよいよ卒煙です！がんばりましょう！",
    /*  1 */ "とにかく今日です！どんな手を使ってもいい！がんばれ！",
    /*  2 */ "がんばれ、まけるな。がんばれ、まけるな。",
    /*  3 */ "タバコは一時の満足、肺ガンは一生の苦しみ。やめるのは今！",
    /*  4 */ "タバコにだまされてはいけません。ただの枯れた葉っぱです",
    /*  5 */ "タバコ＝血行不良＝皮膚への栄養不足＝皮膚カサカサ＝老化",
    /*  6 */ "このキツイ卒煙経験は、あなたを大きく成長させるでしょう",
    /*  7 */ "よし！！一週間だ！！よくやった！！エライゾー！！",
    /*  8 */ "ゆったりと生活。のんびりと生活。けむりのない生活。",
    /*  9 */ "子供の頃を思い出そう。元々タバコなんて必要ないのです",
    /* 10 */ "「自分の意志で簡単にやめられない」←コレが煙草害の筆頭",
    /* 11 */ "卒煙して１１日目です。アヒル副隊長がお祝いに来ました",
    /* 12 */ "リラックス、リラックス。 ひとやすみ、ひとやすみ。",
    /* 13 */ "春夏秋冬。いつもおいしい空気。そして、おいしいごはん",
    /* 14 */ "キターーー！！２週間だーーー！！よくやったーーー！！",
    /* 15 */ "一本だけ。それは絶対にダメ！一本吸ったら全て終わりです",
    /* 16 */ "大丈夫。卒煙した多くの先輩達が貴方の味方です",
    /* 17 */ "ゆったり、ゆったり。ひとやすみ、ひとやすみ。",
    /* 18 */ "臭い新幹線の喫煙車両、臭い空港の喫煙ルーム、さようなら",
    /* 19 */ "タバコをやめた貴方の勇気に乾杯！",
    /* 20 */ "タバコの煙は有料ですが、おいしい空気は無料です",
    /* 21 */ "ヨシー！キター！３週間だ！エライゾー！！",
    /* 22 */ "卒煙して２２日目です。アヒル隊長がお祝いに来ました",
    /* 23 */ "イライラしたら、気分転換。コーヒーか、お茶でもどーぞ",
    /* 24 */ "タバコ臭いという理由だけで振られました・・・",
    /* 25 */ "もし夢で煙草を吸っていたら、それはタバコ脳の断末魔",
    /* 26 */ "卒煙したいという気持ちがある限り、必ずできるのです",
    /* 27 */ "もうタバコに無煙なわたし（おやぢぎゃぐ）",
    /* 28 */ "アヒル隊長から一言 「もうすぐ一ヶ月達成です」",
    /* 29 */ "吸いたくなったら、まずは大きく深呼吸です",
    /* 30 */ "人生を２度楽しめる。卒煙前と卒煙後",
    /* 31 */ "きれいな肺で、はーい元気（おやぢぎゃぐ２）",
    /* 32 */ "卒煙から１ヶ月経過しました。おめでとうございます",
    /* 33 */ "おめでとうございます。卒煙から２ヶ月経過しました",
    /* 34 */ "おめでとうございます。卒煙から３ヶ月経過しました",
    /* 35 */ "おめでとうございます。卒煙から４ヶ月経過しました",
    /* 36 */ "おめでとうございます。卒煙から５ヶ月経過しました",
    /* 37 */ "おめでとうございます。卒煙から６ヶ月経過しました",
    /* 38 */ "おめでとうございます。卒煙から７ヶ月経過しました",
    /* 39 */ "おめでとうございます。卒煙から８ヶ月経過しました",
    /* 40 */ "おめでとうございます。卒煙から９ヶ月経過しました",
    /* 41 */ "おめでとうございます。卒煙から１０ヶ月経過しました",
    /* 42 */ "おめでとうございます。卒煙から１１ヶ月経過しました",
    /* 43 */ "～ ご卒煙おめでとうございます ～",
    /* 44 */ "卒煙して３３日目です。アヒルの王様がお祝いに来ました",
    /* 45 */ "油断は禁物です。一本だけオバケに注意してください",
    /* 46 */ "飲み会では特に注意してください",
    /* 47 */ "煙草友達の喫煙の誘いには注意してください",
    /* 48 */ "気合いだ！気合いだ！気合いだ！気合いだ！気合いだー！",
    /* 49 */ "煮詰まったら、フッと肩の力を抜いてリラックスです",
    /* 50 */ "がんばれ！がんばれ！がんばれ！がんばれ！がんばれー！",
    /* 51 */ "根性です！今日は根性で乗り切るのです！",
    /* 52 */ "苦しくなったら気分転換！がんばれー！がんばれー！",
    /* 53 */ "ガンバレ！ガンバレ！ガンバレ！ガンバレ！ガンバレー！",
    /* 54 */ "今日を乗り切れば、取り合えず一山超えたことになります",
    /* 55 */ "そつえん いっかげつ おめでとぉー\u3000がぁーがぁーがぁー",
    /* 56 */ "卒煙して１ヶ月越えしましたが、油断は大敵です",
    /* 57 */ "卒煙して４４日目です。アヒル副隊長が喜んでいます",
    /* 58 */ "卒煙して５５日目です。アヒル隊長が喜んでいます",
    /* 59 */ "卒煙して６６日目です。アヒルの王様が喜んでいます",
};

// Duck days: the characters arrive on 33 and are pleased on 44, 55 and 66;
// 34 and 35 close the first month.
int SpecialDayIndex(int32_t wholeDays) {
    switch (wholeDays) {
        case 33: return 44;
        case 34: return 55;
        case 35: return 56;
        case 44: return 57;
        case 55: return 58;
        case 66: return 59;
        default: return -1;
    }
}

}  // namespace

std::span<const char* const> DailyMessages() { return kMessages; }

int PickDailyMessageIndex(int32_t wholeDays, int32_t years, int32_t months, int r) {
    int index = 0;
    if (years == 0 && months == 0) index = wholeDays;
    if (months >= 1 && months <= 11) index = 31 + months;
    if (years > 0) index = 43;
    if (const int special = SpecialDayIndex(wholeDays); special >= 0) index = special;
    // A clock set before the quit moment (or an impossible day count) would
    // index outside the table: show the first day's text instead.
    if (index < 0 || index >= static_cast<int>(kMessages.size())) index = 0;

    if (index >= 32 && index <= 42) {
        if (r == 1 || r == 2) return 45;
        if (r == 3) return 46;
        if (r == 4) return 47;
    } else if (index == 1) {
        if (r > 70) return 48;
        if (r < 20) return 49;
        if (r >= 21 && r <= 29) return 50;
    } else if (index == 2) {
        if (r > 70) return 51;
        if (r < 20) return 52;
        if (r >= 21 && r <= 29) return 53;
    } else if (index == 3) {
        if (r > 70) return 54;
    }
    return index;
}

std::string PickDailyMessage(int32_t wholeDays, int32_t years, int32_t months, int r) {
    return kMessages[PickDailyMessageIndex(wholeDays, years, months, r)];
}

}  // namespace kemless
