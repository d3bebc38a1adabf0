#include "command_line.h"

#include <QCommandLineParser>
#include <string>
#include <utility>
#include <vector>

#include "basics/text.h"
#include "content/side_windows.h"

namespace kemless {
namespace {

// Options Qt's application object takes itself; those with a value take the
// next argument.
const char* const kQtValueOptions[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",  "display", "style", "stylesheet",
    "qwindowgeometry", "qwindowtitle",       "qwindowicon",   "session", "name",    "title", "geometry"};
const char* const kQtFlagOptions[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

// The option as the user typed it ("--bogus", "-x=1" shown as "-x"), from
// the bare name the parser reports.
QString AsTyped(const QStringList& arguments, const QString& name) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--")) break;
        if (!a.startsWith(QLatin1Char('-'))) continue;
        QString bare = a.section(QLatin1Char('='), 0, 0);
        const QString dashes =
            bare.startsWith(QLatin1String("--")) ? QStringLiteral("--") : QStringLiteral("-");
        if (bare.mid(dashes.size()) == name) return bare;
    }
    return QStringLiteral("--") + name;
}

// The value of the last --data-dir as the bytes given, the way the parser
// reads the text: "--data-dir DIR", "--data-dir=DIR" or with one dash, and
// nothing after "--"; an option that takes a value takes the next argument.
std::string RawDataDir(const std::vector<std::string>& arguments) {
    std::string value;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--") break;
        if (a.size() < 2 || a[0] != '-') continue;
        const std::string bare = a.substr(a.compare(0, 2, "--") == 0 ? 2 : 1);
        const size_t equals = bare.find('=');
        const std::string name = bare.substr(0, equals);
        if (name == "data-dir") {
            if (equals != std::string::npos)
                value = bare.substr(equals + 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            continue;
        }
        bool takesValue = name == "autostart" || name == "format";
        for (const char* option : kQtValueOptions) takesValue = takesValue || name == option;
        if (takesValue && equals == std::string::npos) ++i;
    }
    return value;
}

}  // namespace

bool CommandLine::platformChosen() const { return !platform.isEmpty(); }

