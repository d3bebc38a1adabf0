#include "companion/autostart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <utility>

#include "basics/text.h"
#include "records/record_file.h"
#include "records/settings_store.h"
#include "records/user_folders.h"

namespace kemless {
namespace {

constexpr std::string_view kGroup = "[Desktop Entry]";
// Long enough for the panel to have started with the session's other
// programs; the notification area is followed from then on anyway.
constexpr const char* kStartDelaySeconds = "2";

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

// One line from its pieces.
std::string Line(std::initializer_list<std::string_view> pieces) {
    std::string line = "kemless: ";
    for (std::string_view p : pieces) line += p;
    return line;
}

// A name or command from the entry or the environment, safe on a terminal.
std::string Shown(std::string_view text) { return ShownOnOneLine(text); }

AutostartResult Failed(const std::string& what, const std::string& path, const FileOutcome& why) {
    return {1, {Line({what, ": ", path, "（", ProblemText(why), "）"})}, {}};
}

// A string value as the desktop entry rules write it.
std::string Escaped(std::string_view value) {
    std::string out;
    for (const char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    if (!out.empty() && out.front() == ' ') out.replace(0, 1, "\\s");
    return out;
}

std::string Unescaped(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's': out += ' '; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            default: out += value[i];
        }
    }
    return out;
}

std::string ExecLine(const std::string& program, const std::string& dataDir) {
    std::string exec = ExecArgument(program) + " --hidden --notify";
    if (!dataDir.empty()) exec += " --data-dir " + ExecArgument(dataDir);
    return exec;
}

using Keys = std::vector<std::pair<std::string, std::string>>;

// What makes the entry start this program: always set.
Keys RunningKeys(const std::string& program, const std::string& dataDir) {
    return {{"Type", "Application"},
            {"Exec", ExecLine(program, dataDir)},
            // A moved or removed program is skipped by the session, not
            // started into an error nobody sees.
            {"TryExec", Escaped(program)},
            {"X-GNOME-Autostart-enabled", "true"}};
}

// The rest of ours: added where the user's entry lacks them.
Keys OtherKeys() {
    return {{"Name", "ケムレス"},
            {"Comment",
             "Stay smoke-free: starts hidden in the notification area and says a word at each milestone"},
            {"Comment[ja]", "ログイン時に通知領域で起動し、節目ごとにお知らせします"},
            {"Icon", "kemless"},
            {"Terminal", "false"},
            {"X-GNOME-Autostart-Delay", kStartDelaySeconds},
            // Started once the panel is there to hold the icon.
            {"X-KDE-autostart-after", "panel"},
            {"X-LXQt-Need-Tray", "true"}};
}

std::string_view KeyOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || line.empty() || line[0] == '#') return {};
    return Trim(line.substr(0, equals));
}

std::vector<std::string> LinesOf(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The [Desktop Entry] group of `text` with `set` set (each key once),
// `add` added where missing, `drop` taken out; everything else kept.
std::string Edited(std::string_view text, const Keys& set, const Keys& add,
                   std::initializer_list<std::string_view> drop) {
    std::vector<std::string> lines = LinesOf(text);
    auto group = std::find(lines.begin(), lines.end(), kGroup);
    if (group == lines.end()) group = lines.insert(lines.begin(), std::string(kGroup));
    const auto begin = static_cast<std::size_t>(group - lines.begin()) + 1;
    std::size_t end = begin;
    while (end < lines.size() && (lines[end].empty() || lines[end][0] != '[')) ++end;
    std::vector<std::string> kept;
    std::vector<std::string> found;
    for (std::size_t i = begin; i < end; ++i) {
        const std::string_view key = KeyOf(lines[i]);
        if (std::find(drop.begin(), drop.end(), key) != drop.end()) continue;
        const auto it =
            std::find_if(set.begin(), set.end(), [key](const auto& kv) { return kv.first == key; });
        if (it != set.end()) {
            if (std::find(found.begin(), found.end(), key) != found.end()) continue;
            kept.push_back(it->first + "=" + it->second);
        } else {
            kept.push_back(lines[i]);
        }
        if (!key.empty()) found.emplace_back(key);
    }
    // New keys go before the blank lines that end the group.
    std::size_t at = kept.size();
    while (at > 0 && kept[at - 1].empty()) --at;
    for (const Keys* keys : {&set, &add})
        for (const auto& [key, value] : *keys)
            if (std::find(found.begin(), found.end(), key) == found.end()) {
                kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(at++), key + "=" + value);
                found.push_back(key);
            }
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(begin),
                lines.begin() + static_cast<std::ptrdiff_t>(end));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(begin), kept.begin(), kept.end());
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

