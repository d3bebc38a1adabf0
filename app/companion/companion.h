#pragma once
// What --notify adds to a running session: a desktop notice at each
// milestone, said once. The journal beside the record holds what was said,
// so what was crossed while the program was off is said at the next start
// (one notice naming the latest of each kind), and nothing is said twice:
// not after a restart, a clock set back, or by a second copy sharing the
// folder. Where the journal cannot be kept, notices go on for the run from
// what this run has seen.
#include <QObject>

#include "display/milestones.h"

namespace kemless {

class JournalBook;
class Notifier;
class Session;

class Companion : public QObject {
    Q_OBJECT
public:
    // How long a balloon waits for an icon just put in the notification
    // area to get its place there.
    static constexpr int kPlaceWaitMs = 1000;

    // `journal`: the one the session keeps its record in.
    Companion(Session& session, JournalBook& journal, QObject* parent = nullptr);

    Notifier* notifier() const { return notifier_; }

private:
    void refreshed(const DisplayState& display);
    // The words without a notification service: beside a window in view,
    // or from the icon of a window in the area; false where neither is.
    bool showWithoutService(const QString& summary, const QString& body);
    // Whether a notice sent now is seen: a service, an area or a window in view.
    bool canShow() const;

    Session& session_;
    JournalBook& journal_;
    Notifier* notifier_ = nullptr;
    // Until the first notice is said: what came while the program was off.
    bool away_ = true;
};

}  // namespace kemless
