#include "companion/summary_output.h"

#include "display/copy_texts.h"
#include "display/panel_texts.h"
#include "display/refresh.h"
#include "plan/csv_export.h"
#include "plan/plan_file.h"
#include "plan/reward.h"
#include "records/journal_file.h"

namespace kemless {
namespace {

SummaryOutput Failure(std::string line) { return {1, {}, std::move(line)}; }

std::string Unreadable(const SettingsStore& store, SettingsStore::File file) {
    const ReadOutcome there = store.probe(file);
    const std::string path = store.pathOf(file);
    if (there.state == ReadOutcome::State::Missing)
        return "kemless: 記録がありません: " + path + "（まず kemless を起動して卒煙を始めてください）";
    if (there.state == ReadOutcome::State::Blocked)
        return "kemless: 記録を読めません: " + path + "（" + ProblemText(there.blocked) + "）";
    return "kemless: 記録を読めません: " + path + "（中身が記録の形ではありません）";
}

// The reward worked toward, for --json: the plan read, never written; a
// plan that cannot be read has none.
std::string RewardKey(const SettingsStore& store, const DisplayState& display, const CalendarMoment& quit) {
    const DataFolder* folder = store.folder();
    if (folder == nullptr) return {};
    PlanFile plan;
    if (!plan.open(folder->fd(), folder->path()) || !plan.plan().reward) return {};
    return ",\"reward\":" + RewardJson(ComputeRewardProgress(plan.plan(), display.moneySaved, quit));
}

// Every line that reads, in its order; a rereading starts over.
class Collect final : public JournalReader {
public:
    void restart() override { events.clear(); }
    void line(const JournalEvent& event) override { events.push_back(event); }
    std::vector<JournalEvent> events;
};

}  // namespace

SummaryOutput MakeJournalCsv(const SettingsStore& store) {
    const DataFolder* folder = store.folder();
    // No folder yet: nothing was ever recorded.
    if (folder == nullptr && store.folderProblem().problem == FileProblem::NoFolder)
        return {0, JournalCsv({}), {}};
    if (folder == nullptr)
        return Failure("kemless: 記録のフォルダを開けません: " + store.dataFolder() + "（" +
                       ProblemText(store.folderProblem()) + "）");
    JournalFile journal(folder->fd(), folder->path());
    Collect collect;
    if (const FileOutcome read = journal.catchUp(collect); !read)
        return Failure("kemless: 記録を読めません: " + read.path + "（" + ProblemText(read) + "）");
    return {0, JournalCsv(collect.events), {}};
}

SummaryOutput MakeSummaryOutput(SummaryKind kind, const SettingsStore& store, const CalendarMoment& now,
                                int draw, bool markup) {
    const std::optional<InitialSettings> initial = store.readInitial();
    if (!initial) return Failure(Unreadable(store, SettingsStore::File::Initial));
    std::optional<OptionSettings> options = store.readOption();
    if (!options) return Failure(Unreadable(store, SettingsStore::File::Option));
    if (!options->quitStarted)
        return Failure("kemless: まだ卒煙を始めていません（kemless を起動して始めてください）");

    // The same refresh the windows run, so the texts are those a copy button
    // would give at this minute.
    DisplayState display;
    RefreshDisplay(display, *initial, *options, now, draw);
    std::string text;
    switch (kind) {
        case SummaryKind::Summary: text = SummaryText(display, *initial, *options); break;
        case SummaryKind::Short: text = ShortText(display, *initial, *options); break;
        case SummaryKind::Compact: text = CompactText(display, *initial, *options); break;
        case SummaryKind::Json: {
            std::string json = SummaryJson(display, *initial, *options, now, markup);
            // The reward the plan works toward, when it names one.
            if (const std::string reward = RewardKey(store, display, initial->quit);
                !reward.empty() && json.ends_with('}'))
                json.insert(json.size() - 1, reward);
            return {0, json + "\n", {}};
        }
    }
    if (text.empty()) return Failure("kemless: 記録のコピー＋の設定が読めません: " + store.optionPath());
    // The copy texts end their lines with CR LF for the clipboard; a
    // terminal, a panel and a script want LF, and a line end at the last.
    text = WithLineFeeds(text) + "\n";
    return {0, markup ? EscapeMarkup(text) : text, {}};
}

}  // namespace kemless
