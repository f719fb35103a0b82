// Enumerations and small types of the control layer. The enumerations live in a Qt namespace so
// published properties of these types can be set by identifier from stored form definitions.
#pragma once

#include "framework/System.h"
#include "platform/WinTypes.h"

#include <QObject>
#include <functional>

namespace Vcl {
Q_NAMESPACE

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
Q_ENUM_NS(TAlign)
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)
enum TTextLayout { tlTop, tlCenter, tlBottom };
Q_ENUM_NS(TTextLayout)
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
Q_ENUM_NS(TBiDiMode)
// Form border styles; controls use the first two (bsNone, bsSingle) as their TBorderStyle.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
Q_ENUM_NS(TFormBorderStyle)
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
Q_ENUM_NS(TFormStyle)
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
Q_ENUM_NS(TPosition)
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
Q_ENUM_NS(TWindowState)
enum TCloseAction { caNone, caHide, caFree, caMinimize };
Q_ENUM_NS(TCloseAction)
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
Q_ENUM_NS(TBevelShape)
enum TBevelStyle { bsLowered, bsRaised };
Q_ENUM_NS(TBevelStyle)
enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
Q_ENUM_NS(TPanelBevel)
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
Q_ENUM_NS(TComboBoxStyle)
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
Q_ENUM_NS(TCheckBoxState)
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
Q_ENUM_NS(TEditCharCase)
enum TStatusPanelStyle { psText, psOwnerDraw };
Q_ENUM_NS(TStatusPanelStyle)
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
Q_ENUM_NS(TStatusPanelBevel)
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
Q_ENUM_NS(TButtonLayout)
enum TMouseButton { mbLeft, mbRight, mbMiddle };
Q_ENUM_NS(TMouseButton)

}  // namespace Vcl

using namespace Vcl;
using TBorderStyle = TFormBorderStyle;

// Sets are bit masks.
using TShiftState = uint32_t;
constexpr TShiftState ssShift = 0x01, ssAlt = 0x02, ssCtrl = 0x04, ssLeft = 0x08, ssRight = 0x10,
                      ssMiddle = 0x20, ssDouble = 0x40;
using TAnchors = uint32_t;
constexpr TAnchors akLeft = 1, akTop = 2, akRight = 4, akBottom = 8;
using TBorderIcons = uint32_t;
constexpr TBorderIcons biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8;

using TControlStyle = uint32_t;
constexpr TControlStyle csAcceptsControls = 1u << 0, csCaptureMouse = 1u << 1, csDesignInteractive = 1u << 2,
                        csClickEvents = 1u << 3, csFramed = 1u << 4, csSetCaption = 1u << 5, csOpaque = 1u << 6,
                        csDoubleClicks = 1u << 7, csFixedWidth = 1u << 8, csFixedHeight = 1u << 9,
                        csNoDesignVisible = 1u << 10, csReplicatable = 1u << 11, csNoStdEvents = 1u << 12,
                        csDisplayDragImage = 1u << 13, csReflector = 1u << 14, csActionClient = 1u << 15,
                        csMenuEvents = 1u << 16, csNeedsBorderPaint = 1u << 17, csParentBackground = 1u << 18;
using TControlState = uint32_t;
constexpr TControlState csLButtonDown = 1u << 0, csClicked = 1u << 1, csPalette = 1u << 2,
                        csReadingState = 1u << 3, csAlignmentNeeded = 1u << 4, csFocusing = 1u << 5,
                        csCreating = 1u << 6, csPaintCopy = 1u << 7, csCustomPaint = 1u << 8,
                        csDestroyingHandle = 1u << 9, csDocking = 1u << 10;

using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
                  crNo = -12, crHandPoint = -21, crSizeAll = -22;

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

class TObject;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// Identifiers of set elements and other named constants the form reader accepts ("fsBold",
// "akLeft", "biSystemMenu", "DEFAULT_CHARSET"): registered by the units that define them.
void RegisterIdent(const String& name, int64_t value);
bool LookupIdent(const String& name, int64_t& value);
