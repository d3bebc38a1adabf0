#include "records/startup.h"

#include <algorithm>

namespace kemless {

FirstWindow ChooseFirstWindow(const OptionSettings& options) {
    if (!options.quitStarted) return FirstWindow::FirstRunSetup;
    return options.windowMode == WindowMode::Mini ? FirstWindow::MiniShown : FirstWindow::MainShown;
}

StartupState RunStartupFileSteps(SettingsStore& store, const CalendarMoment& now) {
    using File = SettingsStore::File;
    StartupState state;
    state.initial = DefaultInitialSettings(now);
    store.ensureDataFolder();
    // Each file is looked at once: what stands there is blocked, made, or
    // kept for reading below.
    ReadOutcome found[2];
    for (const File file : {File::Initial, File::Option}) {
        ReadOutcome& there = found[file == File::Initial ? 0 : 1];
        there = store.probe(file);
        if (there.state == ReadOutcome::State::Blocked) {
            store.block(file, there.blocked);
        } else if (there.state == ReadOutcome::State::Missing) {
            // A failure here shows in the keeping problems; start-up goes on.
            if (file == File::Initial)
                (void)store.writeInitial(state.initial);
            else
                (void)store.writeOption(DefaultOptionSettings());
        }
    }
    const ReadOutcome& option = found[1];
    if (option.state == ReadOutcome::State::Read)
        state.options = ParseOptionFile(option.bytes).value_or(DefaultOptionSettings());
    state.first = ChooseFirstWindow(state.options);
    // The quit profile matters once the quit has started: the display
    // windows run on it. The setup and the ceremony set every field anew.
    const ReadOutcome& initial = found[0];
    if (state.first != FirstWindow::FirstRunSetup && initial.state == ReadOutcome::State::Read)
        state.initial = ParseInitialFile(initial.bytes).value_or(state.initial);
    state.problems = store.keepingProblems();
    return state;
}

namespace {

std::string ProblemLines(const std::vector<FileOutcome>& problems) {
    std::string lines;
    for (const FileOutcome& p : problems) lines += "・" + p.path + "\n　" + ProblemText(p) + "\n";
    return lines;
}

}  // namespace

std::string RecordNotKeptText(const std::vector<FileOutcome>& problems, const std::string& dataFolder) {
    // The folder's fault (full, read-only, missing) or a file's at the record's name.
    const bool aFile = std::any_of(problems.begin(), problems.end(), [&dataFolder](const FileOutcome& p) {
        return p.path.size() > dataFolder.size() && p.path.compare(0, dataFolder.size(), dataFolder) == 0;
    });
    return std::string(aFile ? "記録のファイルが使えません。\n" : "記録を保存するフォルダが使えません。\n") +
           dataFolder + "\n\n" + ProblemLines(problems) +
           "\n"
           "このままでも使えますが、入力した設定や記録は保存されず、次の起動では残っていません。"
           "読めなかったファイルはそのまま残し、書き換えません。\n\n"
           "・ディスクの空き容量を確認してください。\n"
           "・このフォルダに書き込めるか（権限）、同じ名前のファイルがないかを確認してください。\n"
           "・別の場所に記録を置くには、kemless --data-dir フォルダ で起動してください。";
}

std::string SaveFailedText(const FileOutcome& why, const std::string& dataFolder) {
    return "設定を保存できませんでした。\n" + dataFolder + "\n\n" + ProblemLines({why}) +
           "\n"
           "今回の変更はこのまま使えますが、次の起動では残っていません。"
           "前に保存した記録はそのまま残っています。";
}

std::string JournalNotKeptText(const FileOutcome& why) {
    return "お知らせの記録（日誌）が使えません。\n\n" + ProblemLines({why}) +
           "\n"
           "節目のお知らせは出ますが、記録に残せないため、次の起動で同じお知らせがもう一度出たり、"
           "止めていたあいだの節目が出なかったりします。「吸いたくなったら」で乗り越えたことや吸ってしまった"
           "ことも"
           "記録に残せません。このファイルはそのまま残し、書き換えません。";
}

}  // namespace kemless