bool IsOff(std::string_view entry) {
    return EntryValue(entry, "Hidden") == "true" || EntryValue(entry, "X-GNOME-Autostart-enabled") == "false";
}

// A line as the key file readers of the desktops take it: blank, a comment,
// a group header or a key with its value; anything else makes them refuse
// the whole file.
bool IsKeyFileLine(std::string_view line) {
    const std::string_view bare = TrimEnd(line, " \t\r");
    if (TrimStart(bare).empty() || bare[0] == '#') return true;
    if (bare[0] == '[') return bare.back() == ']' && bare.find_first_of("[]", 1) == bare.size() - 1;
    return bare.find('=') != std::string_view::npos && !Trim(bare.substr(0, bare.find('='))).empty();
}

// Why a session passes over `entry` at login although nothing in it says
// off, in words; empty when it would start what the entry runs. `whole` is
// false when only the start of a long file was read: its last line may be cut.
std::string WhyASessionSkips(std::string_view entry, bool whole) {
    if (entry.find('\0') != std::string_view::npos) return "NUL バイトが入っています";
    const std::vector<std::string> lines = LinesOf(entry);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!whole && i + 1 == lines.size()) break;
        if (!IsKeyFileLine(lines[i]))
            return Decimal(static_cast<int64_t>(i + 1)) +
                   " 行目が、グループでもキーでもコメントでもありません（" + ShownOnOneLine(lines[i], 40) +
                   "）";
    }
    if (std::find(lines.begin(), lines.end(), kGroup) == lines.end())
        return "[Desktop Entry] のグループがありません";
    if (EntryValue(entry, "Type") != "Application") return "Type=Application ではありません";
    const std::string exec = EntryValue(entry, "Exec");
    if (Trim(exec).empty()) return "Exec= が空です";
    if (!IsUtf8(exec)) return "Exec= が UTF-8 ではありません";
    if (ExecArguments(exec).empty()) return "Exec= のコマンドが読めません（引用符が閉じていません）";
    return {};
}

// Whether `bytes` read from `path` are the whole file: a reader stops after
// its first megabyte.
bool IsWholeFile(const std::string& path, const std::string& bytes) {
    struct stat st {};
    return ::stat(path.c_str(), &st) != 0 || st.st_size <= static_cast<off_t>(bytes.size());
}

std::optional<std::string> ReadEntry(const std::string& path, FileOutcome& why) {
    ReadOutcome there = ReadRecordFile(path);
    if (there.state == ReadOutcome::State::Blocked) why = there.blocked;
    if (there.state != ReadOutcome::State::Read) return std::nullopt;
    return std::move(there.bytes);
}

// The first system-wide entry that is there.
std::optional<std::pair<std::string, std::string>> SystemEntry(const AutostartPlaces& places) {
    for (const std::string& path : places.systemEntries) {
        FileOutcome why;
        if (std::optional<std::string> text = ReadEntry(path, why))
            return std::make_pair(path, std::move(*text));
    }
    return std::nullopt;
}

// The record a login start would open: only a started one makes sense.
bool HoldsAStartedRecord(const std::string& baseFolder) {
    const std::optional<OptionSettings> options = SettingsStore(baseFolder).readOption();
    return options && options->quitStarted;
}

// A program run from where it was built: the folder goes with the next
// clean build, and the login start with it.
bool RunsFromABuildFolder(const std::string& program) {
    const std::string folder = ParentOf(program);
    for (const std::string& beside : {folder, ParentOf(folder)}) {
        struct stat st {};
        if (::stat((beside + "/CMakeCache.txt").c_str(), &st) == 0) return true;
    }
    return false;
}

