#include "session/platform.h"

namespace kemless {

QByteArray PreferredPlatform(bool userChose, const QByteArray& display) {
    if (userChose || display.isEmpty()) return {};
    return QByteArrayLiteral("xcb;wayland");
}

}  // namespace kemless