CommandLine ParseCommandLine(const std::vector<std::string>& raw) {
    QStringList arguments;
    for (const std::string& a : raw) arguments << QString::fromLocal8Bit(a.data(), qsizetype(a.size()));
    QCommandLineParser parser;
    // "-platform xcb" as Qt writes it; -h still works as a name of its own.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(dataDir);
    const QCommandLineOption autostart(QStringLiteral("autostart"), QString(), QStringLiteral("on|off"));
    const QCommandLineOption hidden(QStringLiteral("hidden"));
    const QCommandLineOption notify(QStringLiteral("notify"));
    const QCommandLineOption summary(QStringLiteral("summary"));
    const QCommandLineOption shortText(QStringLiteral("short"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("text|json"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption compact(QStringLiteral("compact"));
    const QCommandLineOption days(QStringLiteral("days"));
    const QCommandLineOption markup(QStringLiteral("markup"));
    const QCommandLineOption exportAs(QStringLiteral("export"), QString(), QStringLiteral("csv"));
    parser.addOptions(
        {autostart, hidden, notify, summary, shortText, format, json, compact, days, markup, exportAs});
    // The windows beside the display, each by its option.
    const QCommandLineOption craving(QString::fromLatin1(kCravingWindow.name));
    const QCommandLineOption record(QString::fromLatin1(kRecordWindow.name));
    const QCommandLineOption health(QString::fromLatin1(kHealthWindow.name));
    const QCommandLineOption plan(QString::fromLatin1(kPlanWindow.name));
    parser.addOptions({craving, record, health, plan});
    for (const char* name : kQtValueOptions)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    for (const char* name : kQtFlagOptions) parser.addOption(QCommandLineOption(QString::fromLatin1(name)));

    CommandLine result;
    auto fail = [&result](const QString& line) {
        result.action = CommandLine::Action::Error;
        result.error = line;
        return result;
    };
    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty())
            return fail(QStringLiteral("kemless: 知らないオプションです: %1")
                            .arg(AsTyped(arguments, parser.unknownOptionNames().first())));
        // The one other way parsing fails: an option that takes a value came last.
        const QString last = arguments.size() > 1 ? arguments.last() : QString();
        if (last == QLatin1String("--data-dir") || last == QLatin1String("-data-dir"))
            return fail(QStringLiteral("kemless: --data-dir にはフォルダを指定してください"));
        if (last == QLatin1String("--export") || last == QLatin1String("-export"))
            return fail(QStringLiteral("kemless: %1 には csv を指定してください").arg(last));
        if (last == QLatin1String("--autostart") || last == QLatin1String("-autostart"))
            return fail(
                QStringLiteral("kemless: %1 には on、off、status のどれかを指定してください").arg(last));
        return fail(QStringLiteral("kemless: %1 には値を指定してください").arg(last));
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("kemless: 余分な引数です: %1").arg(parser.positionalArguments().first()));
    result.platform = parser.value(QStringLiteral("platform"));
    // The text went through the locale's decoder, which replaces what is not
    // UTF-8: the folder is taken from the bytes.
    result.dataDir = RawDataDir(raw);
    result.hidden = parser.isSet(hidden);
    result.notify = parser.isSet(notify);
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::Help;
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::Version;
        return result;
    }
    if (parser.isSet(dataDir) && result.dataDir.empty())
        return fail(QStringLiteral("kemless: --data-dir にはフォルダを指定してください"));
    // One thing to do besides running: print a text, or set the login start.
    const bool summaryText = parser.isSet(summary) || parser.isSet(json);
    const bool shortLine = parser.isSet(shortText) || parser.isSet(days);
    const int tasks =
        int(parser.isSet(autostart)) + int(summaryText) + int(shortLine) + int(parser.isSet(exportAs));
    if (tasks > 1)
        return fail(
            QStringLiteral("kemless: --autostart、--summary（--json）、--short（--days）、--export は"
                           "どれか一つだけ指定してください"));
    // The forms of a text go with their text.
    if (parser.isSet(format) && !summaryText)
        return fail(QStringLiteral("kemless: --format は --summary と一緒に指定してください"));
    if (parser.isSet(compact) && !shortLine)
        return fail(QStringLiteral("kemless: --compact は --short と一緒に指定してください"));
    if (parser.isSet(markup) && !summaryText && !shortLine)
        return fail(QStringLiteral(
            "kemless: --markup は --summary、--short、--json、--days と一緒に指定してください"));
    result.markup = parser.isSet(markup);
    for (const QCommandLineOption* option : {&craving, &record, &health, &plan}) {
        if (!parser.isSet(*option)) continue;
        if (!result.window.isEmpty())
            return fail(QStringLiteral(
                "kemless: --craving、--record、--health、--plan はどれか一つだけ指定してください"));
        result.window = option->names().first();
    }
    // A window opens in a running program; the tasks print or set and end.
    if (tasks > 0 && !result.window.isEmpty())
        return fail(QStringLiteral("kemless: --%1 は --autostart、--summary（--json）、--short（--days）、"
                                   "--export と一緒には指定できません")
                        .arg(result.window));
    if (parser.isSet(autostart)) {
        const QString value = parser.value(autostart);
        if (value == QLatin1String("on"))
            result.action = CommandLine::Action::AutostartOn;
        else if (value == QLatin1String("off"))
            result.action = CommandLine::Action::AutostartOff;
        else if (value == QLatin1String("status"))
            result.action = CommandLine::Action::AutostartStatus;
        else
            return fail(QStringLiteral("kemless: %1 には on、off、status のどれかを指定してください")
                            .arg(AsTyped(arguments, QStringLiteral("autostart"))));
    } else if (summaryText) {
        const QString form = parser.isSet(json) ? QStringLiteral("json") : parser.value(format);
        if (form.isEmpty() || form == QLatin1String("text"))
            result.action = CommandLine::Action::Summary;
        else if (form == QLatin1String("json"))
            result.action = CommandLine::Action::Json;
        else
            return fail(QStringLiteral("kemless: --format には text か json を指定してください"));
        if (parser.isSet(json) && parser.isSet(format) && parser.value(format) != QLatin1String("json"))
            return fail(QStringLiteral("kemless: --json と --format=%1 は一緒に指定できません")
                            .arg(parser.value(format)));
    } else if (parser.isSet(exportAs)) {
        if (parser.value(exportAs) != QLatin1String("csv"))
            return fail(QStringLiteral("kemless: --export には csv を指定してください"));
        result.action = CommandLine::Action::ExportCsv;
    } else if (shortLine) {
        result.action = parser.isSet(days) || parser.isSet(compact) ? CommandLine::Action::Compact
                                                                    : CommandLine::Action::Short;
    }
    return result;
}

