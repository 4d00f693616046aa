#include "platform/Colors.h"

namespace qb::colors {

namespace {
QPalette::ColorRole roleOfSystemColor(int index)
{
    switch (index) {
    case 0: return QPalette::Dark;             // scroll bar
    case 1: return QPalette::Window;           // background
    case 2: return QPalette::Highlight;        // active caption
    case 3: return QPalette::Mid;              // inactive caption
    case 4: return QPalette::Window;           // menu
    case 5: return QPalette::Base;             // window
    case 6: return QPalette::Shadow;           // window frame
    case 7: return QPalette::WindowText;       // menu text
    case 8: return QPalette::Text;             // window text
    case 9: return QPalette::HighlightedText;  // caption text
    case 10: return QPalette::Window;          // active border
    case 11: return QPalette::Window;          // inactive border
    case 12: return QPalette::Dark;            // application workspace
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;           // button face
    case 16: return QPalette::Dark;             // button shadow
    case 17: return QPalette::PlaceholderText;  // grey text
    case 18: return QPalette::ButtonText;
    case 19: return QPalette::WindowText;  // inactive caption text
    case 20: return QPalette::Light;       // button highlight
    case 21: return QPalette::Shadow;      // 3D dark shadow
    case 22: return QPalette::Midlight;    // 3D light
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return QPalette::Window;
    }
}
}  // namespace

bool isSystemColor(int stored) { return (unsigned(stored) & 0x80000000u) != 0; }

QColor toQColor(int stored, const QPalette& palette)
{
    if (isSystemColor(stored)) return palette.color(roleOfSystemColor(stored & 0xFF));
    unsigned v = unsigned(stored);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

int fromQColor(const QColor& color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

}  // namespace qb::colors
