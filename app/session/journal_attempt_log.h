#pragma once
// The record of urges, slips and attempts kept for good, in the journal
// beside the record (the lines of core/recovery/attempt_lines.h). Every
// append is one step on the journal (locked, appended, synced) and every
// read one more, so a second copy sharing the folder is never talked over.
// Once a step has failed, nothing is read or written for the rest of the
// run, and the record says so.
#include <functional>

#include "records/journal.h"
#include "recovery/attempts.h"

namespace kemless {

class JournalAttemptLog final : public AttemptLog {
public:
    // One step on the journal; false when it could not be kept (the first
    // such step says so where the user sees it).
    using Step = std::function<bool(const JournalDecision&)>;
    explicit JournalAttemptLog(Step step) : step_(std::move(step)) {}

    bool append(const AttemptEvent& event) override;
    std::vector<AttemptEvent> events() const override;
    bool keepsAcrossRuns() const override { return true; }
    bool readable() const override { return readable_; }

private:
    Step step_;
    mutable bool readable_ = true;
};

}  // namespace kemless
