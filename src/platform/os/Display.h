#pragma once
// Changing the screen mode for the running system only. On X11 the RandR extension applies the size;
// elsewhere (Wayland, offscreen) nothing happens, silently.
#include <QSize>
#include <memory>

namespace kv::os {

class Display {
public:
    virtual ~Display() = default;
    /// The size of the screen now, in pixels.
    virtual QSize currentSize() const = 0;
    /// Applies a screen size; the result is not reported.
    virtual void setSize(QSize size) = 0;
};

/// The display of the platform the program runs on (X11 RandR, or one that does nothing).
std::unique_ptr<Display> platformDisplay();

} // namespace kv::os