// Where the name of a command leads: itself when it has a slash, else the
// first match on PATH; empty when nothing is found.
std::string Located(const std::string& command) {
    if (command.find('/') != std::string::npos) return command;
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string folder(folders.substr(0, colon));
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + command;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

bool IsRunnable(const std::string& program) {
    struct stat st {};
    return !program.empty() && ::stat(program.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(program.c_str(), X_OK) == 0;
}

}  // namespace

AutostartPlaces AutostartEntryPlaces() {
    AutostartPlaces places;
    std::string base =
        XdgBaseFolder(std::getenv("XDG_CONFIG_HOME"), HomeFolder(std::getenv("HOME")), ".config");
    if (base.empty()) base = "/.config";  // no home at all: said as a folder it cannot make
    places.userEntry = base + "/autostart/kemless.desktop";
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string_view list = dirs != nullptr && *dirs != '\0' ? dirs : "/etc/xdg";
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view folder = list.substr(0, colon);
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        // Relative folders are ignored, as the rules say.
        if (!folder.empty() && folder[0] == '/')
            places.systemEntries.push_back(std::string(folder) + "/autostart/kemless.desktop");
    }
    return places;
}

std::string WhyNoEntryCanHold(const std::string& text) {
    if (!IsUtf8(text))
        return "名前が UTF-8 ではありません（ログイン時の起動の設定は UTF-8 の文字で書きます）";
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) return "名前に改行などの制御文字が入っています";
        // Inside double quotes a shell still reads these, and a runner that
        // hands the command to `sh -c` would; % starts a field code.
        if (c == '"' || c == '`' || c == '$' || c == '\\' || c == '%')
            return std::string("名前に ").append(1, c).append(
                " が入っています（\" ` $ \\ % "
                "は、ログインの起動で読み違えられることがあるため書きません）");
    }
    return {};
}

std::string ExecArgument(const std::string& argument) {
    static const std::string kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted = argument;
    if (argument.empty() || argument.find_first_of(kReserved) != std::string::npos) {
        quoted.assign(1, '"');
        for (char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    }
    // The Exec key is a string value too: its own escapes come on top, and a
    // percent sign would start a field code.
    std::string value;
    for (char c : quoted) {
        if (c == '\\')
            value += "\\\\";
        else if (c == '%')
            value += "%%";
        else if (c == '\n')
            value += "\\n";
        else if (c == '\t')
            value += "\\t";
        else
            value += c;
    }
    return value;
}

std::vector<std::string> ExecArguments(std::string_view value) {
    const std::string line = Unescaped(value);
    std::vector<std::string> args;
    std::string arg;
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size()) {
                arg += line[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                arg += c;
            }
        } else if (c == '"') {
            quoted = any = true;
        } else if (c == ' ') {
            if (any) args.push_back(std::move(arg));
            arg.clear();
            any = false;
        } else if (c == '%' && i + 1 < line.size()) {
            // %% is a percent sign; any other field code stands for nothing here.
            if (line[++i] == '%') {
                arg += '%';
                any = true;
            }
        } else {
            arg += c;
            any = true;
        }
    }
    if (quoted) return {};
    if (any) args.push_back(std::move(arg));
    return args;
}

std::string AutostartEntry(const std::string& program, const std::string& dataDir) {
    const Keys running = RunningKeys(program, dataDir);
    const Keys other = OtherKeys();
    std::string entry(kGroup);
    entry += '\n';
    // In the order a reader expects: what it is, what it runs, when.
    for (const auto* kv : {&running[0], &other[0], &other[1], &other[2], &running[1], &running[2], &other[3],
                           &other[4], &running[3], &other[5], &other[6], &other[7]})
        entry += kv->first + "=" + kv->second + "\n";
    return entry;
}

std::string AutostartEntryFrom(std::string_view existing, const std::string& program,
                               const std::string& dataDir) {
    return Edited(existing, RunningKeys(program, dataDir), OtherKeys(), {"Hidden"});
}

std::string DisabledEntry(std::string_view existing) {
    return Edited(existing, {{"Hidden", "true"}}, {}, {});
}

