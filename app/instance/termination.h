#pragma once
#include <functional>

class QObject;

namespace kemless {

// SIGTERM, SIGINT and SIGHUP (log-out, `kill`, Ctrl+C in a terminal) end the
// program through `end` on the event loop, like its own exit: the display
// windows unload and write option.ini first.
void EndOnTerminationSignals(QObject* context, std::function<void()> end);

}  // namespace kemless
