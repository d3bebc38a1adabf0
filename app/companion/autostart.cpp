#include "companion/autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include "basics/text.h"
#include "records/record_file.h"
#include "records/user_folders.h"

namespace kemless {
namespace {

// Whether `text` is UTF-8 throughout: a desktop entry is UTF-8 text, and
// GLib refuses a value that is not.
bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = Utf8SequenceLength(lead);
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        // Overlong forms, surrogates and code points beyond U+10FFFF.
        const auto next = static_cast<unsigned char>(length > 1 ? text[i + 1] : 0);
        if ((lead == 0xE0 && next < 0xA0) || (lead == 0xED && next >= 0xA0) ||
            (lead == 0xF0 && next < 0x90) || (lead == 0xF4 && next >= 0x90) || lead == 0xC0 || lead == 0xC1 ||
            lead > 0xF4)
            return false;
        i += length;
    }
    return true;
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

// mkdir -p, with the folder rights the user's umask gives.
FileOutcome MakeFolders(const std::string& folder) {
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return {};
        return {FileProblem::NoFolder, ENOTDIR, folder};
    }
    if (folder != "/" && folder.find('/') != std::string::npos) {
        if (FileOutcome up = MakeFolders(ParentOf(folder)); !up) return up;
    }
    if (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) return {};
    const int e = errno;
    const FileProblem p = e == EACCES || e == EPERM ? FileProblem::NoPermission
                          : e == EROFS              ? FileProblem::ReadOnly
                          : e == ENOSPC             ? FileProblem::NoSpace
                                                    : FileProblem::Other;
    return {p, e, folder};
}

// One line from its pieces, appended in place.
std::string Line(std::initializer_list<std::string_view> pieces) {
    std::string line = "kemless: ";
    for (std::string_view p : pieces) line += p;
    return line;
}

AutostartResult Failed(const std::string& what, const std::string& path, const FileOutcome& why) {
    return {1, Line({what, ": ", path, "（", ProblemText(why), "）"})};
}

}  // namespace

std::string AutostartEntryPath() {
    std::string base =
        XdgBaseFolder(std::getenv("XDG_CONFIG_HOME"), HomeFolder(std::getenv("HOME")), ".config");
    if (base.empty()) base = "/.config";  // no home at all: said as a folder it cannot make
    return base + "/autostart/kemless.desktop";
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
            return std::string("名前に ") + c +
                   " が入っています（\" ` $ \\ % "
                   "は、ログインの起動で読み違えられることがあるため書きません）";
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

std::string AutostartEntry(const std::string& program, const std::string& dataDir) {
    std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=ケムレス\n"
        "Comment=Stay smoke-free: starts hidden in the notification area and says a word at each milestone\n"
        "Comment[ja]=ログイン時に通知領域で起動し、節目ごとにお知らせします\n"
        "Exec=";
    entry += ExecArgument(program);
    entry += " --hidden --notify";
    if (!dataDir.empty()) {
        entry += " --data-dir ";
        entry += ExecArgument(dataDir);
    }
    entry +=
        "\n"
        "Icon=kemless\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    return entry;
}

AutostartResult SetAutostart(bool on, const std::string& entryPath, const std::string& program,
                             const std::string& dataDir) {
    const ReadOutcome there = ReadRecordFile(entryPath);
    if (!on) {
        if (there.state == ReadOutcome::State::Missing)
            return {0, Line({"ログイン時の起動は登録されていません（", entryPath, " はありません）"})};
        if (unlink(entryPath.c_str()) != 0) {
            const int e = errno;
            return Failed("ログイン時の起動を取り消せません", entryPath,
                          {e == EISDIR || e == EPERM ? FileProblem::NotAFile
                           : e == EACCES             ? FileProblem::NoPermission
                           : e == EROFS              ? FileProblem::ReadOnly
                                                     : FileProblem::Other,
                           e, entryPath});
        }
        return {0, Line({"ログイン時の起動を取り消しました（", entryPath, " を削除）"})};
    }
    if (program.empty() || program[0] != '/')
        return {1, "kemless: ログイン時の起動を登録できません: このプログラムの場所がわかりません"};
    // Only names that every runner reads the same way are written; such a
    // folder still works when given to --data-dir by hand.
    if (const std::string why = WhyNoEntryCanHold(dataDir); !why.empty())
        return {1, Line({"ログイン時の起動を登録できません: --data-dir のフォルダの", why,
                         "。--data-dir で起動するときはそのまま使えます"})};
    if (const std::string why = WhyNoEntryCanHold(program); !why.empty())
        return {1, Line({"ログイン時の起動を登録できません: このプログラムの場所の", why})};
    const std::string entry = AutostartEntry(program, dataDir);
    if (there.state == ReadOutcome::State::Read && there.bytes == entry)
        return {0, Line({"ログイン時の起動は登録済みです: ", entryPath})};
    if (FileOutcome folder = MakeFolders(ParentOf(entryPath)); !folder)
        return Failed("ログイン時の起動を登録できません", folder.path, folder);
    if (FileOutcome written = WriteFileAtomically(entryPath, entry); !written)
        return Failed("ログイン時の起動を登録できません", entryPath, written);
    return {0, Line({"ログイン時の起動を登録しました: ", entryPath})};
}

std::string RunningProgramPath() {
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return {};
    path.resize(static_cast<std::size_t>(n));
    return path;
}

}  // namespace kemless
