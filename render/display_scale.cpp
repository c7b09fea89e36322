#include "display_scale.h"

#include "screen_probe_x11.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace
{
// Every setting through which a desktop or a user chooses Qt's scale.
constexpr std::array<const char *, 5> ScaleSettings = {
    "QT_ENABLE_HIGHDPI_SCALING", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
    "QT_SCALE_FACTOR_ROUNDING_POLICY", "QT_FONT_DPI"};
std::array<std::optional<QByteArray>, ScaleSettings.size()> Saved;
bool SavedAny = false;
} // namespace

int32_t DesktopScale(const ScreenFacts &screen)
{
    const double scale = screen.DevicePixelRatio * screen.LogicalDpi / 96.0;
    // A hair of tolerance for the product's rounding error only (1.4 x 137.14 dpi is 2): a
    // setting truly under a whole scale, such as 191.99 dpi, is rounded down.
    return std::max<int32_t>(1, static_cast<int32_t>(std::floor(scale + 1e-6)));
}

int32_t FittingScale(const ScreenFacts &screen)
{
    int32_t scale = DesktopScale(screen);
    while (scale > 1 && (WindowLayoutSize.width() * scale > screen.Available.width() ||
                         WindowLayoutSize.height() * scale > screen.Available.height()))
        --scale;
    return scale;
}

ScreenFacts ProbeScreen(int &argc, char **argv)
{
    // On X11 the server says it all; elsewhere a short-lived application object asks.
    if (const std::optional<ScreenFacts> x11 = ProbeX11Screen()) return *x11;
    ScreenFacts facts;
    // The ratio as the desktop gives it, fractions too; the scale is rounded down here.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QGuiApplication probe(argc, argv);
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return facts;
    facts.DevicePixelRatio = screen->devicePixelRatio();
    facts.LogicalDpi = screen->logicalDotsPerInch();
    const auto physical = [&](QSize logical) {
        return QSize(static_cast<int>(std::lround(logical.width() * facts.DevicePixelRatio)),
                     static_cast<int>(std::lround(logical.height() * facts.DevicePixelRatio)));
    };
    facts.Physical = physical(screen->size());
    facts.Available = physical(screen->availableSize());
    return facts;
}

void PrepareScale(int32_t scale)
{
    for (size_t i = 0; i < ScaleSettings.size(); ++i)
        if (qEnvironmentVariableIsSet(ScaleSettings[i])) Saved[i] = qgetenv(ScaleSettings[i]);
    SavedAny = true;
    // The platform's own ratio off, one global factor of exactly `scale` instead, and point
    // sizes at 96 dpi for the toolkit's own windows (menu, message and name boxes).
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_SCALE_FACTOR_ROUNDING_POLICY");
    if (scale > 1)
        qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
    else
        qunsetenv("QT_SCALE_FACTOR");
    qputenv("QT_FONT_DPI", "96");
}

void RestoreEnvironment()
{
    if (!SavedAny) return;
    for (size_t i = 0; i < ScaleSettings.size(); ++i) {
        if (Saved[i])
            qputenv(ScaleSettings[i], *Saved[i]);
        else
            qunsetenv(ScaleSettings[i]);
        Saved[i].reset();
    }
    SavedAny = false;
}

int32_t DisplayScale()
{
    if (qGuiApp == nullptr) return 1;
    return std::max<int32_t>(1, static_cast<int32_t>(std::lround(qGuiApp->devicePixelRatio())));
}

QImage AtScale(const QImage &picture, int32_t scale, bool smooth)
{
    if (picture.isNull() || scale <= 1) return picture;
    QImage scaled = picture.scaled(picture.size() * scale, Qt::IgnoreAspectRatio,
                                   smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
    scaled.setDevicePixelRatio(scale);
    return scaled;
}

QImage ScaledCanvas(QSize layout, int32_t scale, QImage::Format format)
{
    QImage image(layout * std::max(scale, 1), format);
    image.setDevicePixelRatio(std::max(scale, 1));
    return image;
}

int32_t PrepareDesktopScale(int &argc, char **argv)
{
    const int32_t scale = FittingScale(ProbeScreen(argc, argv));
    PrepareScale(scale);
    return scale;
}

QSize PhysicalScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    const double ratio = screen->devicePixelRatio();
    return QSize(static_cast<int>(std::lround(screen->size().width() * ratio)),
                 static_cast<int>(std::lround(screen->size().height() * ratio)));
}

int32_t PixelsForPoints(double points)
{
    return static_cast<int32_t>(std::lround(points * 96.0 / 72.0));
}

QFont At96Dpi(QFont font)
{
    if (font.pointSizeF() > 0) font.setPixelSize(PixelsForPoints(font.pointSizeF()));
    return font;
}
