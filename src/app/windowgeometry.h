#pragma once

#include <QColor>

// Where the main window puts its views, and its colours.
namespace tavrin::geometry {

inline constexpr int kWindowWidth = 1000;
inline constexpr int kWindowHeight = 616;
inline constexpr int kViewLeft = 14; // a work view's group box
inline constexpr int kViewTop = 18;
inline constexpr int kLogLeft = 435; // the exchange log beside it
inline constexpr int kLogTop = 18;
inline constexpr int kCallPanelRoom = 60; // kept free under the log for the call panel

inline QColor PanelGrey() { return QColor(211, 211, 211); }
inline QColor LogGrey() { return QColor(234, 234, 234); }
inline QColor ControlMarkColour() { return QColor(36, 92, 160); } // control bytes in the log

} // namespace tavrin::geometry
