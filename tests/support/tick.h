#pragma once
// One tick of the session's 30-second refresh timer, through the timer's own
// signal, so a test goes the way the timer does without waiting for it.
#include <QMetaObject>
#include <QTimer>

#include "session/session.h"

namespace kemless {

inline bool Tick(Session& s) {
    return QMetaObject::invokeMethod(s.refreshTimer(), "timeout", Qt::DirectConnection);
}

}  // namespace kemless