namespace {

// The options as --help lists them: the option, then its words, one string
// for each line they take.
struct OptionHelp {
    std::string option;
    std::vector<std::string> lines;
};
// The windows beside the display, each by its option, from the one table.
OptionHelp WindowHelp(const SideWindowName& w, std::vector<std::string> more = {}) {
    more.insert(more.begin(), std::string("「") + w.title + "」を開きます（" + w.holds + "）。");
    return {std::string("--") + w.name, std::move(more)};
}
// clang-format off
const std::vector<OptionHelp> kOptionHelp = {
    {"-h, --help", {"この説明を表示して終了します。"}},
    {"--version", {"バージョンを表示して終了します。"}},
    {"--data-dir フォルダ", {"記録をこのフォルダの中の kemlessdata に置きます",
                          "（相対パスは起動したフォルダから。--data-dir . で起動したフォルダ）。"}},
    {"--hidden", {"表示ウインドウを通知領域にしまって起動します（通知領域がなければ",
                  "X11 では最小化、Wayland ではそのまま表示）。もう一度起動すると出てきます。"}},
    {"--notify", {"ステータスが変わったとき、卒煙○ヶ月・○年、アヒルの来訪、",
                  "吸わなかったタバコの長さの節目、回復のあゆみの各段階に、",
                  "デスクトップ通知でお知らせします。止めていたあいだの節目は次の起動で",
                  "まとめてお知らせし、同じお知らせは二度出しません",
                  "（kemlessdata/journal.txt に記録します）。"}},
    {"--summary", {"コピ１と同じ６行の文を標準出力に書いて終了します（パネルやスクリプト用）。"}},
    {"--short", {"コピ２と同じ１行の文を標準出力に書いて終了します。"}},
    {"--format=json, --json", {"すべての数字と文を JSON で１行に書きます（waybar などのパネル用）。",
                               "next は次の節目（ステータス、卒煙○ヶ月・○年、アヒル、長さ）で、",
                               "回復のあゆみの段階は入りません。"}},
    {"--compact, --days", {"「卒煙122日・84,477円」のような短い１行を書きます。"}},
    {"--markup", {"書く文の & < > を Pango のマークアップ用に書き換えます。"}},
    {"--export csv", {"「吸いたくなったら」で乗り越えた・吸ってしまった記録と卒煙の開始・終了を、",
                      "きっかけとともに CSV（UTF-8、見出し行つき）で標準出力に書いて終了します",
                      "（表計算ソフト用）。ほかには何も書きません。"}},
    {"--autostart on|off|status", {"ログイン時に --hidden --notify で起動する設定を",
                                   "$XDG_CONFIG_HOME/autostart/kemless.desktop に登録（on）・取り消し（off）、",
                                   "いまの状態と起動するコマンドを表示（status）します。",
                                   "--data-dir を一緒に指定すると、そのフォルダの記録で起動します。"}},
    WindowHelp(kCravingWindow),
    WindowHelp(kRecordWindow),
    WindowHelp(kHealthWindow),
    WindowHelp(kPlanWindow, {"ケムレスが起動中なら、そのケムレスで開きます。卒煙を始める前なら、",
                               "初期設定と開始の儀式のあとで開きます。"}),
    {"-platform 名前", {"Qt のプラットフォーム（xcb、wayland など）を選びます。"}},
};
// clang-format on
// Where every option's words start, in cells; an option too long to leave
// two blanks before it has its words on the lines below.
constexpr int kOptionIndent = 2;
constexpr int kWordsColumn = 21;

}  // namespace

QString UsageText() {
    std::string text =
        "使い方: kemless [--data-dir フォルダ] [--hidden] [--notify] [Qt のオプション]\n"
        "        kemless [--data-dir フォルダ] --summary [--format=text|json] | --json [--markup]\n"
        "        kemless [--data-dir フォルダ] --short [--compact] | --days [--markup]\n"
        "        kemless [--data-dir フォルダ] --autostart on|off|status\n"
        "        kemless [--data-dir フォルダ] --export csv\n"
        "        kemless [--data-dir フォルダ] --craving | --record | --health | --plan\n"
        "        kemless --help | --version\n"
        "\n"
        "ケムレス：卒煙からの日数、延びた寿命、節約できた金額などを表示する卒煙サポートソフト。\n"
        "\n"
        "オプション:\n";
    const std::string margin(kWordsColumn, ' ');
    for (const OptionHelp& o : kOptionHelp) {
        std::string line = std::string(kOptionIndent, ' ') + o.option;
        const int cells = DisplayCells(line);
        if (cells + 2 <= kWordsColumn)
            line += std::string(static_cast<size_t>(kWordsColumn - cells), ' ');
        else
            line += "\n" + margin;
        bool first = true;
        for (const std::string& words : o.lines) {
            text += first ? line : margin;
            text += words;
            text += "\n";
            first = false;
        }
    }
    text +=
        "\n"
        "記録の場所:\n"
        "  $XDG_DATA_HOME/kemless/kemlessdata/ の initial.ini と option.ini、\n"
        "  journal.txt（お知らせと、吸いたい気持ち・吸ってしまったこと・卒煙の記録。\n"
        "  最初に何かを記録するときに作ります）\n"
        "  （XDG_DATA_HOME がなければ ~/.local/share/kemless/kemlessdata/）\n";
    return QString::fromStdString(text);
}

QString VersionText() { return QStringLiteral("kemless " KEMLESS_VERSION "\n"); }

}  // namespace kemless
