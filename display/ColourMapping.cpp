#include "ColourMapping.h"

#include <array>
#include <utility>

namespace tarvik {

namespace {

// Each system colour index and the palette entry that plays its part here.
constexpr std::array<std::pair<QPalette::ColorGroup, QPalette::ColorRole>, SystemColourCount>
    SystemRoles{{
        {QPalette::Active, QPalette::Mid},             // 0 scroll bar
        {QPalette::Active, QPalette::Window},          // 1 desktop
        {QPalette::Active, QPalette::Highlight},       // 2 active caption
        {QPalette::Inactive, QPalette::Highlight},     // 3 inactive caption
        {QPalette::Active, QPalette::Window},          // 4 menu
        {QPalette::Active, QPalette::Base},            // 5 window background
        {QPalette::Active, QPalette::Shadow},          // 6 window frame
        {QPalette::Active, QPalette::WindowText},      // 7 menu text
        {QPalette::Active, QPalette::Text},            // 8 window text
        {QPalette::Active, QPalette::HighlightedText}, // 9 caption text
        {QPalette::Active, QPalette::Window},          // 10 active border
        {QPalette::Inactive, QPalette::Window},        // 11 inactive border
        {QPalette::Active, QPalette::Mid},             // 12 application workspace
        {QPalette::Active, QPalette::Highlight},       // 13 highlight
        {QPalette::Active, QPalette::HighlightedText}, // 14 highlighted text
        {QPalette::Active, QPalette::Button},          // 15 button face
        {QPalette::Active, QPalette::Dark},            // 16 button shadow
        {QPalette::Disabled, QPalette::Text},          // 17 grey text
        {QPalette::Active, QPalette::ButtonText},      // 18 button text
        {QPalette::Inactive, QPalette::WindowText},    // 19 inactive caption text
        {QPalette::Active, QPalette::Light},           // 20 button highlight
        {QPalette::Active, QPalette::Shadow},          // 21 3-D dark shadow
        {QPalette::Active, QPalette::Midlight},        // 22 3-D light
        {QPalette::Active, QPalette::ToolTipText},     // 23 tooltip text
        {QPalette::Active, QPalette::ToolTipBase},     // 24 tooltip background
    }};

} // namespace

QColor toQColor(ColourValue colour, const QPalette& palette) {
    if (isSystemColour(colour)) {
        const int index = systemColourIndex(colour);
        if (index >= SystemColourCount)
            return Qt::black;
        const auto [group, role] = SystemRoles[static_cast<std::size_t>(index)];
        return palette.color(group, role);
    }
    const auto u = static_cast<std::uint32_t>(colour);
    return QColor(static_cast<int>(u & 0xFF), static_cast<int>(u >> 8 & 0xFF),
                  static_cast<int>(u >> 16 & 0xFF));
}

ColourValue fromQColor(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return rgbColour(rgb.red(), rgb.green(), rgb.blue());
}

} // namespace tarvik
