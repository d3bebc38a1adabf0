#pragma once
// The journal of one run of the program: the one owner of the file beside
// the record, and of what it comes to. It is read whole once, then followed
// by what was appended since; every urge, slip and attempt is summed as it
// is read and every milestone's furthest value noted, so a press or a
// refresh costs the same for a journal of one day or of years. A step that
// fails is said once (until a step succeeds again) and tried again with the
// next event: lines that could not be written wait for it, in memory.
// Without a data folder the record lasts this run only.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/milestones.h"
#include "plan/alarms.h"
#include "plan/reward.h"
#include "plan/triggers.h"
#include "records/journal_file.h"
#include "recovery/attempts.h"

namespace kemless {

// The notices a plan brings at a refresh: its alarms due and its reward
// reached, each said once.
struct PlannedRound {
    std::vector<DueAlarm> alarms;
    std::optional<NoticeText> alarmNotice;
    std::optional<NoticeText> rewardNotice;
    std::vector<JournalEvent> lines;  // to append, dated `now`
};

class JournalBook {
public:
    JournalBook();
    ~JournalBook();
    JournalBook(const JournalBook&) = delete;
    JournalBook& operator=(const JournalBook&) = delete;

    // A step that failed, said where the user sees it: once for each run of
    // failures (a step that succeeds ends it).
    void setProblemHandler(std::function<void(const FileOutcome&)> handler) {
        sayProblem_ = std::move(handler);
    }

    // The journal in the open data folder `dir` (named `dirPath` in
    // messages), read whole now; a problem reading it comes back (and is not
    // said again by the handler).
    FileOutcome open(int dir, const std::string& dirPath, const CalendarMoment& now);
    bool keepsAcrossRuns() const { return file_ != nullptr; }

    // What was appended since the last look (another copy, a sync tool).
    void catchUp(const CalendarMoment& now);

    // An urge passed, a slip, an attempt's end, start or correction; false
    // when it could not be written (it is tried again with the next event).
    bool record(const AttemptEvent& event);

    // Lines a failed step left waiting, tried once more (the program ends).
    void flush();

    AttemptSummary summary(const CalendarMoment& quit, const CalendarMoment& now) const {
        return attempts_.summarise(quit, now);
    }
    RecordKeeping keeping() const;
    // The triggers and the hours of the urges and slips of the last 28 days.
    HardMoments hardMoments(const CalendarMoment& now) const { return hardMoments_.summarise(now); }

    // The milestones of a refresh against what the journal holds and what
    // this run has said: what to say now, its lines kept. With `canSay`
    // false (nothing could show a notice) only the lines that say nothing
    // are kept, and the notices come at a later refresh.
    MilestoneRound milestones(const MilestoneFigures& figures, const CalendarMoment& now, bool canSay);
    // The plan's alarms due and its reward reached, decided like the
    // milestones: under the journal's lock, never twice in a run, nothing
    // marked said while `canSay` is false.
    PlannedRound plannedNotices(const Plan& plan, const RewardProgress& progress, const CalendarMoment& now,
                                bool canSay);

private:
    class Reader;
    bool step(const std::function<std::string()>& decide);
    void failed(const FileOutcome& outcome);

    std::unique_ptr<JournalFile> file_;
    std::unique_ptr<Reader> reader_;
    AttemptLedger attempts_;
    NoticeLedger fileNotices_;
    AlarmLedger fileAlarms_;
    RewardLedger fileRewards_;
    HardMomentLedger hardMoments_;
    // Every notice line this run wrote or meant to: never said twice in a
    // run, whatever the file holds now.
    std::vector<JournalEvent> runNotices_;
    std::vector<JournalEvent> runPlanned_;  // the alarm and reward lines, likewise
    // Lines a failed step could not write, for the next.
    std::string waiting_;
    CalendarMoment now_;
    bool readable_ = true;
    bool failing_ = false;
    std::function<void(const FileOutcome&)> sayProblem_;
};

}  // namespace kemless
