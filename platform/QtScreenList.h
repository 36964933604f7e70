#pragma once

#include "platform/ScreenCaptureService.h"

#include <functional>

class QScreen;

// The window system's screens as Qt lists them, the displays a capture service offers: each is
// numbered by its place in Qt's list, from 1.
namespace QtScreenList {

[[nodiscard]] std::uint32_t displayNumber(const QScreen *screen);
// The screen with that number, or null.
[[nodiscard]] QScreen *screen(std::uint32_t displayNumber);
[[nodiscard]] QList<CaptureScreen> screens();
[[nodiscard]] std::optional<CaptureScreen> mainScreen();
// Every screen as a display, with its size in device pixels as `pixelSize` tells it.
[[nodiscard]] QList<CaptureDisplay> displays(const std::function<QSize(const QScreen *)> &pixelSize);

} // namespace QtScreenList
