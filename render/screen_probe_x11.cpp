#include "screen_probe_x11.h"

#include <QRect>
#include <QtGlobal>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{
struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

struct Disconnect {
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};

// Where the toolkit would not use X11 as asked here, or would scale on its own settings.
bool OtherThanPlainX11()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty()) return !platform.startsWith("xcb");
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland")
        return true;
    for (const char *setting :
         {"QT_ENABLE_HIGHDPI_SCALING", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
          "QT_SCALE_FACTOR_ROUNDING_POLICY", "QT_FONT_DPI", "QT_USE_PHYSICAL_DPI",
          "QT_DPI_ADJUSTMENT_POLICY", "QT_XCB_NO_XRANDR"})
        if (qEnvironmentVariableIsSet(setting)) return true;
    return !qEnvironmentVariableIsSet("DISPLAY");
}

xcb_atom_t Atom(xcb_connection_t *x, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        x, xcb_intern_atom(x, 1, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QByteArray Resources(xcb_connection_t *x, xcb_window_t root)
{
    QByteArray text;
    for (uint32_t offset = 0;;) {
        const Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(x,
                                   xcb_get_property(x, 0, root, XCB_ATOM_RESOURCE_MANAGER,
                                                    XCB_ATOM_STRING, offset / 4, 8192),
                                   nullptr));
        if (!reply || reply->format != 8) break;
        const int length = xcb_get_property_value_length(reply.get());
        text.append(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
        offset += static_cast<uint32_t>(length);
        if (reply->bytes_after == 0) break;
    }
    return text;
}

// The desktop's work area (_NET_WORKAREA, its first rectangle); null when it gives none.
QRect WorkArea(xcb_connection_t *x, xcb_window_t root)
{
    const xcb_atom_t atom = Atom(x, "_NET_WORKAREA");
    if (atom == XCB_ATOM_NONE) return {};
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        x, xcb_get_property(x, 0, root, atom, XCB_ATOM_CARDINAL, 0, 1024), nullptr));
    if (!reply || reply->type != XCB_ATOM_CARDINAL || reply->format != 32 || reply->value_len < 4)
        return {};
    const auto *area = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return QRect(static_cast<int>(area[0]), static_cast<int>(area[1]), static_cast<int>(area[2]),
                 static_cast<int>(area[3]));
}

// The primary monitor (else the first) of RandR 1.5, in physical pixels.
std::optional<QRect> PrimaryMonitor(xcb_connection_t *x, xcb_window_t root)
{
    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(x, &xcb_randr_id);
    if (randr == nullptr || randr->present == 0) return std::nullopt;
    const Reply<xcb_randr_query_version_reply_t> version(xcb_randr_query_version_reply(
        x, xcb_randr_query_version(x, XCB_RANDR_MAJOR_VERSION, XCB_RANDR_MINOR_VERSION), nullptr));
    if (!version || version->major_version < 1 ||
        (version->major_version == 1 && version->minor_version < 5))
        return std::nullopt;
    const Reply<xcb_randr_get_monitors_reply_t> monitors(
        xcb_randr_get_monitors_reply(x, xcb_randr_get_monitors(x, root, 1), nullptr));
    if (!monitors || monitors->nMonitors == 0) return std::nullopt;
    std::optional<QRect> first;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem != 0;
         xcb_randr_monitor_info_next(&it)) {
        const QRect area(it.data->x, it.data->y, it.data->width, it.data->height);
        if (it.data->primary != 0) return area;
        if (!first) first = area;
    }
    return first;
}
} // namespace

int32_t XftDpi(const QByteArray &resources)
{
    const QByteArray key = "Xft.dpi:\t";
    int32_t dpi = 0;
    for (const QByteArray &line : resources.split('\n'))
        if (line.startsWith(key)) {
            bool ok = false;
            const int value = line.mid(key.size()).trimmed().toInt(&ok);
            if (ok) dpi = value;
        }
    return dpi;
}

std::optional<ScreenFacts> ProbeX11Screen()
{
    if (OtherThanPlainX11()) return std::nullopt;
    int number = 0;
    const std::unique_ptr<xcb_connection_t, Disconnect> x(xcb_connect(nullptr, &number));
    if (!x || xcb_connection_has_error(x.get()) != 0) return std::nullopt;
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(x.get()));
    for (int i = 0; i < number && screens.rem != 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0) return std::nullopt;
    const xcb_window_t root = screens.data->root;
    const std::optional<QRect> monitor = PrimaryMonitor(x.get(), root);
    if (!monitor || monitor->isEmpty()) return std::nullopt;

    // As the toolkit works it out: a ratio of the desktop's DPI over 96 at full precision,
    // sizes in whole logical pixels, and those times the ratio, rounded.
    ScreenFacts facts;
    const int32_t dpi = XftDpi(Resources(x.get(), root));
    facts.DevicePixelRatio = dpi > 0 ? dpi / 96.0 : 1.0;
    facts.LogicalDpi = 96.0;
    const QRect work = WorkArea(x.get(), root);
    const QRect available = work.isValid() ? work & *monitor : *monitor;
    const auto physical = [&](QSize native) {
        const double ratio = facts.DevicePixelRatio;
        const QSize logical = native * (1.0 / ratio);
        return QSize(static_cast<int>(std::lround(logical.width() * ratio)),
                     static_cast<int>(std::lround(logical.height() * ratio)));
    };
    facts.Physical = physical(monitor->size());
    facts.Available = physical(available.size());
    return facts;
}
