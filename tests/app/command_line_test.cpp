// The command line and the choice of windowing system, read before any
// window or folder exists.
#include "command_line.h"

#include <gtest/gtest.h>

#include "platform.h"

namespace kemless {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(const QStringList& arguments) {
    std::vector<std::string> bytes;
    for (const QString& a : arguments) bytes.push_back(a.toStdString());
    return ParseCommandLine(bytes);
}

struct ArgsCase {
    const char* name;
    QStringList arguments;  // after the program name
    Action action;
    QString dataDir;
    QString platform;
};
void PrintTo(const ArgsCase& c, std::ostream* os) { *os << c.name; }

class CommandLineParse : public testing::TestWithParam<ArgsCase> {};

TEST_P(CommandLineParse, ActionAndValues) {
    const ArgsCase& c = GetParam();
    const CommandLine cl = Parse(QStringList{QStringLiteral("kemless")} + c.arguments);
    EXPECT_EQ(cl.action, c.action) << cl.error.toStdString();
    EXPECT_EQ(cl.dataDir, c.dataDir.toStdString());
    EXPECT_EQ(cl.platform, c.platform);
    EXPECT_EQ(cl.action == Action::Error, !cl.error.isEmpty());
    EXPECT_FALSE(cl.error.contains(QLatin1Char('\n'))) << "an error is one line";
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, CommandLineParse,
    testing::Values(
        ArgsCase{"nothing_runs", {}, Action::Run, {}, {}},
        ArgsCase{"long_help", {"--help"}, Action::Help, {}, {}},
        ArgsCase{"short_help", {"-h"}, Action::Help, {}, {}},
        ArgsCase{"version", {"--version"}, Action::Version, {}, {}},
        ArgsCase{"help_wins_over_a_data_dir", {"--data-dir", "x", "--help"}, Action::Help, "x", {}},
        ArgsCase{"data_dir_separate", {"--data-dir", "/media/stick"}, Action::Run, "/media/stick", {}},
        ArgsCase{"data_dir_with_equals", {"--data-dir=rel/dir"}, Action::Run, "rel/dir", {}},
        ArgsCase{"data_dir_dot", {"--data-dir", "."}, Action::Run, ".", {}},
        ArgsCase{"qt_platform_left_to_qt", {"-platform", "xcb"}, Action::Run, {}, "xcb"},
        ArgsCase{"qt_style_left_to_qt", {"-style", "Fusion", "-reverse"}, Action::Run, {}, {}},
        ArgsCase{"unknown_long_option", {"--frobnicate"}, Action::Error, {}, {}},
        ArgsCase{"unknown_short_option", {"-x"}, Action::Error, {}, {}},
        ArgsCase{"data_dir_without_folder", {"--data-dir"}, Action::Error, {}, {}},
        ArgsCase{"data_dir_empty", {"--data-dir="}, Action::Error, {}, {}},
        ArgsCase{"stray_argument", {"somefile"}, Action::Error, {}, {}},
        ArgsCase{"hidden_and_notify_run", {"--hidden", "--notify"}, Action::Run, {}, {}},
        ArgsCase{"summary", {"--summary"}, Action::Summary, {}, {}},
        ArgsCase{"short_with_a_data_dir", {"--data-dir", "d", "--short"}, Action::Short, "d", {}},
        ArgsCase{"autostart_on", {"--autostart", "on"}, Action::AutostartOn, {}, {}},
        ArgsCase{
            "autostart_off_with_equals", {"--autostart=off", "--data-dir=d"}, Action::AutostartOff, "d", {}},
        ArgsCase{"autostart_other_value", {"--autostart", "yes"}, Action::Error, {}, {}},
        ArgsCase{"autostart_without_value", {"--autostart"}, Action::Error, {}, {}},
        ArgsCase{"summary_and_short_together", {"--summary", "--short"}, Action::Error, {}, {}},
        ArgsCase{"summary_and_autostart_together", {"--autostart", "on", "--summary"}, Action::Error, {}, {}},
        ArgsCase{"help_wins_over_summary", {"--summary", "--help"}, Action::Help, {}, {}},
        ArgsCase{"autostart_status", {"--autostart=status"}, Action::AutostartStatus, {}, {}},
        ArgsCase{"summary_as_json", {"--summary", "--format=json"}, Action::Json, {}, {}},
        ArgsCase{"summary_as_text", {"--summary", "--format", "text"}, Action::Summary, {}, {}},
        ArgsCase{"json_alone", {"--json", "--markup"}, Action::Json, {}, {}},
        ArgsCase{"json_and_format_json", {"--json", "--format=json"}, Action::Json, {}, {}},
        ArgsCase{"json_and_format_text", {"--json", "--format=text"}, Action::Error, {}, {}},
        ArgsCase{"summary_in_an_unknown_form", {"--summary", "--format=xml"}, Action::Error, {}, {}},
        ArgsCase{"format_without_summary", {"--format=json"}, Action::Error, {}, {}},
        ArgsCase{"short_compact", {"--short", "--compact"}, Action::Compact, {}, {}},
        ArgsCase{"days", {"--days", "--markup"}, Action::Compact, {}, {}},
        ArgsCase{"compact_without_short", {"--summary", "--compact"}, Action::Error, {}, {}},
        ArgsCase{"markup_without_a_text", {"--markup"}, Action::Error, {}, {}},
        ArgsCase{"json_and_days_together", {"--json", "--days"}, Action::Error, {}, {}},
        ArgsCase{"export_csv", {"--export", "csv", "--data-dir", "d"}, Action::ExportCsv, "d", {}},
        ArgsCase{"export_csv_with_equals", {"--export=csv"}, Action::ExportCsv, {}, {}},
        ArgsCase{"export_in_an_unknown_form", {"--export", "xlsx"}, Action::Error, {}, {}},
        ArgsCase{"export_without_a_form", {"--export"}, Action::Error, {}, {}},
        ArgsCase{"export_and_json_together", {"--export", "csv", "--json"}, Action::Error, {}, {}},
        ArgsCase{"export_with_markup", {"--export", "csv", "--markup"}, Action::Error, {}, {}}),
    [](const testing::TestParamInfo<ArgsCase>& info) { return info.param.name; });

// The windows beside the display: one of them, with a run, never with a task.
TEST(CommandLineWindows, OneWindowARunMayOpen) {
    const struct {
        QStringList arguments;
        Action action;
        QString window;
    } rows[] = {
        {{"--craving"}, Action::Run, "craving"},
        {{"--record", "--data-dir", "d"}, Action::Run, "record"},
        {{"--hidden", "--health"}, Action::Run, "health"},
        {{}, Action::Run, ""},
        {{"--craving", "--health"}, Action::Error, ""},
        {{"--record", "--record"}, Action::Run, "record"},
        {{"--summary", "--craving"}, Action::Error, ""},
        {{"--health", "--autostart", "on"}, Action::Error, ""},
        {{"--craving", "--help"}, Action::Help, ""},
        {{"--plan"}, Action::Run, "plan"},
        {{"--plan", "--record"}, Action::Error, ""},
        {{"--plan", "--export", "csv"}, Action::Error, ""},
    };
    for (const auto& row : rows) {
        const CommandLine cl = Parse(QStringList{QStringLiteral("kemless")} + row.arguments);
        EXPECT_EQ(cl.action, row.action) << row.arguments.join(' ').toStdString();
        if (cl.action != Action::Error) {
            EXPECT_EQ(cl.window, row.window) << row.arguments.join(' ').toStdString();
        }
        EXPECT_FALSE(cl.error.contains(QLatin1Char('\n')));
    }
    for (const char* option : {"--craving", "--record", "--health", "--plan", "--export"})
        EXPECT_TRUE(UsageText().contains(QLatin1String(option))) << option;
}

TEST(CommandLineBytes, TheDataFolderIsTheBytesGivenNeverReEncoded) {
    // Folder names need not be UTF-8: "café" in Latin-1, a lone byte, a
    // broken sequence. The locale's decoder would replace each by U+FFFD.
    const struct {
        std::vector<std::string> arguments;
        std::string dataDir;
    } rows[] = {
        {{"kemless", "--data-dir", "/home/u/caf\xe9"}, "/home/u/caf\xe9"},
        {{"kemless", "--data-dir=rec\xff\xfe"}, "rec\xff\xfe"},
        {{"kemless", "-data-dir", "\xe3\x81"}, "\xe3\x81"},
        {{"kemless", "--data-dir", "a\xe9", "--data-dir", "b\xe9", "--short"}, "b\xe9"},
        {{"kemless", "-platform", "--data-dir", "--data-dir", "x\xe9"}, "x\xe9"},
        {{"kemless", "--data-dir", "\xe9", "--autostart", "on"}, "\xe9"},
    };
    for (const auto& row : rows) {
        const CommandLine cl = ParseCommandLine(row.arguments);
        EXPECT_NE(cl.action, Action::Error) << cl.error.toStdString();
        EXPECT_EQ(cl.dataDir, row.dataDir);
    }
}

TEST(CommandLineFlags, HiddenAndNotifyAreReadOnTheirOwn) {
    const CommandLine both = ParseCommandLine({"kemless", "--notify", "--hidden"});
    EXPECT_TRUE(both.hidden);
    EXPECT_TRUE(both.notify);
    const CommandLine plain = ParseCommandLine({"kemless"});
    EXPECT_FALSE(plain.hidden);
    EXPECT_FALSE(plain.notify);
    EXPECT_EQ(ParseCommandLine({"kemless", "--autostart=maybe"}).error,
              QStringLiteral("kemless: --autostart には on、off、status のどれかを指定してください"));
    EXPECT_EQ(ParseCommandLine({"kemless", "--autostart"}).error,
              QStringLiteral("kemless: --autostart には on、off、status のどれかを指定してください"));
}

TEST(CommandLineTexts, UsageNamesEveryOptionAndWhereTheRecordLives) {
    const QString usage = UsageText();
    for (const char* word :
         {"--help", "--version", "--data-dir", "-platform", "XDG_DATA_HOME", "--hidden", "--notify",
          "--summary", "--short", "--json", "--days", "--compact", "--markup", "--autostart on|off|status",
          "autostart/kemless.desktop", ".local/share/kemless/kemlessdata", "initial.ini", "option.ini"})
        EXPECT_TRUE(usage.contains(QLatin1String(word))) << word;
    EXPECT_EQ(VersionText(), QStringLiteral("kemless 1.20\n"));
}

TEST(CommandLineTexts, ErrorNamesTheOffendingOption) {
    EXPECT_TRUE(ParseCommandLine({"kemless", "--frobnicate"}).error.contains(QLatin1String("frobnicate")));
}

// Every error line names the option as it was typed, and in the same
// language as the rest of the program.
TEST(CommandLineTexts, ErrorsNameTheOptionAsTypedInJapanese) {
    const struct {
        QStringList arguments;
        QString line;
    } rows[] = {
        {{"--bogus"}, "kemless: 知らないオプションです: --bogus"},
        {{"-x"}, "kemless: 知らないオプションです: -x"},
        {{"--bogus=1"}, "kemless: 知らないオプションです: --bogus"},
        {{"--data-dir", "d", "--more"}, "kemless: 知らないオプションです: --more"},
        {{"--data-dir"}, "kemless: --data-dir にはフォルダを指定してください"},
        {{"--data-dir="}, "kemless: --data-dir にはフォルダを指定してください"},
        {{"-platform"}, "kemless: -platform には値を指定してください"},
        {{"stray"}, "kemless: 余分な引数です: stray"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Parse(QStringList{"kemless"} + row.arguments).error, row.line)
            << row.arguments.join(' ').toStdString();
}

struct PlatformCase {
    const char* name;
    bool userChose;
    const char* display;
    bool waylandReachable;  // WAYLAND_DISPLAY or XDG_RUNTIME_DIR set
    const char* expected;
};
void PrintTo(const PlatformCase& c, std::ostream* os) { *os << c.name; }

class PlatformChoice : public testing::TestWithParam<PlatformCase> {};

TEST_P(PlatformChoice, PrefersX11WhereAnXServerIsReachable) {
    const PlatformCase& c = GetParam();
    EXPECT_EQ(PreferredPlatform(c.userChose, c.display, c.waylandReachable), QByteArray(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Platform, PlatformChoice,
                         testing::Values(PlatformCase{"x_server_present", false, ":0", true, "xcb;wayland"},
                                         // A stale DISPLAY outside a desktop: libwayland
                                         // would add a line of its own, in English.
                                         PlatformCase{"x_server_and_no_wayland", false, ":0", false, "xcb"},
                                         PlatformCase{"wayland_only", false, "", true, ""},
                                         PlatformCase{"user_chose_a_platform", true, ":0", true, ""},
                                         PlatformCase{"user_chose_and_no_x_server", true, "", false, ""}),
                         [](const testing::TestParamInfo<PlatformCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kemless
