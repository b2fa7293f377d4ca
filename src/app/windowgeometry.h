#pragma once

#include <QColor>
#include <QSize>

class QWidget;

// The main window's design sizes and colours. Every control is laid out; a design size
// is the least it takes, and it grows when its text needs more (a larger font or scale).
namespace tavrin::geometry {

inline constexpr int kWindowWidth = 1000;
inline constexpr int kWindowHeight = 616;
inline constexpr QSize kViewSize{410, 500}; // a work view's group box
inline constexpr int kViewLeft = 14;        // where the views and the log begin
inline constexpr int kViewTop = 18;
inline constexpr int kLogGap = 11;          // between a view and the exchange log beside it
inline constexpr int kBottomMargin = 8;     // below the call panel
inline constexpr int kCallPanelGap = 6;     // between the log and the call panel under it

inline QColor PanelGrey() { return QColor(211, 211, 211); }
inline QColor LogGrey() { return QColor(234, 234, 234); }
inline QColor ControlMarkColour() { return QColor(36, 92, 160); } // control bytes in the log

// control's least size: design, or more where its contents need it at the font in use.
void AtLeast(QWidget *control, QSize design);

} // namespace tavrin::geometry
