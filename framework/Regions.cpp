#include "framework/Regions.h"

#include <QMutex>
#include <QRect>
#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

struct TRegionTable {
    QMutex Lock;
    std::unordered_map<uintptr_t, QRegion> Regions;
    uintptr_t Next = 1;
};

TRegionTable& Table()
{
    static TRegionTable table;
    return table;
}

uintptr_t Key(HRGN h) { return reinterpret_cast<uintptr_t>(h); }

HRGN Store(QRegion pixels)
{
    TRegionTable& t = Table();
    QMutexLocker g(&t.Lock);
    const uintptr_t id = t.Next++ * 4;
    t.Regions.emplace(id, std::move(pixels));
    return reinterpret_cast<HRGN>(id);
}

QRegion RectPixels(int l, int t, int r, int b)
{
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
    if (l == r || t == b)
        return QRegion();
    return QRegion(QRect(l, t, r - l, b - t));
}

// The desktop's round-rectangle coverage (see the header): rows of pixel runs whose insets from
// the sides follow a midpoint ellipse walked from the middle row outwards.
QRegion RoundRectPixels(int l, int t, int r, int b, int ew, int eh)
{
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
    // The region covers the rectangle without its right column and bottom row.
    --r;
    --b;
    ew = std::min(r - l, std::abs(ew));
    eh = std::min(b - t, std::abs(eh));
    if (ew < 2 || eh < 2)
        return RectPixels(l, t, r, b);

    // inset[y]: how far row y of the ellipse (0 .. eh - 1) starts inside each side; the walk fills
    // the lower half, the upper half mirrors it.
    std::vector<int> inset(size_t(eh), -1);
    const int64_t a = ew - 1, bb = eh - 1;
    const int64_t asq = 8 * a * a, bsq = 8 * bb * bb;
    int64_t dx = 4 * bb * bb * (1 - a);
    int64_t dy = 4 * a * a * (1 + (bb % 2));
    int64_t err = dx + dy + a * a * (bb % 2);
    int x = 0, y = eh / 2;
    inset[size_t(y)] = 0;
    while (x <= ew / 2) {
        const int64_t e2 = 2 * err;
        if (e2 >= dx) {
            ++x;
            err += dx += bsq;
        }
        if (e2 <= dy) {
            ++y;
            err += dy += asq;
            if (y < eh)
                inset[size_t(y)] = x;
        }
    }
    // A tall, narrow ellipse: rows the walk did not reach keep the inset of the row before, and no
    // row loses more than the ellipse's half width (its tip stays one or two pixels wide).
    for (int i = eh / 2 + 1; i < eh; ++i) {
        if (inset[size_t(i)] < 0)
            inset[size_t(i)] = inset[size_t(i - 1)];
        inset[size_t(i)] = std::min(inset[size_t(i)], (ew - 1) / 2);
    }

    QRegion out;
    auto run = [&](int top, int bottom, int in) {
        if (bottom > top && r - in > l + in)
            out += QRect(l + in, top, r - l - 2 * in, bottom - top);
    };
    for (int i = 0; i < eh / 2; ++i)
        run(t + i, t + i + 1, inset[size_t(bb - i)]);
    run(t + eh / 2, b - eh + eh / 2 + 1, 0);
    for (int i = eh / 2 + 1; i < eh; ++i)
        run(b - eh + i, b - eh + i + 1, inset[size_t(i)]);
    return out;
}

int Kind(const QRegion& r)
{
    if (r.isEmpty())
        return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

HRGN CreateRectRgn(int Left, int Top, int Right, int Bottom) { return Store(RectPixels(Left, Top, Right, Bottom)); }

HRGN CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int EllipseWidth, int EllipseHeight)
{
    return Store(RoundRectPixels(Left, Top, Right, Bottom, EllipseWidth, EllipseHeight));
}

int CombineRgn(HRGN Dest, HRGN Src1, HRGN Src2, int Mode)
{
    TRegionTable& t = Table();
    QMutexLocker g(&t.Lock);
    auto dest = t.Regions.find(Key(Dest));
    auto s1 = t.Regions.find(Key(Src1));
    if (dest == t.Regions.end() || s1 == t.Regions.end())
        return RGN_ERROR;
    if (Mode == RGN_COPY) {
        dest->second = s1->second;
        return Kind(dest->second);
    }
    auto s2 = t.Regions.find(Key(Src2));
    if (s2 == t.Regions.end())
        return RGN_ERROR;
    QRegion result;
    switch (Mode) {
    case RGN_AND: result = s1->second.intersected(s2->second); break;
    case RGN_OR: result = s1->second.united(s2->second); break;
    case RGN_XOR: result = s1->second.xored(s2->second); break;
    case RGN_DIFF: result = s1->second.subtracted(s2->second); break;
    default: return RGN_ERROR;
    }
    dest->second = std::move(result);
    return Kind(dest->second);
}

BOOL DeleteObject(HRGN Object)
{
    TRegionTable& t = Table();
    QMutexLocker g(&t.Lock);
    return t.Regions.erase(Key(Object)) ? TRUE : FALSE;
}

bool RegionPixels(HRGN Region, QRegion& Pixels)
{
    TRegionTable& t = Table();
    QMutexLocker g(&t.Lock);
    auto it = t.Regions.find(Key(Region));
    if (it == t.Regions.end())
        return false;
    Pixels = it->second;
    return true;
}

bool TakeRegion(HRGN Region, QRegion& Pixels)
{
    TRegionTable& t = Table();
    QMutexLocker g(&t.Lock);
    auto it = t.Regions.find(Key(Region));
    if (it == t.Regions.end())
        return false;
    Pixels = std::move(it->second);
    t.Regions.erase(it);
    return true;
}
