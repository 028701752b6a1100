#include "scene_light.h"

#include <algorithm>

namespace {

struct LightRow {
    DayTime time;
    SceneLight light;
};

// clang-format off
// sky (zenith, upper, lower, horizon), haze, sun, glow, cloud lit, cloud shade, tint, tint amount,
// brightness, water, windows, sun height, moon, stars, lit windows
const LightRow kLightRows[] = {
    {DayTime::Dawn,      {{QColor(0x2B3D6B), QColor(0x6E6A9E), QColor(0xE3A5A0), QColor(0xF8C79A)},
                          QColor(0xC9A6B0), QColor(0xFFF1C8), QColor(0xFFB27A), QColor(0xF9CDBE), QColor(0x8C7D9F),
                          QColor(0xF2A287), 0.18, 0.78, QColor(0x3A4A70), QColor(0xFFD890), 0.06, false, 0.05, 0.25}},
    {DayTime::Morning,   {{QColor(0x3474C4), QColor(0x6FA8E0), QColor(0xA9CDEE), QColor(0xDCEAF4)},
                          QColor(0xBFD3E6), QColor(0xFFFBEA), QColor(0xFFF1C4), QColor(0xFFFFFF), QColor(0xBCC9DC),
                          QColor(0xFFF3D6), 0.05, 1.0, QColor(0x2F6593), QColor(0xFFE2A8), 0.55, false, 0.0, 0.05}},
    {DayTime::Noon,      {{QColor(0x1F5FBF), QColor(0x4B90DE), QColor(0x8CC0EE), QColor(0xCFE5F7)},
                          QColor(0xB8D2EA), QColor(0xFFFFF4), QColor(0xFFF8D8), QColor(0xFFFFFF), QColor(0xC4D0E2),
                          QColor(0xFFFFFF), 0.0, 1.05, QColor(0x24628F), QColor(0xFFE2A8), 0.9, false, 0.0, 0.03}},
    {DayTime::Afternoon, {{QColor(0x2F69BA), QColor(0x62A0DD), QColor(0xA3C9EA), QColor(0xE8EADA)},
                          QColor(0xCBD5DE), QColor(0xFFF6DC), QColor(0xFFE9B0), QColor(0xFFFDF6), QColor(0xC7C6D2),
                          QColor(0xFFE0A0), 0.08, 1.0, QColor(0x2C6290), QColor(0xFFE2A8), 0.45, false, 0.0, 0.05}},
    {DayTime::Sunset,    {{QColor(0x23306A), QColor(0x7A4D8E), QColor(0xEE7466), QColor(0xFFC46B)},
                          QColor(0xE49A86), QColor(0xFFE58A), QColor(0xFF8A3D), QColor(0xFFA37E), QColor(0x5C4679),
                          QColor(0xFF8450), 0.28, 0.62, QColor(0x453D6A), QColor(0xFFD27A), 0.07, false, 0.0, 0.35}},
    {DayTime::Dusk,      {{QColor(0x10183A), QColor(0x2E3470), QColor(0x8A5A8C), QColor(0xE8896A)},
                          QColor(0x6F5A80), QColor(0xFFF4D6), QColor(0xE8896A), QColor(0x8F6E8E), QColor(0x2A2748),
                          QColor(0x3A3A78), 0.35, 0.36, QColor(0x1E2548), QColor(0xFFD27A), -0.1, false, 0.35, 0.6}},
    {DayTime::Night,     {{QColor(0x03081A), QColor(0x0B1634), QColor(0x172A52), QColor(0x2A406A)},
                          QColor(0x34496F), QColor(0xF6F3E4), QColor(0xA9B8D8), QColor(0x4A5878), QColor(0x101830),
                          QColor(0x1C2C5A), 0.5, 0.24, QColor(0x081228), QColor(0xFFCF70), 0.62, true, 1.0, 0.45}},
};
// clang-format on

int Channel(double value)
{
    return std::clamp(static_cast<int>(value + 0.5), 0, 255);
}

} // namespace

SceneLight LightFor(DayTime time)
{
    for (const LightRow& row : kLightRows) {
        if (row.time == time)
            return row.light;
    }
    return kLightRows[1].light;
}

QColor Mix(const QColor& a, const QColor& b, double t)
{
    return QColor(
        Channel(a.red() + (b.red() - a.red()) * t), Channel(a.green() + (b.green() - a.green()) * t),
        Channel(a.blue() + (b.blue() - a.blue()) * t), Channel(a.alpha() + (b.alpha() - a.alpha()) * t));
}

QColor WithAlpha(QColor colour, int alpha)
{
    colour.setAlpha(std::clamp(alpha, 0, 255));
    return colour;
}

QColor Lit(const SceneLight& light, const QColor& base)
{
    const QColor bright(Channel(base.red() * light.brightness), Channel(base.green() * light.brightness),
                        Channel(base.blue() * light.brightness), base.alpha());
    QColor tinted = Mix(bright, light.tint, light.tintAmount);
    tinted.setAlpha(base.alpha());
    return tinted;
}

QColor Distant(const SceneLight& light, const QColor& base, double distance)
{
    QColor faded = Mix(Lit(light, base), light.haze, std::clamp(distance, 0.0, 1.0));
    faded.setAlpha(base.alpha());
    return faded;
}
