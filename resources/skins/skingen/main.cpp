// rq-skingen: draws the sample skin "Verdigris" (aged copper: teal patina frame, copper rims,
// warm stone controls) as a skin source folder for kvtool, and a preview picture.
//
//   rq-skingen OUTDIR     writes OUTDIR/Verdigris/ (one BMP per bitmap key and values.txt)
//                         and OUTDIR/Verdigris-preview.png
// Then: kvtool pack OUTDIR/Verdigris OUTDIR/Verdigris.kvt  (resources/skins/make_sample.sh).
#include "SkinArt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QMap>
#include <QTextStream>
#include <cstdio>

using namespace skinart;

namespace {

// Palette.
const QColor Outline(0x16, 0x33, 0x2F);
const QColor TealDeep(0x1D, 0x45, 0x40);
const QColor Teal(0x2C, 0x5F, 0x58);
const QColor TealMid(0x3A, 0x78, 0x6F);
const QColor TealLight(0x5F, 0xA3, 0x9A);
const QColor TealPale(0xCF, 0xE3, 0xDF);
const QColor Copper(0xB8, 0x73, 0x3A);
const QColor CopperLight(0xDE, 0xA2, 0x68);
const QColor Rust(0xC0, 0x56, 0x3A);
const QColor Stone(0xE9, 0xE6, 0xDF);       // form colour
const QColor StoneLight(0xF7, 0xF5, 0xF0);  // control colour
const QColor Ink(0x1D, 0x2B, 0x2A);
const QColor Cream(0xF4, 0xEF, 0xE6);
const QColor ControlBorder(0x5E, 0x7F, 0x7A);
const QColor ScrollTrack(0xE2, 0xDE, 0xD6);
const QColor Disabled(0xA8, 0xB0, 0xAE);

const int TitleH = 26;

// ---------------------------------------------------------------------------------------------
// Frame: title bar and borders, drawn whole and cut into the skin's pieces.

// The whole title bar: a lighter caption tab on the left that slopes down into the darker bar.
// tabEnd: where the tab's flat top ends; slopeW: width of the slope; rounded top corners.
QImage TitleBar(int w, int tabEnd, int slopeW)
{
    return Piece(w, TitleH, QColor(), [&](QPainter& p) {
        QPainterPath bar;
        bar.moveTo(0, TitleH);
        bar.lineTo(0, 7);
        bar.quadTo(0, 0, 7, 0);
        bar.lineTo(w - 7, 0);
        bar.quadTo(w, 0, w, 7);
        bar.lineTo(w, TitleH);
        bar.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(Outline);
        p.drawPath(bar);
        p.setClipPath(bar);
        // The darker bar, then the caption tab over it.
        const QRectF inner(1, 1, w - 2, TitleH - 1);
        p.fillRect(inner, Vertical(1, TitleH, {{0, QColor(0x33, 0x6C, 0x64)}, {0.5, Teal}, {1, TealDeep}}));
        QPainterPath tab;
        tab.moveTo(0, 0);
        tab.lineTo(tabEnd, 0);
        tab.cubicTo(tabEnd + slopeW * 0.55, 0, tabEnd + slopeW * 0.45, TitleH, tabEnd + slopeW, TitleH);
        tab.lineTo(0, TitleH);
        tab.closeSubpath();
        p.save();
        p.setClipRect(inner, Qt::IntersectClip);
        p.fillPath(tab, Vertical(1, TitleH, {{0, QColor(0x4C, 0x92, 0x88)}, {0.45, TealMid}, {1, QColor(0x2E, 0x66, 0x5E)}}));
        // A copper seam along the slope.
        QPainterPath seam;
        seam.moveTo(tabEnd, 0);
        seam.cubicTo(tabEnd + slopeW * 0.55, 0, tabEnd + slopeW * 0.45, TitleH, tabEnd + slopeW, TitleH);
        p.setPen(QPen(CopperLight, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(seam);
        p.restore();
        // Sheen on the top rows, and the copper rim along the bottom.
        p.fillRect(QRectF(1, 1, w - 2, 1), QColor(255, 255, 255, 70));
        p.fillRect(QRectF(1, 2, w - 2, 1), QColor(255, 255, 255, 25));
        p.fillRect(QRectF(0, TitleH - 1, w, 1), Copper);
    });
}

// Side and bottom frame: concentric layers outline, teal-mid, teal, copper rim; rounded bottom.
QImage FrameBottomAndSides(int w, int h)
{
    return Piece(w, h, QColor(), [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        auto layer = [&](double l, double t, double r, double b, double radius, const QColor& c) {
            QPainterPath path;
            const QRectF rc(l, -20 + t, w - l - r, h + 20 - t - b);
            path.addRoundedRect(rc, radius, radius);
            p.fillPath(path, c);
        };
        layer(0, 0, 0, 0, 6, Outline);
        layer(1, 1, 1, 1, 5, TealMid);
        layer(2, 2, 2, 2, 4, Teal);
        layer(3, 3, 3, 4, 3, Copper);
        layer(4, 4, 4, 5, 2, Stone);
    });
}

// ---------------------------------------------------------------------------------------------
// Title buttons: 18 frames (control box, help, maximise, restore, minimise, close; each normal,
// mouse over, pressed).

enum TGlyph { gControl, gHelp, gMax, gRestore, gMin, gClose };

QImage TitleButton(TGlyph glyph, int state)
{
    const QColor matte(0x26, 0x55, 0x50);
    return Piece(20, 18, matte, [&](QPainter& p) {
        const QRectF box(1.5, 1.5, 17, 15);
        const bool close = glyph == gClose;
        if (state == 1) {
            p.setPen(QPen(close ? QColor(0xE8, 0x8E, 0x6E) : QColor(0x8C, 0xCB, 0xC1), 1));
            p.setBrush(Vertical(1, 17, {{0, close ? QColor(0xD2, 0x6A, 0x4C) : QColor(0x5C, 0xA2, 0x98)},
                                        {1, close ? Rust : QColor(0x3C, 0x80, 0x77)}}));
            p.drawRoundedRect(box, 4, 4);
        } else if (state == 2) {
            p.setPen(QPen(close ? QColor(0x6E, 0x2A, 0x1A) : QColor(0x10, 0x2A, 0x27), 1));
            p.setBrush(Vertical(1, 17, {{0, close ? QColor(0x8A, 0x36, 0x22) : QColor(0x17, 0x38, 0x34)},
                                        {1, close ? QColor(0xA4, 0x46, 0x2E) : QColor(0x22, 0x4B, 0x46)}}));
            p.drawRoundedRect(box, 4, 4);
        }
        const double o = state == 2 ? 0.8 : 0.0;
        p.translate(o, o);
        QPen pen(Cream, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        switch (glyph) {
        case gControl: {
            // A copper leaf.
            QPainterPath leaf;
            leaf.moveTo(5, 13);
            leaf.cubicTo(5, 6, 9, 3.5, 15, 4);
            leaf.cubicTo(15, 10, 12, 13.5, 5, 13);
            p.setPen(QPen(Cream, 1.0));
            p.setBrush(Vertical(3, 14, {{0, CopperLight}, {1, Copper}}));
            p.drawPath(leaf);
            p.setPen(QPen(Cream, 0.9, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(6, 12), QPointF(12.5, 6.5));
            break;
        }
        case gHelp: {
            QPainterPath q;
            q.moveTo(7, 6.8);
            q.cubicTo(7, 3.8, 13, 3.8, 13, 6.8);
            q.cubicTo(13, 8.8, 10, 8.8, 10, 11);
            p.drawPath(q);
            p.setBrush(Cream);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(10, 13.6), 1.1, 1.1);
            break;
        }
        case gMax:
            p.drawRect(QRectF(5.5, 4.5, 9, 8));
            p.fillRect(QRectF(5.5, 4.5, 9, 2), Cream);
            break;
        case gRestore:
            p.setPen(QPen(Cream, 1.3));
            p.drawRect(QRectF(8, 3.8, 7, 6));
            p.fillRect(QRectF(5, 7.2, 7.5, 6.5), state == 0 ? matte : state == 1 ? QColor(0x4C, 0x92, 0x88) : QColor(0x1C, 0x42, 0x3E));
            p.drawRect(QRectF(5, 7.2, 7, 6));
            p.fillRect(QRectF(5, 7.2, 7, 1.6), Cream);
            break;
        case gMin:
            p.drawLine(QPointF(6, 12.5), QPointF(14, 12.5));
            break;
        case gClose:
            p.setPen(QPen(Cream, 1.8, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(6.2, 5.2), QPointF(13.8, 12.8));
            p.drawLine(QPointF(13.8, 5.2), QPointF(6.2, 12.8));
            break;
        }
    });
}

// ---------------------------------------------------------------------------------------------
// Controls.

// Push button: normal, mouse over, pressed.
QImage Button(int state)
{
    return Piece(75, 23, Stone, [&](QPainter& p) {
        const QRectF r(0.5, 0.5, 74, 22);
        QLinearGradient fill = state == 0   ? Vertical(0, 23, {{0, QColor(0xFD, 0xFC, 0xFA)}, {0.5, QColor(0xF1, 0xEE, 0xE8)}, {1, QColor(0xDD, 0xD8, 0xCE)}})
                               : state == 1 ? Vertical(0, 23, {{0, QColor(0xFF, 0xFF, 0xFF)}, {0.5, QColor(0xF3, 0xF7, 0xF5)}, {1, QColor(0xDF, 0xEB, 0xE8)}})
                                            : Vertical(0, 23, {{0, QColor(0xCF, 0xCA, 0xBF)}, {0.4, QColor(0xDB, 0xD7, 0xCE)}, {1, QColor(0xE8, 0xE5, 0xDE)}});
        p.setPen(QPen(state == 0 ? QColor(0x7C, 0x9B, 0x96) : state == 1 ? Copper : Teal, 1));
        p.setBrush(fill);
        p.drawRoundedRect(r, 4, 4);
        if (state == 1) {
            p.setPen(QPen(QColor(0xEE, 0xC9, 0xA2), 1));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 3, 3);
        } else if (state == 0) {
            p.setPen(QPen(QColor(255, 255, 255, 200), 1));
            p.drawLine(QPointF(4, 1.5), QPointF(71, 1.5));
        } else {
            p.setPen(QPen(QColor(0, 0, 0, 40), 1));
            p.drawLine(QPointF(4, 1.5), QPointF(71, 1.5));
        }
    });
}

// Check box frames: checked, grey (indeterminate), unchecked; then the same disabled.
QImage CheckBox(int frame)
{
    const bool disabled = frame >= 3;
    const int kind = frame % 3;  // 0 checked, 1 grey, 2 unchecked
    return Piece(13, 13, Stone, [&](QPainter& p) {
        p.setPen(QPen(disabled ? QColor(0xB8, 0xBE, 0xBA) : ControlBorder, 1));
        p.setBrush(disabled ? QBrush(QColor(0xF1, 0xEF, 0xEA))
                            : QBrush(Vertical(0, 13, {{0, QColor(0xE8, 0xE4, 0xDC)}, {0.35, Qt::white}, {1, QColor(0xF6, 0xF4, 0xEF)}})));
        p.drawRoundedRect(QRectF(0.5, 0.5, 12, 12), 2, 2);
        const QColor mark = disabled ? Disabled : Teal;
        if (kind == 0) {
            QPainterPath tick;
            tick.moveTo(3, 6.6);
            tick.lineTo(5.4, 9.2);
            tick.lineTo(10, 3.6);
            p.setPen(QPen(mark, 1.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(tick);
        } else if (kind == 1) {
            p.setPen(Qt::NoPen);
            p.setBrush(disabled ? Disabled : TealMid);
            p.drawRoundedRect(QRectF(3.5, 3.5, 6, 6), 1, 1);
        }
    }, true);
}

// Radio button frames: checked, unchecked, checked disabled, unchecked disabled.
QImage RadioButton(int frame)
{
    const bool checked = frame % 2 == 0, disabled = frame >= 2;
    return Piece(13, 13, Stone, [&](QPainter& p) {
        p.setPen(QPen(disabled ? QColor(0xB8, 0xBE, 0xBA) : ControlBorder, 1));
        p.setBrush(disabled ? QBrush(QColor(0xF1, 0xEF, 0xEA))
                            : QBrush(Vertical(0, 13, {{0, QColor(0xE8, 0xE4, 0xDC)}, {0.35, Qt::white}, {1, QColor(0xF6, 0xF4, 0xEF)}})));
        p.drawEllipse(QRectF(0.5, 0.5, 12, 12));
        if (checked) {
            p.setPen(Qt::NoPen);
            p.setBrush(disabled ? QBrush(Disabled) : QBrush(Vertical(4, 9, {{0, TealLight}, {1, Teal}})));
            p.drawEllipse(QPointF(6.5, 6.5), 2.8, 2.8);
        }
    });
}

// Progress bar: start cap, filled part, empty part, end cap (14 high; top and bottom two rows
// are kept when stretched).
QImage ProgressCap(bool start)
{
    return Piece(4, 14, StoneLight, [&](QPainter& p) {
        p.setPen(QPen(ControlBorder, 1));
        p.setBrush(QColor(0xE4, 0xE0, 0xD7));
        const QRectF r = start ? QRectF(0.5, 0.5, 10, 13) : QRectF(-7.5, 0.5, 11, 13);
        p.drawRoundedRect(r, 3.5, 3.5);
    }, true);
}

QImage ProgressPart(bool filled)
{
    return Piece(8, 14, StoneLight, [&](QPainter& p) {
        if (filled)
            p.fillRect(QRectF(0, 1, 8, 12), Vertical(1, 13, {{0, QColor(0x8F, 0xD0, 0xC6)}, {0.12, QColor(0x6C, 0xBA, 0xAF)},
                                                            {0.5, QColor(0x3F, 0x93, 0x88)}, {0.52, QColor(0x33, 0x82, 0x77)},
                                                            {1, QColor(0x28, 0x6C, 0x63)}}));
        else
            p.fillRect(QRectF(0, 1, 8, 12), Vertical(1, 13, {{0, QColor(0xCC, 0xC7, 0xBD)}, {0.2, QColor(0xE6, 0xE2, 0xDA)}, {1, QColor(0xF4, 0xF2, 0xED)}}));
        p.fillRect(QRectF(0, 0, 8, 1), ControlBorder);
        p.fillRect(QRectF(0, 13, 8, 1), ControlBorder);
    }, true);
}

// Track bar groove: a three-frame strip (left end, middle, right end).
QImage TrackGroove()
{
    return Piece(45, 6, Stone, [&](QPainter& p) {
        p.setPen(QPen(QColor(0x8F, 0xA6, 0xA2), 1));
        p.setBrush(Vertical(0, 6, {{0, QColor(0xC6, 0xC1, 0xB6)}, {1, QColor(0xF3, 0xF1, 0xEC)}}));
        p.drawRoundedRect(QRectF(0.5, 0.5, 44, 5), 2.5, 2.5);
    });
}

// Track bar slider pointing down (horizontal bar) or right (vertical bar).
QImage TrackSlider(bool vertical)
{
    const int w = vertical ? 20 : 12, h = vertical ? 12 : 20;
    return Piece(w, h, Stone, [&](QPainter& p) {
        if (vertical) {  // the same pointer, turned to point right
            p.translate(0, 12);
            p.rotate(-90);
        }
        QPainterPath s;
        s.moveTo(0.5, 3);
        s.quadTo(0.5, 0.5, 3, 0.5);
        s.lineTo(9, 0.5);
        s.quadTo(11.5, 0.5, 11.5, 3);
        s.lineTo(11.5, 13.5);
        s.lineTo(6, 19.5);
        s.lineTo(0.5, 13.5);
        s.closeSubpath();
        p.setPen(QPen(TealDeep, 1));
        p.setBrush(Horizontal(0, 12, {{0, TealLight}, {0.5, TealMid}, {1, Teal}}));
        p.drawPath(s);
        p.setPen(QPen(CopperLight, 1));
        for (double y : {5.5, 8.5})
            p.drawLine(QPointF(3.5, y), QPointF(8.5, y));
    });
}

// Scroll bar line buttons, drawn for a vertical bar: normal, mouse over, pressed.
QImage ScrollButton(bool up, int state, int size = 17)
{
    return Piece(size, size, ScrollTrack, [&](QPainter& p) {
        const QRectF r(0.5, 0.5, size - 1, size - 1);
        p.setPen(QPen(state == 0 ? QColor(0x9D, 0xB3, 0xAF) : state == 1 ? Copper : Teal, 1));
        p.setBrush(state == 2 ? Vertical(0, size, {{0, QColor(0xD0, 0xCB, 0xC0)}, {1, QColor(0xE6, 0xE2, 0xDA)}})
                   : state == 1 ? Vertical(0, size, {{0, Qt::white}, {1, QColor(0xE2, 0xEE, 0xEB)}})
                                : Vertical(0, size, {{0, QColor(0xFB, 0xFA, 0xF7)}, {1, QColor(0xE1, 0xDD, 0xD4)}}));
        p.drawRoundedRect(r, 3, 3);
        const double o = state == 2 ? 0.7 : 0.0;
        const double cx = size / 2.0 + o, cy = size / 2.0 + o;
        QPolygonF tri;
        if (up)
            tri << QPointF(cx - 4, cy + 2) << QPointF(cx + 4, cy + 2) << QPointF(cx, cy - 2.5);
        else
            tri << QPointF(cx - 4, cy - 2) << QPointF(cx + 4, cy - 2) << QPointF(cx, cy + 2.5);
        p.setPen(Qt::NoPen);
        p.setBrush(state == 1 ? TealMid : Teal);
        p.drawPolygon(tri);
    }, true);
}

// Scroll bar thumb drawn upright: top cap, grip, bottom cap (8 rows each); symmetric, so either
// rotation direction gives the same pieces.
QImage ScrollThumb()
{
    return Piece(17, 24, ScrollTrack, [&](QPainter& p) {
        p.setPen(QPen(QColor(0x24, 0x52, 0x4C), 1));
        p.setBrush(Horizontal(0, 17, {{0, Teal}, {0.5, TealLight}, {1, Teal}}));
        p.drawRoundedRect(QRectF(1.5, 0.5, 14, 23), 4, 4);
        for (double y : {9.5, 11.5, 13.5}) {
            p.setPen(QPen(QColor(0xC8, 0xEA, 0xE4), 1));
            p.drawLine(QPointF(5, y), QPointF(12, y));
            p.setPen(QPen(QColor(0x1F, 0x4A, 0x45), 1));
            p.drawLine(QPointF(5, y + 1), QPointF(12, y + 1));
        }
    }, true);
}

// Tabs: inactive, mouse over, active.
QImage Tab(int state)
{
    return Piece(60, 22, Stone, [&](QPainter& p) {
        QPainterPath t;
        const double top = state == 2 ? 0.5 : 2.5;
        t.moveTo(0.5, 22);
        t.lineTo(0.5, top + 4);
        t.quadTo(0.5, top, 4.5, top);
        t.lineTo(55.5, top);
        t.quadTo(59.5, top, 59.5, top + 4);
        t.lineTo(59.5, 22);
        p.setPen(QPen(QColor(0x8A, 0xA8, 0xA3), 1));
        p.setBrush(state == 2 ? Vertical(0, 22, {{0, Qt::white}, {1, QColor(0xF4, 0xF2, 0xED)}})
                   : state == 1 ? Vertical(0, 22, {{0, Qt::white}, {1, QColor(0xE3, 0xEE, 0xEB)}})
                                : Vertical(0, 22, {{0, QColor(0xF1, 0xEE, 0xE8)}, {1, QColor(0xDC, 0xD7, 0xCD)}}));
        p.drawPath(t);
        if (state == 2) {
            p.setPen(QPen(Copper, 2));
            p.drawLine(QPointF(3, 1.5), QPointF(57, 1.5));
        }
    });
}

QImage Fill(int w, int h, const QLinearGradient& g)
{
    return Piece(w, h, QColor(), [&](QPainter& p) { p.fillRect(QRectF(0, 0, w, h), g); });
}

// ---------------------------------------------------------------------------------------------

struct TSkin {
    QMap<QString, QImage> Bitmaps;
    QStringList Values;  // values.txt lines
};

QImage Copy(const QImage& img, int x, int y, int w, int h) { return img.copy(x, y, w, h); }

TSkin Draw()
{
    TSkin s;
    auto& b = s.Bitmaps;

    // Title: left end 30, caption tab 8 (stretched to the caption), slope 24, bar 8 (stretched),
    // right end 96 (behind the buttons).
    const QImage bar = TitleBar(166, 38, 22);
    b["SKIN2_TITLEBAR1"] = Copy(bar, 0, 0, 30, TitleH);
    b["SKIN2_TITLEBAR2"] = Copy(bar, 30, 0, 8, TitleH);
    b["SKIN2_TITLEBAR3"] = Copy(bar, 38, 0, 24, TitleH);
    b["SKIN2_TITLEBAR4"] = Copy(bar, 62, 0, 8, TitleH);
    b["SKIN2_TITLEBAR5"] = Copy(bar, 70, 0, 96, TitleH);
    b["SKIN2_MINIMIZEDTITLE"] = TitleBar(160, 100, 22);

    const QImage frame = FrameBottomAndSides(32, 24);
    b["SKIN2_FORMLEFTBORDER"] = Copy(frame, 0, 4, 4, 8);
    b["SKIN2_FORMRIGHTBORDER"] = Copy(frame, 28, 4, 4, 8);
    b["SKIN2_FORMBOTTOMBORDER1"] = Copy(frame, 0, 19, 12, 5);
    b["SKIN2_FORMBOTTOMBORDER2"] = Copy(frame, 12, 19, 8, 5);
    b["SKIN2_FORMBOTTOMBORDER3"] = Copy(frame, 20, 19, 12, 5);

    std::vector<QImage> tb;
    for (TGlyph g : {gControl, gHelp, gMax, gRestore, gMin, gClose})
        for (int st = 0; st < 3; ++st)
            tb.push_back(TitleButton(g, st));
    b["SKIN2_TITLEBUTTONS"] = Strip(tb);

    b["SKIN2_CHECKEDMENUICON"] = Piece(16, 16, QColor(0xFA, 0xF8, 0xF4), [](QPainter& p) {
        QPainterPath tick;
        tick.moveTo(4, 8.5);
        tick.lineTo(7, 11.5);
        tick.lineTo(12.5, 4.5);
        p.setPen(QPen(Teal, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    });
    b["SKIN2_MENUBAR"] = Fill(8, 22, Vertical(0, 22, {{0, QColor(0xF3, 0xF1, 0xEC)}, {1, QColor(0xDC, 0xD8, 0xCF)}}));
    b["SKIN2_TOOLBAR"] = Piece(8, 30, QColor(), [](QPainter& p) {
        p.fillRect(QRectF(0, 0, 8, 30), Vertical(0, 30, {{0, QColor(0xF1, 0xEE, 0xE8)}, {1, QColor(0xD6, 0xD1, 0xC6)}}));
        p.fillRect(QRectF(0, 29, 8, 1), QColor(0xB5, 0xAF, 0xA3));
        p.fillRect(QRectF(0, 0, 8, 1), Qt::white);
    });

    b["SKIN2_BUTTON"] = Strip({Button(0), Button(1), Button(2)});
    std::vector<QImage> cb;
    for (int i = 0; i < 6; ++i)
        cb.push_back(CheckBox(i));
    b["SKIN2_CHECKBOX"] = Strip(cb);
    b["SKIN2_CHECKBOXLIST"] = Strip(cb);
    b["SKIN2_RADIOBUTTON"] = Strip({RadioButton(0), RadioButton(1), RadioButton(2), RadioButton(3)});

    b["SKIN2_PROGRESSBAR1"] = ProgressCap(true);
    b["SKIN2_PROGRESSBAR2"] = ProgressPart(true);
    b["SKIN2_PROGRESSBAR3"] = ProgressPart(false);
    b["SKIN2_PROGRESSBAR4"] = ProgressCap(false);

    b["SKIN2_TRACKBAR"] = TrackGroove();
    b["SKIN2_TRACKBARSLIDER"] = TrackSlider(false);
    b["SKIN2_TRACKBARVSLIDER"] = TrackSlider(true);

    b["SKIN2_SCROLLBARUPBUTTON"] = Strip({ScrollButton(true, 0), ScrollButton(true, 1), ScrollButton(true, 2)});
    b["SKIN2_SCROLLBARDOWNBUTTON"] = Strip({ScrollButton(false, 0), ScrollButton(false, 1), ScrollButton(false, 2)});
    b["SKIN2_SCROLLBAR"] = ScrollThumb();
    b["SKIN2_SCROLLBUTTON"] = Strip({ScrollButton(false, 0, 12), ScrollButton(false, 1, 12), ScrollButton(false, 2, 12)});

    b["SKIN2_TABCONTROL"] = Strip({Tab(0), Tab(1), Tab(2)});
    b["SKIN2_TABCONTROLLINE"] = Piece(8, 3, QColor(), [](QPainter& p) {
        p.fillRect(QRectF(0, 0, 8, 1), QColor(0x8A, 0xA8, 0xA3));
        p.fillRect(QRectF(0, 1, 8, 2), QColor(0xF4, 0xF2, 0xED));
    });
    b["SKIN2_SIDECHANNELBAR"] = Fill(4, 24, Vertical(0, 24, {{0, TealMid}, {1, Teal}}));
    b["SKIN2_SIDECHANNELTITLE"] = Piece(1, 22, QColor(), [](QPainter& p) {
        p.fillRect(QRectF(0, 0, 1, 21), Vertical(0, 21, {{0, QColor(0xF6, 0xF4, 0xEF)}, {1, QColor(0xD5, 0xE5, 0xE1)}}));
        p.fillRect(QRectF(0, 21, 1, 1), Copper);
    });

    auto color = [&](const char* key, const QColor& c) { s.Values << QStringLiteral("%1 = %2").arg(QLatin1String(key), TColorText(c)); };
    auto integer = [&](const char* key, int v) { s.Values << QStringLiteral("%1 = %2").arg(QLatin1String(key)).arg(v); };
    auto flag = [&](const char* key, bool v) { s.Values << QStringLiteral("%1 = %2").arg(QLatin1String(key), v ? QStringLiteral("true") : QStringLiteral("false")); };

    s.Values << QStringLiteral("# Verdigris: aged copper. Teal patina frame, copper rims, warm stone controls.")
             << QStringLiteral("# Written by rq-skingen; pack with: kvtool pack Verdigris Verdigris.kvt") << QString()
             << QStringLiteral("# Colours ($00BBGGRR)");
    color("SKIN2_TRANSCOLOR", Magenta);
    color("SKIN2_TITLEFONTCOLOR", Cream);
    color("SKIN2_FORMCOLOR", Stone);
    color("SKIN2_MENUBARSTARTCOLOR", QColor(0xF3, 0xF1, 0xEC));
    color("SKIN2_MENUBARENDCOLOR", QColor(0xDC, 0xD8, 0xCF));
    color("SKIN2_TOPSELECTEDMENUCOLOR", TealPale);
    color("SKIN2_TOPSELECTEDMENUBORDERCOLOR", TealMid);
    color("SKIN2_TOPSELECTEDMENUFONTCOLOR", QColor(0x13, 0x30, 0x2D));
    color("SKIN2_TOPMENUFONTCOLOR", QColor(0x26, 0x30, 0x2F));
    color("SKIN2_LEFTBARSTARTCOLOR", TealMid);
    color("SKIN2_LEFTBARENDCOLOR", TealDeep);
    color("SKIN2_MENUITEMCOLOR", QColor(0xFA, 0xF8, 0xF4));
    color("SKIN2_MENUITEMFONTCOLOR", QColor(0x22, 0x22, 0x22));
    color("SKIN2_SELECTEDMENUCOLOR", QColor(0xD9, 0xEC, 0xE8));
    color("SKIN2_SELECTEDMENUBORDERCOLOR", Copper);
    color("SKIN2_SELECTEDMENUFONTCOLOR", QColor(0x13, 0x30, 0x2D));
    color("SKIN2_TOOLBARSTARTCOLOR", QColor(0xF1, 0xEE, 0xE8));
    color("SKIN2_TOOLBARENDCOLOR", QColor(0xD6, 0xD1, 0xC6));
    color("SKIN2_TOOLBARONCOLOR", QColor(0xD9, 0xEC, 0xE8));
    color("SKIN2_TOOLBARBORDERCOLOR", QColor(0x7A, 0x9E, 0x98));
    color("SKIN2_TOOLBARDOWNCOLOR", QColor(0xB9, 0xD6, 0xD0));
    color("SKIN2_CONTROLCOLOR", StoneLight);
    color("SKIN2_CONTROLBORDERCOLOR", ControlBorder);
    color("SKIN2_CONTROLFONTCOLOR", Ink);
    color("SKIN2_BUTTONFONTCOLOR", Ink);
    color("SKIN2_SCROLLBARCOLOR", ScrollTrack);
    color("SKIN2_TABCONTROLCOLOR", QColor(0xF4, 0xF2, 0xED));
    color("SKIN2_TABCONTROLBORDERCOLOR", QColor(0x8A, 0xA8, 0xA3));
    color("SKIN2_TABCONTROLACTIVEFONTCOLOR", QColor(0x13, 0x30, 0x2D));
    color("SKIN2_TABCONTROLINACTIVEFONTCOLOR", QColor(0x5B, 0x66, 0x64));
    color("SKIN2_SIDECHANNELCOLOR", QColor(0xED, 0xEA, 0xE3));
    color("SKIN2_SIDECHANNELBORDERCOLOR", QColor(0x8A, 0xA8, 0xA3));
    s.Values << QString() << QStringLiteral("# Title bar layout (pixels) and window shape rows");
    integer("SKIN2_TITLEBARICONPOSX", 8);
    integer("SKIN2_TITLEBARICONPOSY", 5);
    integer("SKIN2_TITLEBARCAPTIONTOP", 7);
    integer("SKIN2_TITLEBARBUTTONPOSX", 6);
    integer("SKIN2_TITLEBARBUTTONPOSY", 4);
    integer("SKIN2_TITLEBARREGIONMINY", 0);
    integer("SKIN2_TITLEBARREGIONMAXY", 6);
    integer("SKIN2_BOTTOMREGIONMINY", -1);
    integer("SKIN2_BOTTOMREGIONMAXY", -1);
    s.Values << QString() << QStringLiteral("# Flags");
    flag("SKIN2_TITLEFIVESECT", true);
    flag("SKIN2_BOTTOMBORDERTHREESECT", true);
    flag("SKIN2_TITLEBARNEEDREGION", true);
    flag("SKIN2_BOTTOMBORDERNEEDREGION", true);
    flag("SKIN2_TITLEBTNTRANS", true);
    flag("SKIN2_BUTTONTRANS", true);
    flag("SKIN2_CHECKBOXTRANS", false);
    flag("SKIN2_RADIOBUTTONTRANS", true);
    flag("SKIN2_TABCONTROLTRANS", true);
    s.Values << QString() << QStringLiteral("# About the skin") << QStringLiteral("SKINNAME = \"Verdigris\"")
             << QStringLiteral("SKINDESCRIPTION = \"Aged copper: teal patina frame, copper rims, warm stone controls\"");
    return s;
}

// ---------------------------------------------------------------------------------------------
// Preview: a window put together from the pieces roughly as the components do, then every
// bitmap magnified.

QImage Frame(const QImage& strip, int count, int index)
{
    const int w = strip.width() / count;
    return strip.copy(w * index, 0, w, strip.height());
}

// Draws a picture with its magenta pixels left out.
void DrawKeyed(QPainter& p, int x, int y, const QImage& img, int w = -1, int h = -1)
{
    QImage a = img.convertToFormat(QImage::Format_ARGB32);
    for (int yy = 0; yy < a.height(); ++yy) {
        QRgb* row = reinterpret_cast<QRgb*>(a.scanLine(yy));
        for (int xx = 0; xx < a.width(); ++xx)
            if ((row[xx] & 0xFFFFFF) == 0xFF00FF)
                row[xx] = 0;
    }
    p.drawImage(QRect(x, y, w < 0 ? img.width() : w, h < 0 ? img.height() : h), a);
}

// Three-slice horizontal drawing keeping the ends.
void ThreeSlice(QPainter& p, const QImage& img, int x, int y, int w, int end)
{
    DrawKeyed(p, x, y, img.copy(0, 0, end, img.height()));
    DrawKeyed(p, x + end, y, img.copy(end, 0, img.width() - 2 * end, img.height()), w - 2 * end, img.height());
    DrawKeyed(p, x + w - end, y, img.copy(img.width() - end, 0, end, img.height()));
}

QImage Preview(const TSkin& s)
{
    const auto& b = s.Bitmaps;
    const int W = 460, H = 300;
    QImage win(W, H, QImage::Format_ARGB32);
    win.fill(Qt::transparent);
    {
        QPainter p(&win);
        p.fillRect(QRect(4, TitleH, W - 8, H - TitleH - 5), Stone);
        // Title: left, caption tab stretched to the caption, slope, bar, right.
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(12);
        f.setBold(true);
        p.setFont(f);
        const QString caption = QStringLiteral("RQ_27M Configurator");
        const int capW = QFontMetrics(f).horizontalAdvance(caption) + 8 + 17 - 30;
        int x = 0;
        DrawKeyed(p, x, 0, b["SKIN2_TITLEBAR1"]);
        x += 30;
        DrawKeyed(p, x, 0, b["SKIN2_TITLEBAR2"], capW, TitleH);
        x += capW;
        DrawKeyed(p, x, 0, b["SKIN2_TITLEBAR3"]);
        x += 24;
        DrawKeyed(p, x, 0, b["SKIN2_TITLEBAR4"], W - 96 - x, TitleH);
        DrawKeyed(p, W - 96, 0, b["SKIN2_TITLEBAR5"]);
        // Icon (the control box leaf), caption, buttons.
        DrawKeyed(p, 8, 4, Frame(b["SKIN2_TITLEBUTTONS"], 18, 0));
        p.setPen(Cream);
        p.drawText(QPoint(30, 7 + 12), caption);
        int bx = W - 6;
        for (int frameIndex : {15, 13, 6}) {  // close (hover), min, max
            bx -= 20 + (frameIndex == 15 ? 0 : 1);
            DrawKeyed(p, bx, 4, Frame(b["SKIN2_TITLEBUTTONS"], 18, frameIndex == 15 ? 16 : frameIndex));
        }
        // Borders.
        DrawKeyed(p, 0, TitleH, b["SKIN2_FORMLEFTBORDER"], 4, H - TitleH - 5);
        DrawKeyed(p, W - 4, TitleH, b["SKIN2_FORMRIGHTBORDER"], 4, H - TitleH - 5);
        DrawKeyed(p, 0, H - 5, b["SKIN2_FORMBOTTOMBORDER1"]);
        DrawKeyed(p, 12, H - 5, b["SKIN2_FORMBOTTOMBORDER2"], W - 24, 5);
        DrawKeyed(p, W - 12, H - 5, b["SKIN2_FORMBOTTOMBORDER3"]);

        // Menu bar and toolbar.
        DrawKeyed(p, 4, TitleH, b["SKIN2_MENUBAR"], W - 8, 22);
        QFont mf(QStringLiteral("DejaVu Sans"));
        mf.setPixelSize(11);
        p.setFont(mf);
        p.setPen(QColor(0x26, 0x30, 0x2F));
        p.drawText(QPoint(14, TitleH + 15), QStringLiteral("File"));
        p.fillRect(QRect(46, TitleH + 3, 42, 17), TealPale);
        p.setPen(TealMid);
        p.drawRect(QRect(46, TitleH + 3, 41, 16));
        p.setPen(QColor(0x13, 0x30, 0x2D));
        p.drawText(QPoint(54, TitleH + 15), QStringLiteral("Port"));
        p.setPen(QColor(0x26, 0x30, 0x2F));
        p.drawText(QPoint(100, TitleH + 15), QStringLiteral("Help"));

        // Buttons: normal, mouse over, pressed.
        const QStringList labels = {QStringLiteral("Read All"), QStringLiteral("Write All"), QStringLiteral("Open")};
        for (int i = 0; i < 3; ++i) {
            const int bxx = 20 + i * 88, by = 66;
            ThreeSlice(p, Frame(b["SKIN2_BUTTON"], 3, i), bxx, by, 80, 6);
            p.setPen(Ink);
            p.drawText(QRect(bxx, by + (i == 2 ? 1 : 0), 80, 23), Qt::AlignCenter, labels[i]);
        }
        // Check boxes and radio buttons.
        const QStringList cbl = {QStringLiteral("HexSend"), QStringLiteral("Mixed"), QStringLiteral("Echo"),
                                 QStringLiteral("Locked"), QStringLiteral("Locked"), QStringLiteral("Locked")};
        for (int i = 0; i < 3; ++i) {
            p.drawImage(20, 104 + i * 20, Frame(b["SKIN2_CHECKBOX"], 6, i));
            p.setPen(Ink);
            p.drawText(QPoint(38, 115 + i * 20), cbl[i]);
            DrawKeyed(p, 120, 104 + i * 20, Frame(b["SKIN2_RADIOBUTTON"], 4, i == 0 ? 0 : i == 1 ? 1 : 3));
            p.setPen(i == 2 ? QColor(0x8A, 0x90, 0x8E) : Ink);
            p.drawText(QPoint(138, 115 + i * 20), i == 0 ? QStringLiteral("9600 bps") : i == 1 ? QStringLiteral("19200 bps") : QStringLiteral("disabled"));
        }
        // Progress bar at 62 %.
        {
            const int px = 20, py = 176, pw = 250;
            p.fillRect(QRect(px, py, pw, 14), StoneLight);
            p.drawImage(px, py, b["SKIN2_PROGRESSBAR1"]);
            const int inner = pw - 8, fw = inner * 62 / 100;
            p.drawImage(QRect(px + 4, py, fw, 14), b["SKIN2_PROGRESSBAR2"]);
            p.drawImage(QRect(px + 4 + fw, py, inner - fw, 14), b["SKIN2_PROGRESSBAR3"]);
            p.drawImage(px + pw - 4, py, b["SKIN2_PROGRESSBAR4"]);
            p.setPen(Ink);
            p.drawText(QRect(px, py, pw, 14), Qt::AlignCenter, QStringLiteral("62%"));
        }
        // Track bar.
        {
            const int tx = 20, ty = 206, tw = 250;
            ThreeSlice(p, b["SKIN2_TRACKBAR"], tx, ty + 7, tw, 15);
            DrawKeyed(p, tx + 150, ty, b["SKIN2_TRACKBARSLIDER"]);
            p.setPen(QColor(0x5E, 0x7F, 0x7A));
            for (int v = 0; v <= 10; ++v)
                p.drawLine(tx + 6 + (tw - 12) * v / 10, ty + 21, tx + 6 + (tw - 12) * v / 10, ty + 24);
        }
        // Tabs.
        {
            const int tx = 20, ty = 240;
            DrawKeyed(p, tx, ty, Frame(b["SKIN2_TABCONTROL"], 3, 2));
            DrawKeyed(p, tx + 62, ty, Frame(b["SKIN2_TABCONTROL"], 3, 0));
            DrawKeyed(p, tx + 124, ty, Frame(b["SKIN2_TABCONTROL"], 3, 1));
            p.drawImage(QRect(tx, ty + 22, 250, 3), b["SKIN2_TABCONTROLLINE"]);
            p.setPen(QColor(0x13, 0x30, 0x2D));
            p.drawText(QRect(tx, ty + 2, 60, 20), Qt::AlignCenter, QStringLiteral("Radio"));
            p.setPen(QColor(0x5B, 0x66, 0x64));
            p.drawText(QRect(tx + 62, ty + 2, 60, 20), Qt::AlignCenter, QStringLiteral("Serial"));
            p.drawText(QRect(tx + 124, ty + 2, 60, 20), Qt::AlignCenter, QStringLiteral("Terminal"));
        }
        // A panel with its caption bar, and a vertical scroll bar beside a list.
        {
            const int lx = 300, ly = 60, lw = 120, lh = 200;
            p.fillRect(QRect(lx, ly, lw, lh), Qt::white);
            p.drawImage(QRect(lx, ly, lw, 22), b["SKIN2_SIDECHANNELTITLE"]);
            p.setPen(Ink);
            p.drawText(QRect(lx + 6, ly, lw, 21), Qt::AlignVCenter, QStringLiteral("Received"));
            p.setPen(ControlBorder);
            p.drawRect(QRect(lx, ly, lw + 17, lh - 1));
            const int sx = lx + lw, sy = ly + 22;
            p.fillRect(QRect(sx, sy, 17, lh - 22), ScrollTrack);
            p.drawImage(sx, sy, Frame(b["SKIN2_SCROLLBARUPBUTTON"], 3, 0));
            p.drawImage(sx, ly + lh - 17, Frame(b["SKIN2_SCROLLBARDOWNBUTTON"], 3, 1));
            const QImage thumb = b["SKIN2_SCROLLBAR"];
            const int ty = sy + 30, th = 60;
            p.drawImage(sx, ty, thumb.copy(0, 0, 17, 8));
            p.drawImage(QRect(sx, ty + 8, 17, th - 16), thumb.copy(0, 8, 17, 1));
            p.drawImage(sx, ty + th / 2 - 4, thumb.copy(0, 8, 17, 8));
            p.drawImage(sx, ty + th - 8, thumb.copy(0, 16, 17, 8));
            p.setPen(QColor(0x33, 0x33, 0x33));
            for (int i = 0; i < 7; ++i)
                p.drawText(QPoint(lx + 6, ly + 40 + i * 18), QStringLiteral("AF 01 %1 0A").arg(i * 17, 2, 16, QLatin1Char('0')).toUpper());
        }
    }

    // The raw bitmaps below, magnified.
    const int scale = 3;
    int y = 12, x = 12, rowH = 0;
    QList<QPair<QString, QImage>> items;
    for (auto it = b.begin(); it != b.end(); ++it)
        items.append({it.key(), it.value()});
    const int sheetW = 1100;
    // Lay out first to know the height.
    int ly = 0, lx = 0, lrow = 0;
    for (const auto& [k, img] : items) {
        const int w = std::max(img.width() * scale, 150), h = img.height() * scale + 18;
        if (lx + w > sheetW - 24) {
            lx = 0;
            ly += lrow + 10;
            lrow = 0;
        }
        lx += w + 14;
        lrow = std::max(lrow, h);
    }
    const int sheetH = H + 40 + ly + lrow + 40;
    QImage sheet(sheetW, sheetH, QImage::Format_RGB32);
    sheet.fill(QColor(0x6E, 0x78, 0x80));
    QPainter p(&sheet);
    p.drawImage(24, 16, win);
    p.drawImage(24 + W + 40, 16, win.scaled(W / 2, H / 2, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    y = H + 40;
    QFont lf(QStringLiteral("DejaVu Sans"));
    lf.setPixelSize(11);
    p.setFont(lf);
    for (const auto& [k, img] : items) {
        const int w = std::max(img.width() * scale, 150), h = img.height() * scale + 18;
        if (x + w > sheetW - 24) {
            x = 12;
            y += rowH + 10;
            rowH = 0;
        }
        p.setPen(Qt::white);
        p.drawText(QPoint(x, y + 11), QStringLiteral("%1 %2x%3").arg(k.mid(6)).arg(img.width()).arg(img.height()));
        p.drawImage(QRect(x, y + 16, img.width() * scale, img.height() * scale), img);
        x += w + 14;
        rowH = std::max(rowH, h);
    }
    return sheet;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: rq-skingen OUTDIR\n");
        return 64;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString folder = out.filePath(QStringLiteral("Verdigris"));
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "rq-skingen: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    const TSkin skin = Draw();
    for (auto it = skin.Bitmaps.begin(); it != skin.Bitmaps.end(); ++it) {
        const QString path = QDir(folder).filePath(it.key() + QStringLiteral(".bmp"));
        if (!WriteBmp(path, it.value())) {
            std::fprintf(stderr, "rq-skingen: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    QFile values(QDir(folder).filePath(QStringLiteral("values.txt")));
    if (!values.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "rq-skingen: cannot write values.txt\n");
        return 1;
    }
    values.write((skin.Values.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    values.close();
    const QString preview = out.filePath(QStringLiteral("Verdigris-preview.png"));
    if (!Preview(skin).save(preview)) {
        std::fprintf(stderr, "rq-skingen: cannot write %s\n", qPrintable(preview));
        return 1;
    }
    std::printf("%s: %d bitmaps and values.txt; preview %s\n", qPrintable(folder), int(skin.Bitmaps.size()), qPrintable(preview));
    return 0;
}
