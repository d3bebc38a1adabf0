#pragma once
// The moments worth a word: a new rank title, a new full month or year on
// the calendar, a duck arriving or pleased, the cigarettes not smoked laid
// end to end passing a round length, a step of 回復のあゆみ reached. Each is said once: the journal beside
// the record holds what was said (a "notice" line) and where the notices
// began (a "seen" line, written without a word), so a restart, a clock set
// back or a second copy sharing the folder repeats nothing, and what was
// crossed while the program was off is said at the next start. A pure
// comparison of what a refresh computed with the journal's lines, so any
// "now" can be tested.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "display/display_state.h"
#include "records/journal.h"
#include "records/settings.h"

namespace kemless {

enum class MilestoneKind { Title, Calendar, Duck, Length, Health };

struct MilestoneNotice {
    MilestoneKind kind;
    std::string summary;  // the headline: "ランクアップ！"
    std::string body;     // one sentence: "ステータスが「大将」になりました。"
    std::string phrase;   // the few words a combined headline names it by: "ランクアップ『大将』"
};

// One round of the milestones: what to say, and the journal lines that
// record it. A milestone is one kind and value within the record it was
// reached on (the quit moment, and for a title the theme, for a length the
// cigarettes a day and their size). A kind the journal knows nothing of in
// that record gets a "seen" line and no word (the first --notify run on an
// old record, a new quit moment, a new theme); a kind that has gone beyond
// the furthest line is said and gets a "notice" line; anything else, a
// value at or below what the journal holds (said before, or a clock set
// back), is silence.
struct MilestoneRound {
    std::vector<MilestoneNotice> due;  // most important first, at most one a kind: its latest
    std::vector<JournalEvent> lines;   // to append, dated `now`
};
// What the journal says of the milestones, line by line: how far each
// reached (the highest value, wherever its line stands: a merge of two
// computers' journals may put a lower one last), and which theme the
// latest title line of each quit moment named.
class NoticeLedger {
public:
    void clear() { *this = NoticeLedger(); }
    // Every line but notice lines is passed over.
    void add(const JournalEvent& line);
    std::optional<int64_t> furthest(const std::string& key) const;
    const std::string* lastTitleMode(const std::string& quitWord) const;

private:
    std::map<std::string, int64_t> furthest_;
    std::map<std::string, std::string> titleMode_;
};

// A title is the rank within the quit moment whatever the theme: a theme
// changed since the last title line is taken as it stands, without a word.
MilestoneRound NextMilestones(const NoticeLedger& journal, const MilestoneFigures& figures,
                              const CalendarMoment& now);
MilestoneRound NextMilestones(const std::vector<JournalEvent>& journal, const MilestoneFigures& figures,
                              const CalendarMoment& now);

// The lines of a round as the journal holds them.
std::string JournalLines(const std::vector<JournalEvent>& lines);
// Only the journal's notice lines ("notice" and "seen"): all a round reads.
std::vector<JournalEvent> NoticeLines(std::vector<JournalEvent> journal);

// The notices of one refresh as one desktop notice: the first (most
// important) headline, and its sentence; each later notice adds its
// headline and its sentence, each on a line of its own.
struct NoticeText {
    std::string summary;
    std::string body;
};
NoticeText JoinNotices(const std::vector<MilestoneNotice>& due);
// What was crossed while the program was off, said at the next start:
// 「お休みのあいだに：ランクアップ『大将』、卒煙１ヶ月達成」, and each
// notice's headline and sentence on lines of their own.
NoticeText JoinNoticesWhileAway(const std::vector<MilestoneNotice>& due);

// Round lengths in millimetres: 10 m, 20 m … 90 m, 100 m, 200 m …; 0 below 10 m.
int64_t RoundLengthBelow(double lengthMm);

// The first milestone to come after `now` on this record, and when: the
// notice it will give and the minute it is reached (a new title, month,
// duck or round length, which the main window shows: not a health step; the earliest, the more important one
// on a tie). Nothing where none can come (an unknown theme and no cigarettes, say, or beyond the calendar's
// reach).
struct UpcomingMilestone {
    MilestoneNotice notice;
    CalendarMoment at;
    int64_t minutesFromNow = 0;
};
std::optional<UpcomingMilestone> NextMilestoneAfter(const InitialSettings& initial,
                                                    const OptionSettings& options, const CalendarMoment& now);

}  // namespace kemless
