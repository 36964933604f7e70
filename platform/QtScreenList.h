#pragma once

#include "platform/ScreenCaptureService.h"

#include <QObject>

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

// A capture service over Qt's screens: the displays, their numbers and the main one come from
// Qt's list; the services differ only in how they read the pixels.
class QtScreensCaptureService : public QObject, public ScreenCaptureService
{
public:
    using QObject::QObject;

    [[nodiscard]] std::uint32_t mainDisplayId() const override;
    [[nodiscard]] QList<CaptureScreen> screens() const override { return QtScreenList::screens(); }
    [[nodiscard]] std::optional<CaptureScreen> mainScreen() const override { return QtScreenList::mainScreen(); }
};
