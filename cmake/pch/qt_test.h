// Precompiled for the QTest executables (cmake/precompiled_headers.cmake):
// the window headers and QTest itself.
#pragma once

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "qt_widgets.h"