std::string EntryValue(std::string_view entry, std::string_view key) {
    bool inGroup = false;
    for (const std::string& line : LinesOf(entry)) {
        if (!line.empty() && line[0] == '[') inGroup = line == kGroup;
        if (inGroup && KeyOf(line) == key)
            return Unescaped(Trim(std::string_view(line).substr(line.find('=') + 1)));
    }
    return {};
}

AutostartResult SetAutostart(bool on, const AutostartPlaces& places, const std::string& program,
                             const std::string& dataDir) {
    const std::string& path = places.userEntry;
    FileOutcome blocked;
    const std::optional<std::string> existing = ReadEntry(path, blocked);
    if (!blocked) return Failed("ログイン時の起動の設定を読めません", path, blocked);
    const std::optional<std::pair<std::string, std::string>> system = SystemEntry(places);
    if (!on) {
        // A system-wide entry is switched off by the user's own entry.
        if (system) {
            if (existing && IsOff(*existing))
                return {0, {Line({"ログイン時の起動は止めてあります: ", path})}, {}};
            if (FileOutcome folder = MakeFolders(ParentOf(path), 0777); !folder)
                return Failed("ログイン時の起動を止められません", folder.path, folder);
            if (FileOutcome written =
                    WriteFileAtomically(path, DisabledEntry(existing.value_or(system->second)));
                !written)
                return Failed("ログイン時の起動を止められません", path, written);
            return {0,
                    {Line({"ログイン時の起動を止めました（", system->first, " は ", path,
                           " の Hidden=true で止まります）"})},
                    {}};
        }
        if (!existing)
            return {0, {Line({"ログイン時の起動は登録されていません（", path, " はありません）"})}, {}};
        if (unlink(path.c_str()) != 0) {
            const int e = errno;
            return Failed("ログイン時の起動を取り消せません", path, {ProblemOfErrno(e), e, path, {}});
        }
        return {0, {Line({"ログイン時の起動を取り消しました（", path, " を削除）"})}, {}};
    }
    if (program.empty() || program[0] != '/')
        return {1, {"kemless: ログイン時の起動を登録できません: このプログラムの場所がわかりません"}, {}};
    // Only names that every runner reads the same way are written; such a
    // folder still works when given to --data-dir by hand.
    if (const std::string why = WhyNoEntryCanHold(dataDir); !why.empty())
        return {1,
                {Line({"ログイン時の起動を登録できません: --data-dir のフォルダの", why,
                       "。--data-dir で起動するときはそのまま使えます"})},
                {}};
    if (const std::string why = WhyNoEntryCanHold(program); !why.empty())
        return {1, {Line({"ログイン時の起動を登録できません: このプログラムの場所の", why})}, {}};
    // A mistyped folder would greet the next login with the first-run setup.
    if (!dataDir.empty() && !HoldsAStartedRecord(dataDir))
        return {1,
                {Line({"ログイン時の起動を登録できません: ", dataDir,
                       "/kemlessdata に卒煙を始めた記録がありません（フォルダ名を確かめてください。"
                       "新しく始めるときは、まず kemless --data-dir ",
                       dataDir, " で卒煙を始めてください）"})},
                {}};
    AutostartResult result;
    if (RunsFromABuildFolder(program))
        result.warnings.push_back(
            Line({"注意: ビルドしたフォルダのプログラム ", program,
                  " を登録します。フォルダを消したり移したりするとログイン時に起動しなくなります。"
                  "インストールしたら kemless --autostart on をもう一度実行してください"}));
    // An entry the session would pass over (or too long to have been read
    // whole) is not edited in place: its bytes are kept beside it under a
    // name no session reads, and a fresh entry takes its place.
    const bool broken = existing && !WhyASessionSkips(*existing, IsWholeFile(path, *existing)).empty();
    if (broken) {
        std::string kept;
        const Descriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        const FileOutcome copied =
            folder.valid() ? KeepCopyAt(folder.get(), FolderOf(path), NameOf(path), ".unreadable", kept)
                           : FileOutcome{ProblemOfErrno(errno), errno, FolderOf(path), {}};
        if (!copied) return Failed("ログイン時の起動を登録できません", Shown(copied.path), copied);
        result.lines.push_back(
            Line({"読み飛ばされる設定だったので、元のファイルを ", Shown(kept), " に残して新しく書きます"}));
    }
    const std::string entry = existing && !broken ? AutostartEntryFrom(*existing, program, dataDir)
                                                  : AutostartEntry(program, dataDir);
    if (existing && *existing == entry) {
        result.lines.push_back(Line({"ログイン時の起動は登録済みです: ", path}));
        return result;
    }
    if (FileOutcome folder = MakeFolders(ParentOf(path), 0777); !folder)
        return Failed("ログイン時の起動を登録できません", folder.path, folder);
    if (FileOutcome written = WriteFileAtomically(path, entry); !written)
        return Failed("ログイン時の起動を登録できません", path, written);
    result.lines.push_back(Line({"ログイン時の起動を登録しました: ", path}));
    return result;
}

