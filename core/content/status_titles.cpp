#include "content/status_titles.h"

#include <cstddef>
#include <iterator>
#include <utility>

namespace kemless {
namespace {

enum class Condition {
    DayEquals,
    DaysAtLeast,
    YearsAtLeast,
    YearsEquals,
    // One stop per whole day while the day is within the place list.
    DayHasPlace,
    // Day 365 before the first anniversary (a span over 29 February).
    LastDayBeforeAnniversary,
};

bool Holds(Condition condition, int32_t value, int32_t days, int32_t years) {
    switch (condition) {
        case Condition::DayEquals: return days == value;
        case Condition::DaysAtLeast: return days >= value;
        case Condition::YearsAtLeast: return years >= value;
        case Condition::YearsEquals: return years == value;
        case Condition::DayHasPlace: return days >= 0 && days < value;
        case Condition::LastDayBeforeAnniversary: return days == value && years == 0;
    }
    return false;
}

// One condition, one title per soldier, cosmo and company theme.
struct SharedRow {
    Condition condition;
    int32_t value;
    std::array<const char*, 3> titles;
};

constexpr SharedRow kSharedRows[] = {
    {Condition::DayEquals, 0, {"２等兵", "素粒子", "無職"}},
    {Condition::DayEquals, 1, {"１等兵", "陽子", "バイト"}},
    {Condition::DayEquals, 2, {"上等兵", "原子", "バイト長"}},
    {Condition::DayEquals, 3, {"兵長", "分子", "契約社員"}},
    {Condition::DayEquals, 4, {"伍長", "ゴマ粒", "正社員"}},
    {Condition::DayEquals, 5, {"軍曹", "小豆", "正社員二年目"}},
    {Condition::DaysAtLeast, 6, {"曹長", "大豆", "正社員三年目"}},
    {Condition::DaysAtLeast, 8, {"准尉", "タマゴ", "主任補佐"}},
    {Condition::DaysAtLeast, 10, {"少尉", "ヒヨコ", "主任"}},
    {Condition::DaysAtLeast, 12, {"中尉", "ニワトリ", "係長補佐"}},
    {Condition::DaysAtLeast, 14, {"大尉", "鶏小屋", "係長"}},
    {Condition::DaysAtLeast, 16, {"少佐", "農家", "課長補佐"}},
    {Condition::DaysAtLeast, 18, {"中佐", "集落", "課長"}},
    {Condition::DaysAtLeast, 20, {"大佐", "村", "次長補佐"}},
    {Condition::DaysAtLeast, 22, {"少将", "市", "次長"}},
    {Condition::DaysAtLeast, 26, {"中将", "県", "副部長"}},
    {Condition::DaysAtLeast, 30, {"大将", "日本列島", "部長"}},
    {Condition::DaysAtLeast, 60, {"元帥", "東アジア", "本部長補佐"}},
    {Condition::DaysAtLeast, 90, {"大臣", "アジア", "本部長"}},
    {Condition::DaysAtLeast, 120, {"首相", "北半球", "監査役"}},
    {Condition::DaysAtLeast, 150, {"大統領", "地球", "常務"}},
    {Condition::DaysAtLeast, 180, {"王様", "月と地球", "専務"}},
    {Condition::DaysAtLeast, 210, {"大王様", "太陽系", "副社長"}},
    {Condition::DaysAtLeast, 240, {"神", "銀河", "社長"}},
    {Condition::DaysAtLeast, 270, {"カイオウ", "大銀河", "会長"}},
    {Condition::DaysAtLeast, 300, {"ラオウ", "星雲", "最高顧問"}},
    {Condition::DaysAtLeast, 330, {"トキ", "小宇宙", "経団連副会長"}},
    {Condition::YearsAtLeast, 1, {"ケンシロウ", "コスモ", "経団連会長"}},
    {Condition::YearsAtLeast, 2, {"チョッパー", "大宇宙", "内閣顧問"}},
    {Condition::YearsAtLeast, 3, {"ゾロ", "宇宙王子", "内閣最高顧問"}},
    {Condition::YearsAtLeast, 4, {"ロビン", "宇宙王", "経済王"}},
    {Condition::YearsAtLeast, 5, {"ルフィ", "宇宙大王", "経済大王"}},
    {Condition::YearsAtLeast, 10, {"ユリア", "宇宙神", "経済神"}},
    {Condition::YearsAtLeast, 100, {"宇宙大神", "宇宙大神", "経済大神"}},
    {Condition::YearsEquals, 333, {"ルパン三世", "ルパン三世", "ルパン三世"}},
    {Condition::YearsAtLeast, 1000, {"トトロ", "トトロ", "トトロ"}},
};

constexpr const char* kJapanPlaces[] = {
    // days 0–9
    "西表島", "石垣島", "宮古島", "首里城", "万座毛", "美ら海水族館", "辺戸岬", "奄美大島", "屋久島", "種子島",
    // days 10–19
    "佐多岬", "指宿", "仙巌園", "霧島山", "桜島", "都井岬", "南郷", "飫肥", "青島", "綾",
    // days 20–29
    "高千穂峡", "黒川温泉", "阿蘇山", "熊本城", "人吉", "天草諸島", "雲仙", "長崎", "佐世保", "九十九島",
    // days 30–39
    "五島列島", "平戸", "対馬", "壱岐", "唐津", "伊万里", "有田", "嬉野", "博多", "太宰府",
    // days 40–49
    "柳川", "久留米", "小倉", "英彦山", "日田", "耶馬溪", "国東半島", "別府温泉", "湯布院温泉", "九重",
    // days 50–59
    "臼杵", "佐田岬", "道後温泉", "今治", "西条", "石鎚山", "四国カルスト", "大洲", "宇和島", "足摺岬",
    // days 60–69
    "四万十川", "桂浜", "安芸", "室戸岬", "阿南海岸", "鳴門", "徳島", "剣山", "祖谷渓", "大歩危小歩危",
    // days 70–79
    "観音寺", "琴平", "善通寺", "丸亀", "栗林公園", "小豆島", "坂出", "鷲羽山", "倉敷", "後楽園",
    // days 80–89
    "備前", "津山", "湯原温泉", "高梁", "福山", "尾道", "呉", "江田島", "原爆ドーム", "宮島",
    // days 90–99
    "岩国", "周防大島", "柳井", "防府", "湯田温泉", "秋吉台", "下関", "青海島", "萩", "津和野",
    // days 100–109
    "匹見峡", "石見銀山", "三瓶山", "出雲大社", "宍道湖", "玉造温泉", "隠岐", "米子", "大山", "関金温泉",
    // days 110–119
    "三朝温泉", "鳥取砂丘", "城崎温泉", "鉢伏山", "赤穂", "姫路", "明石", "淡路島", "神戸", "有馬温泉",
    // days 120–129
    "宝塚", "箕面", "太陽の塔", "大坂城", "ＵＳＪ", "通天閣", "住吉大社", "仁徳天皇陵", "岸和田", "紀三井寺",
    // days 130–139
    "日ノ御埼", "白浜温泉", "潮岬", "勝浦温泉", "那智大滝", "熊野三山", "高野山", "十津川", "大台ヶ原", "吉野山",
    // days 140–149
    "明日香", "天理", "法隆寺", "東大寺", "平等院", "清水寺", "嵐山", "金閣寺", "大原", "久美浜",
    // days 150–159
    "天橋立", "三方五湖", "敦賀", "越前岬", "東尋坊", "永平寺", "九頭竜湖", "伊吹山", "彦根城", "近江八幡",
    // days 160–169
    "栗東", "比叡山延暦寺", "大津", "信楽", "伊賀", "赤目", "尾鷲", "志摩", "伊勢神宮外宮", "伊勢神宮内宮",
    // days 170–179
    "鈴鹿", "湯の山温泉", "名古屋城", "セントレア", "伊良湖岬", "鳳来寺山", "岡崎", "豊田", "足助", "犬山",
    // days 180–189
    "金華山", "郡上八幡", "下呂温泉", "奥飛騨温泉郷", "高山", "白川郷", "山中温泉", "山代温泉", "兼六園", "千里浜",
    // days 190–199
    "輪島", "恋路海岸", "和倉温泉", "砺波", "五箇山", "富山", "魚津", "宇奈月温泉", "黒部ダム", "白馬",
    // days 200–209
    "野尻湖", "野沢温泉", "志賀高原", "善光寺", "上高地", "乗鞍", "諏訪湖", "軽井沢", "八ヶ岳高原", "高遠",
    // days 210–219
    "木曽駒ヶ岳", "天竜峡", "寸又峡", "浜名湖", "御前崎", "日本平", "修善寺温泉", "下田", "熱海温泉", "白糸の滝",
    // days 220–229
    "富士山", "山中湖", "河口湖", "甲府", "清里", "大菩薩峠", "丹沢", "箱根", "江ノ島", "鎌倉",
    // days 230–239
    "油壺", "観音崎", "八景島", "横浜中華街", "川崎大師", "東京タワー", "新宿", "八王子", "奥多摩湖", "青梅",
    // days 240–249
    "武蔵野", "秋葉原", "ＴＤＬ", "木更津", "館山", "大島", "鴨川", "九十九里浜", "犬吠埼", "成田山",
    // days 250–259
    "牛久", "霞ヶ浦", "筑波山", "大洗", "水戸", "日立", "大子", "八溝山", "那須高原", "塩原温泉郷",
    // days 260–269
    "湯西川温泉", "鬼怒川温泉", "日光", "中禅寺湖", "宇都宮", "益子", "足利", "熊谷", "春日部", "草加",
    // days 270–279
    "大宮", "所沢", "秩父", "中津峡", "長瀞", "前橋", "伊香保温泉", "浅間山", "草津温泉", "四万温泉",
    // days 280–289
    "赤城山", "水上温泉郷", "尾瀬", "魚沼", "越後湯沢温泉", "上越", "柏崎", "弥彦山", "佐渡島", "新潟",
    // days 290–299
    "村上", "喜多方", "只見", "会津若松", "猪苗代湖", "白河", "いわき", "郡山", "飯坂温泉", "蔵王",
    // days 300–309
    "仙台", "松島", "石巻", "気仙沼", "鳴子温泉", "天童", "山形", "米沢", "月山", "羽黒山",
    // days 310–319
    "湯野浜温泉", "最上峡", "鳥海山", "秋ノ宮温泉郷", "田沢湖", "乳頭温泉郷", "森吉山", "秋田", "男鹿半島", "大館",
    // days 320–329
    "八幡平", "盛岡", "花巻温泉郷", "夏油温泉", "中尊寺", "遠野", "早池峰山", "宮古", "金田一温泉", "八戸",
    // days 330–339
    "十和田湖", "大鰐温泉", "白神山地", "岩木山", "青森", "八甲田山", "恐山", "竜飛崎", "函館", "奥尻島",
    // days 340–349
    "小樽", "ニセコ", "羊蹄山", "洞爺湖", "登別温泉", "支笏湖", "札幌", "帯広", "襟裳岬", "釧路湿原",
    // days 350–359
    "霧多布", "阿寒湖", "摩周湖", "屈斜路湖", "十勝岳", "層雲峡", "大雪山", "富良野", "旭山動物園", "利尻島",
    // days 360–365
    "礼文島", "宗谷岬", "クッチャロ湖", "サロマ湖", "網走", "知床",
};
static_assert(std::size(kJapanPlaces) == 366);

struct TravelRow {
    Condition condition;
    int32_t value;
    const char* title;  // null: the place of the day
};

constexpr TravelRow kTravelRows[] = {
    {Condition::DayHasPlace, static_cast<int32_t>(std::size(kJapanPlaces)), nullptr},
    {Condition::LastDayBeforeAnniversary, 365, "網走"},
    {Condition::YearsAtLeast, 1, "知床"},
    {Condition::YearsAtLeast, 2, "ハワイ"},
    {Condition::YearsAtLeast, 3, "アメリカ"},
    {Condition::YearsAtLeast, 4, "ブラジル"},
    {Condition::YearsAtLeast, 5, "南アフリカ"},
    {Condition::YearsAtLeast, 6, "エジプト"},
    {Condition::YearsAtLeast, 7, "フランス"},
    {Condition::YearsAtLeast, 8, "トルコ"},
    {Condition::YearsAtLeast, 9, "インド"},
    {Condition::YearsAtLeast, 10, "中国"},
    {Condition::YearsAtLeast, 11, "日本"},
    {Condition::YearsAtLeast, 100, "天空の城"},
    {Condition::YearsAtLeast, 1000, "神の国"},
};

}  // namespace

std::span<const char* const> JapanTravelPlaces() { return kJapanPlaces; }

namespace {

// The title and its rank: the row that decided it (later rows win); on the
// journey one rank a stop, then the years rows after the 366 stops.
std::pair<const char*, int32_t> TitleAndRank(std::string_view statusMode, int32_t wholeDays, int32_t years) {
    const char* title = "";
    int32_t rank = -1;
    if (statusMode == kStatusModes[3]) {
        constexpr auto kStops = static_cast<int32_t>(std::size(kJapanPlaces));
        for (std::size_t i = 0; i < std::size(kTravelRows); ++i) {
            const TravelRow& row = kTravelRows[i];
            if (!Holds(row.condition, row.value, wholeDays, years)) continue;
            title = row.title != nullptr ? row.title : kJapanPlaces[wholeDays];
            // Day 365 before the anniversary stays at the stop of day 364.
            rank = row.condition == Condition::DayHasPlace                ? wholeDays
                   : row.condition == Condition::LastDayBeforeAnniversary ? kStops - 2
                                                                          : kStops + static_cast<int32_t>(i);
        }
        return {title, rank};
    }
    for (std::size_t column = 0; column < 3; ++column) {
        if (statusMode != kStatusModes[column]) continue;
        for (std::size_t i = 0; i < std::size(kSharedRows); ++i) {
            const SharedRow& row = kSharedRows[i];
            if (!Holds(row.condition, row.value, wholeDays, years)) continue;
            title = row.titles[column];
            rank = static_cast<int32_t>(i);
        }
    }
    return {title, rank};
}

}  // namespace

std::string ComputeStatusTitle(std::string_view statusMode, int32_t wholeDays, int32_t years) {
    // Every row that holds replaces the title, so later rows win.
    return TitleAndRank(statusMode, wholeDays, years).first;
}

StatusTitle ComputeStatusTitleAndRank(std::string_view statusMode, int32_t wholeDays, int32_t years) {
    const auto [title, rank] = TitleAndRank(statusMode, wholeDays, years);
    return {title, rank};
}

int32_t StatusTitleRank(std::string_view statusMode, int32_t wholeDays, int32_t years) {
    return TitleAndRank(statusMode, wholeDays, years).second;
}

}  // namespace kemless
