#include "journal/journal_book.h"

#include <utility>

#include "recovery/attempt_lines.h"

namespace kemless {

class JournalBook::Reader final : public JournalReader {
public:
    explicit Reader(JournalBook& book) : book_(book) {}
    void restart() override {
        book_.attempts_.clear();
        book_.fileNotices_.clear();
        book_.fileAlarms_ = AlarmLedger();
        book_.fileRewards_ = RewardLedger();
        book_.hardMoments_.clear();
    }
    void line(const JournalEvent& event) override {
        if (const std::optional<AttemptEvent> e = AttemptEventOfLine(event)) {
            book_.attempts_.add(*e, book_.now_);
            book_.hardMoments_.add(*e);
        }
        book_.fileNotices_.add(event);
        book_.fileAlarms_.add(event);
        book_.fileRewards_.add(event);
    }

private:
    JournalBook& book_;
};

JournalBook::JournalBook() : reader_(std::make_unique<Reader>(*this)) {}
JournalBook::~JournalBook() = default;

FileOutcome JournalBook::open(int dir, const std::string& dirPath, const CalendarMoment& now) {
    now_ = now;
    file_ = std::make_unique<JournalFile>(dir, dirPath);
    FileOutcome outcome = file_->catchUp(*reader_);
    readable_ = static_cast<bool>(outcome);
    // Said by whoever opened it, with the start's other problems.
    failing_ = !outcome;
    return outcome;
}

RecordKeeping JournalBook::keeping() const {
    if (!file_) return RecordKeeping::ThisRun;
    return readable_ ? RecordKeeping::ForGood : RecordKeeping::Unavailable;
}

void JournalBook::failed(const FileOutcome& outcome) {
    if (failing_) return;
    failing_ = true;
    if (sayProblem_) sayProblem_(outcome);
}

void JournalBook::catchUp(const CalendarMoment& now) {
    now_ = now;
    if (!file_) return;
    const FileOutcome outcome = file_->catchUp(*reader_);
    readable_ = static_cast<bool>(outcome);
    if (!outcome) {
        failed(outcome);
    } else if (waiting_.empty()) {
        failing_ = false;
    } else {
        // Readable again: what waits is written with this look.
        (void)step([] { return std::string(); });
    }
}

bool JournalBook::step(const std::function<std::string()>& decide) {
    std::string made;
    bool decided = false;
    const FileOutcome outcome = file_->append(*reader_, [&] {
        decided = true;
        made = decide();
        return waiting_ + made;
    });
    if (outcome) {
        waiting_.clear();
        failing_ = false;
        readable_ = true;
        return true;
    }
    if (!decided) made = decide();
    waiting_ += made;
    failed(outcome);
    return false;
}

void JournalBook::flush() {
    if (file_ && !waiting_.empty()) (void)step([] { return std::string(); });
}

bool JournalBook::record(const AttemptEvent& event) {
    if (!file_) {
        attempts_.add(event, event.at);
        hardMoments_.add(event);
        return true;
    }
    now_ = event.at;
    const std::string line = FormatJournalLine(AttemptJournalLine(event));
    return step([&line] { return line; });
}

MilestoneRound JournalBook::milestones(const MilestoneFigures& figures, const CalendarMoment& now,
                                       bool canSay) {
    catchUp(now);
    MilestoneRound round;
    auto decide = [&] {
        NoticeLedger known = fileNotices_;
        std::string again;
        for (const JournalEvent& line : runNotices_) {
            known.add(line);
            // Said in this run but gone from the file (a sync put an older
            // copy in its place): kept again, so no later start says it.
            // Lines still waiting for a write are on their way already.
            const std::optional<std::string> key = NoticeKeyOf(line);
            const std::optional<int64_t> value = NoticeValueOf(line);
            if (!key || !value) continue;
            const std::optional<int64_t> inFile = fileNotices_.furthest(*key);
            if (file_ && waiting_.empty() && (!inFile || *inFile < *value)) again += FormatJournalLine(line);
        }
        round = NextMilestones(known, figures, now);
        if (!canSay && !round.due.empty()) {
            round.due.clear();
            std::erase_if(round.lines, [](const JournalEvent& e) { return e.kind == "notice"; });
        }
        return again + JournalLines(round.lines);
    };
    // Nothing new to say or keep: the journal is left alone.
    if (decide().empty() && waiting_.empty()) return round;
    if (file_) (void)step(decide);
    runNotices_.insert(runNotices_.end(), round.lines.begin(), round.lines.end());
    return round;
}

PlannedRound JournalBook::plannedNotices(const Plan& plan, const RewardProgress& progress,
                                         const CalendarMoment& now, bool canSay) {
    catchUp(now);
    PlannedRound round;
    auto decide = [&] {
        round = PlannedRound();
        AlarmLedger alarms = fileAlarms_;
        RewardLedger rewards = fileRewards_;
        std::string again;
        for (const JournalEvent& line : runPlanned_) {
            alarms.add(line);
            rewards.add(line);
            // Said in this run but gone from the file: kept again.
            bool inFile = true;
            if (const std::optional<AlarmSaid> a = AlarmSaidOfLine(line)) inFile = fileAlarms_.said(*a);
            if (const std::optional<RewardSaid> r = RewardSaidOfLine(line))
                inFile = fileRewards_.said(r->reward, r->quit);
            if (file_ && !inFile) again += FormatJournalLine(line);
        }
        if (canSay) {
            AlarmRound due = DueAlarms(plan, alarms, now);
            if (!due.due.empty()) round.alarmNotice = AlarmNoticeText(due.due);
            round.alarms = std::move(due.due);
            round.lines = std::move(due.lines);
            RewardRound reward = NextRewardNotice(progress, rewards, now);
            round.rewardNotice = std::move(reward.notice);
            round.lines.insert(round.lines.end(), reward.lines.begin(), reward.lines.end());
        }
        return again + JournalLines(round.lines);
    };
    if (decide().empty() && waiting_.empty()) return round;
    if (file_) (void)step(decide);
    runPlanned_.insert(runPlanned_.end(), round.lines.begin(), round.lines.end());
    return round;
}

}  // namespace kemless
