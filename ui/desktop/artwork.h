#pragma once
// The program's pictures, drawn in code so they stay crisp at any scale.
#include <QIcon>
#include <QPixmap>

namespace kemless::artwork {

// A small yellow duck facing left: eyes open (arriving) or closed in a smile
// (pleased). Logical size 30 x 29, transparent background.
QPixmap Duck(bool pleased, qreal devicePixelRatio);

// The program icon at a logical size (16 for the window and tray).
QPixmap ProgramIconPixmap(int logicalSize, qreal devicePixelRatio);
// The icon at every common size, for windows and the notification area.
QIcon ProgramIcon();

// The looping picture of the seasonal ceremony: logical 25 x 23, one frame
// of kSparkleFrames.
inline constexpr int kSparkleFrames = 8;
QPixmap SparkleFrame(int frame, qreal devicePixelRatio);

}  // namespace kemless::artwork
