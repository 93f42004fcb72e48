// The look of the phone's interface, in one place.
#pragma once

#include <QColor>
#include <QFont>

namespace uikit::style {

inline constexpr int kScreenWidth = 320;
inline constexpr int kScreenHeight = 480;
inline constexpr int kStatusBarHeight = 20;
inline constexpr int kNavigationBarHeight = 44;
inline constexpr int kAnimationMilliseconds = 300;

inline QColor groupedBackground() { return QColor(0xc5, 0xcc, 0xd4); }
inline QColor cellBackground() { return Qt::white; }
inline QColor cellSelected() { return QColor(0x05, 0x8c, 0xf5); }
inline QColor separator() { return QColor(0xab, 0xab, 0xab); }
inline QColor barTop() { return QColor(0xb0, 0xbc, 0xcd); }
inline QColor barBottom() { return QColor(0x6d, 0x84, 0xa2); }
inline QColor barText() { return Qt::white; }
inline QColor switchOn() { return QColor(0x1f, 0x7a, 0xe8); }
inline QColor switchOff() { return QColor(0xee, 0xee, 0xee); }
inline QColor alertBox() { return QColor(0x1d, 0x2f, 0x5c, 235); }

inline QFont font(int pointSize, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pointSize);
    f.setBold(bold);
    return f;
}

}  // namespace uikit::style
