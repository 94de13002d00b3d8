#include "Display.h"

#include <QGuiApplication>
#include <QScreen>

#ifdef KV_HAVE_XRANDR
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#endif

namespace kv::os {

namespace {

QSize primarySize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize();
}

class NoDisplayChange : public Display {
public:
    QSize currentSize() const override { return primarySize(); }
    void setSize(QSize) override {}
};

#ifdef KV_HAVE_XRANDR
class RandrDisplay : public Display {
public:
    QSize currentSize() const override { return primarySize(); }

    void setSize(QSize size) override
    {
        ::Display* dpy = XOpenDisplay(nullptr);
        if (!dpy)
            return;
        int eventBase = 0, errorBase = 0;
        if (XRRQueryExtension(dpy, &eventBase, &errorBase)) {
            const Window root = DefaultRootWindow(dpy);
            if (XRRScreenConfiguration* config = XRRGetScreenInfo(dpy, root)) {
                int count = 0;
                XRRScreenSize* sizes = XRRConfigSizes(config, &count);
                Rotation rotation = 0;
                XRRConfigCurrentConfiguration(config, &rotation);
                // The modes are read to their end; the one of the requested size is applied.
                int chosen = -1;
                for (int i = 0; i < count; ++i)
                    if (sizes[i].width == size.width() && sizes[i].height == size.height())
                        chosen = i;
                if (chosen >= 0)
                    XRRSetScreenConfig(dpy, config, root, chosen, rotation, CurrentTime);
                XRRFreeScreenConfigInfo(config);
            }
        }
        XCloseDisplay(dpy);
    }
};
#endif

} // namespace

std::unique_ptr<Display> platformDisplay()
{
#ifdef KV_HAVE_XRANDR
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<RandrDisplay>();
#endif
    return std::make_unique<NoDisplayChange>();
}

} // namespace kv::os
