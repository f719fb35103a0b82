// Regions: sets of pixels behind handles, as the desktop's region calls make them. A window
// takes a region as its shape with SetWindowRgn (Forms.h).
//
// Decisions:
// - A region is a QRegion kept in a table under a handle id (never a pointer), so a stale or
//   made-up handle is refused (0 / RGN_ERROR) instead of being read.
// - CreateRoundRectRgn gives the desktop's own coverage: the rectangle loses its last column and
//   row (so (0, 0, 11, 11) covers 10 x 10 pixels; callers pass right + 1 and bottom + 1 for the
//   whole rectangle), and each corner follows the midpoint ellipse of ellipse w x h (Zingl's
//   integer algorithm), one row of pixel runs per ellipse row. Ellipses narrower or lower than
//   2 pixels give a plain rectangle.
// - SetWindowRgn takes the handle over, as on the desktop: afterwards the handle is no longer
//   valid for the caller (DeleteObject and CombineRgn refuse it).
// - GUI thread only in practice; the table is locked anyway, so a misuse cannot corrupt it.
#pragma once

#include "platform/WinTypes.h"
#include "platform/WinUser.h"

#include <QRegion>

struct HRGN__;
typedef HRGN__* HRGN;

// The pixels (l, t)-(r, b), right and bottom exclusive (swapped coordinates are put in order).
HRGN CreateRectRgn(int Left, int Top, int Right, int Bottom);
// The rectangle (l, t)-(r - 1, b - 1) with corners cut by an ellipse of EllipseWidth x EllipseHeight.
HRGN CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int EllipseWidth, int EllipseHeight);
// Dest := Src1 <mode> Src2 (RGN_COPY: Src1). Dest may be one of the sources. Answers the kind of
// the result (NULLREGION, SIMPLEREGION, COMPLEXREGION) or RGN_ERROR for an unknown handle or mode.
int CombineRgn(HRGN Dest, HRGN Src1, HRGN Src2, int Mode);
// Frees the region; FALSE for an unknown handle (already deleted, or handed to a window).
BOOL DeleteObject(HRGN Object);

// The framework's access to a region's pixels: false for an unknown handle.
bool RegionPixels(HRGN Region, QRegion& Pixels);
// Hands the region over (SetWindowRgn): the handle is forgotten and its pixels returned.
bool TakeRegion(HRGN Region, QRegion& Pixels);
