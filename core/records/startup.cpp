#include "records/startup.h"

#include <algorithm>

namespace kemless {

FirstWindow ChooseFirstWindow(const OptionSettings& options) {
    if (options.quitStarted == 0) return FirstWindow::FirstRunSetup;
    return options.windowMode == 1 ? FirstWindow::MiniShown : FirstWindow::MainShown;
}

StartupState RunStartupFileSteps(SettingsStore& store, const CalendarMoment& now) {
    using File = SettingsStore::File;
    StartupState state;
    state.initial = DefaultInitialSettings(now);
    store.ensureDataFolder();
    for (const File file : {File::Initial, File::Option}) {
        const ReadOutcome there = store.probe(file);
        if (there.state == ReadOutcome::State::Blocked) {
            store.block(file, there.blocked);
        } else if (there.state == ReadOutcome::State::Missing) {
            // A failure here shows in KeepingProblems; start-up goes on.
            if (file == File::Initial)
                (void)store.writeInitial(state.initial);
            else
                (void)store.writeOption(DefaultOptionSettings());
        }
    }
    state.options = store.readOption().value_or(DefaultOptionSettings());
    state.first = ChooseFirstWindow(state.options);
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

}  // namespace kemless