AutostartResult AutostartStatus(const AutostartPlaces& places) {
    FileOutcome blocked;
    std::optional<std::string> entry = ReadEntry(places.userEntry, blocked);
    if (!blocked) return Failed("ログイン時の起動の設定を読めません", Shown(places.userEntry), blocked);
    std::string path = places.userEntry;
    if (!entry) {
        if (std::optional<std::pair<std::string, std::string>> system = SystemEntry(places)) {
            path = system->first;
            entry = std::move(system->second);
        }
    }
    if (!entry) return {0, {Line({"ログイン時の起動はオフです（登録されていません）"})}, {}};
    if (IsOff(*entry))
        return {0, {Line({"ログイン時の起動はオフです（", Shown(path), " で止めてあります）"})}, {}};
    // What the session would make of it: an entry it passes over is off,
    // whatever its keys say.
    if (const std::string why = WhyASessionSkips(*entry, IsWholeFile(path, *entry)); !why.empty())
        return {0,
                {Line({"ログイン時の起動はオフです（", Shown(path), " はログインのときに読み飛ばされます: ",
                       why, "）。kemless --autostart on でもう一度登録してください"})},
                {}};
    const std::vector<std::string> args = ExecArguments(EntryValue(*entry, "Exec"));
    const std::string tryExec = EntryValue(*entry, "TryExec");
    // A TryExec that leads to no program it can run makes the session skip
    // the entry too.
    if (!tryExec.empty() && !IsRunnable(Located(tryExec)))
        return {0,
                {Line({"ログイン時の起動はオフです（", Shown(path), " の TryExec の ", Shown(tryExec),
                       " が見つからないか実行できないため、ログインのときに読み飛ばされます）。"
                       "kemless --autostart on でもう一度登録してください"})},
                {}};
    AutostartResult result;
    const std::string exec = EntryValue(*entry, "Exec");
    result.lines.push_back(Line({"ログイン時の起動はオンです: ", Shown(path)}));
    result.lines.push_back(Line({"起動するコマンド: ", Shown(Unescaped(exec))}));
    const std::string command = tryExec.empty() ? args[0] : tryExec;
    const std::string program = Located(command);
    struct stat st {};
    if (program.empty() || ::stat(program.c_str(), &st) != 0)
        result.warnings.push_back(Line({"注意: 起動するプログラム ", Shown(command),
                                        " がありません（移動したか削除されたのかもしれません）。"
                                        "kemless --autostart on でもう一度登録してください"}));
    else if (!S_ISREG(st.st_mode) || ::access(program.c_str(), X_OK) != 0)
        result.warnings.push_back(
            Line({"注意: 起動するプログラム ", Shown(program),
                  " は実行できません。kemless --autostart on でもう一度登録してください"}));
    const auto dataDir = std::find(args.begin(), args.end(), "--data-dir");
    if (dataDir != args.end() && dataDir + 1 != args.end() && !HoldsAStartedRecord(*(dataDir + 1)))
        result.warnings.push_back(
            Line({"注意: ", Shown(*(dataDir + 1)),
                  "/kemlessdata に卒煙を始めた記録がありません（ログイン時に初期設定が開きます）"}));
    return result;
}

std::string RunningProgramPath() {
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return {};
    path.resize(static_cast<std::size_t>(n));
    return path;
}

}  // namespace kemless
