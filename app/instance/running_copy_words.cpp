#include "instance/running_copy_words.h"

namespace kemless {
namespace {

const char* const kAlreadyRunning = "プログラムは既に起動されています。";

}  // namespace

RunningCopyWords WordsForAnswer(RunningCopyAnswer answer, const std::string& windowTitle) {
    const std::string asked = "「" + windowTitle + "」";
    if (answer == RunningCopyAnswer::NoAnswer) {
        const std::string text =
            windowTitle.empty()
                ? std::string(kAlreadyRunning) + "起動中のケムレスが応えないため、前に出せませんでした。"
                : "起動中のケムレスが応えないため、" + asked + "を開けませんでした。";
        return {text + "しばらくしてから、もう一度お試しください", true, 1};
    }
    // It came forward, or what stands in for it did.
    if (windowTitle.empty()) return {kAlreadyRunning, true, 0};
    switch (answer) {
        case RunningCopyAnswer::Settings:
            return {"起動中のケムレスは設定の画面を開いているため、" + asked +
                        "は開かずに設定の画面を前に出しました。設定を閉じてから開いてください",
                    false, 1};
        case RunningCopyAnswer::Setup:
            return {"起動中のケムレスは初期設定の途中のため、" + asked + "は開かずに初期設定を前に出しました",
                    false, 1};
        case RunningCopyAnswer::AfterSetup:
            return {"起動中のケムレスは初期設定の途中です。" + asked + "は、卒煙を始めたあとで開きます",
                    false, 0};
        case RunningCopyAnswer::Told:
            return {"起動中のケムレスに" + asked + "を開くよう伝えました", false, 0};
        default: return {"起動中のケムレスで" + asked + "を開きました", false, 0};
    }
}

}  // namespace kemless
