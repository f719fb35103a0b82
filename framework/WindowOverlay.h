// Drawing on a window that belongs to no control, where the desktop would draw through the
// screen's device context: a combo box framing its open drop-down list.
//
// Decisions: there is no screen device context here, and a window shows only what it paints
// itself. So a drawing is kept with the window and run at the end of each of the window's paints,
// over what the window painted, until the window hides, the same Owner draws again (the new
// drawing replaces its old one) or Owner is destroyed. Drawing asks the window for a repaint.
#pragma once

#include "platform/WinTypes.h"

#include <functional>

#include "framework/System.h"

class QObject;
class TCanvas;

// A drawing on a window: the canvas covers the whole window, whose rectangle (origin 0, 0) is
// given, whatever part of it is being repainted.
using TWindowDrawing = std::function<void(TCanvas& Canvas, const TRect& WindowRect)>;

// Draws with Draw on the window behind Window (a widget given a handle by RegisterWindowReceiver).
// A null Draw removes Owner's drawing. False when the handle
// is unknown or not a widget, or Owner is null.
bool DrawOnWindow(HWND Window, QObject* Owner, TWindowDrawing Draw);

// True while Owner has a drawing kept on the window.
bool HasDrawingOnWindow(HWND Window, const QObject* Owner);
