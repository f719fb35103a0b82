// TCanvas text: TextOut, TextRect, measuring, and DrawText with its layout flags.
#include "framework/Graphics.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <map>

namespace {

// True when a bold font resolves to a family without a bold face whose glyphs the toolkit
// cannot thicken (fonts drawn from embedded bitmaps, like the classic dialog fonts): the text is
// then struck twice, one pixel apart, as the desktop simulates bold for such fonts.
bool SimulatedBold(const QFont& f)
{
    if (!f.bold())
        return false;
    static std::map<QString, bool> known;
    const QString family = QFontInfo(f).family();
    auto it = known.find(family);
    if (it != known.end())
        return it->second;
    bool hasBold = false;
    for (const QString& style : QFontDatabase::styles(family))
        hasBold = hasBold || style.contains(QLatin1String("Bold"), Qt::CaseInsensitive) ||
                  QFontDatabase::weight(family, style) >= QFont::DemiBold;
    known[family] = !hasBold;
    return !hasBold;
}

// Draws a run of text with its baseline origin at `at`, bold simulated where needed.
void DrawRun(QPainter* p, QPoint at, const QString& text, const QFont& f)
{
    p->drawText(at, text);
    if (SimulatedBold(f))
        p->drawText(at + QPoint(1, 0), text);
}

// One line of DrawText output: the characters shown and the positions of underlined accelerators.
struct TextLine {
    QString text;
    std::vector<int> underlines;
};

// Removes accelerator marks: "&&" is "&", "&x" shows x underlined, a lone trailing "&" is dropped.
TextLine StripPrefixes(const QString& s, bool noPrefix)
{
    TextLine line;
    if (noPrefix) {
        line.text = s;
        return line;
    }
    line.text.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 >= s.size())
                break;
            ++i;
            if (s[i] != u'&')
                line.underlines.push_back(int(line.text.size()));
        }
        line.text += s[i];
    }
    return line;
}

TextLine SubLine(const TextLine& l, int from, int to)
{
    TextLine out;
    out.text = l.text.mid(from, to - from);
    for (int u : l.underlines)
        if (u >= from && u < to)
            out.underlines.push_back(u - from);
    return out;
}

class TextMeasure {
public:
    TextMeasure(const QFontMetrics& m, bool expandTabs) : fm(m), tabs(expandTabs), tabWidth(8 * std::max(1, fm.averageCharWidth())) {}

    // Width of s drawn from x = 0, tabs advancing to the next tab stop when expanded.
    int Width(const QString& s) const
    {
        if (!tabs || !s.contains(u'\t'))
            return fm.horizontalAdvance(s);
        int x = 0;
        const QStringList parts = s.split(u'\t');
        for (qsizetype i = 0; i < parts.size(); ++i) {
            x += fm.horizontalAdvance(parts[i]);
            if (i + 1 < parts.size())
                x = (x / tabWidth + 1) * tabWidth;
        }
        return x;
    }

    QFontMetrics fm;
    bool tabs;
    int tabWidth;
};

// Greedy word wrap: lines break at spaces; a word wider than the width stands alone on its line.
void WrapLine(const TextLine& line, int maxWidth, const TextMeasure& m, std::vector<TextLine>& out)
{
    const QString& t = line.text;
    const int n = int(t.size());
    int start = 0;
    while (start < n) {
        int lastFit = -1;  // end (exclusive) of the longest run of whole words that fits
        int i = start;
        while (i < n) {
            int wordEnd = i;
            while (wordEnd < n && t[wordEnd] == u' ')
                ++wordEnd;
            while (wordEnd < n && t[wordEnd] != u' ')
                ++wordEnd;
            if (m.Width(t.mid(start, wordEnd - start)) <= maxWidth || lastFit < 0) {
                lastFit = wordEnd;
                i = wordEnd;
                if (m.Width(t.mid(start, wordEnd - start)) > maxWidth)
                    break;  // a single over-wide word
            } else {
                break;
            }
        }
        int end = lastFit;
        int trimmed = end;
        while (trimmed > start && t[trimmed - 1] == u' ')
            --trimmed;
        out.push_back(SubLine(line, start, trimmed));
        start = end;
        while (start < n && t[start] == u' ')
            ++start;
    }
    if (n == 0)
        out.push_back(line);
}

TextLine Ellipsize(const TextLine& line, int maxWidth, const TextMeasure& m)
{
    if (m.Width(line.text) <= maxWidth)
        return line;
    int k = int(line.text.size());
    while (k > 0 && m.Width(line.text.left(k) + QStringLiteral("...")) > maxWidth)
        --k;
    TextLine out = SubLine(line, 0, k);
    out.text += QStringLiteral("...");
    return out;
}

int FloorHalf(int v)
{
    return v >= 0 ? v / 2 : -((-v + 1) / 2);
}

}  // namespace

const QFont& TCanvas::CurrentQFont()
{
    // Compared rather than tracked through OnChange, which the canvas's user may take over.
    if (!FQFontValid || !(FQFontSource == FFont)) {
        FQFont = FFont.ToQFont();
        FQMetrics = QFontMetrics(FQFont);
        FQFontSource.Assign(&FFont);
        FQFontValid = true;
    }
    return FQFont;
}

const QFontMetrics& TCanvas::CurrentMetrics()
{
    CurrentQFont();
    return FQMetrics;
}

int TCanvas::TextWidth(const String& text)
{
    return CurrentMetrics().horizontalAdvance(text);
}

int TCanvas::TextHeight(const String& text)
{
    return CurrentMetrics().height();
}

TSize TCanvas::TextExtent(const String& text)
{
    const QFontMetrics& fm = CurrentMetrics();
    return TSize{fm.horizontalAdvance(text), fm.height()};
}

void TCanvas::TextOut(int x, int y, const String& text)
{
    const QFont& f = CurrentQFont();
    const QFontMetrics& fm = CurrentMetrics();
    const int w = fm.horizontalAdvance(text);
    FPenPos = {x + w, y};
    QPainter* p = BeginDraw();
    if (!p)
        return;
    Changing();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (FBrush.Style() == bsSolid)
        p->fillRect(QRect(x, y, w, fm.height()), ToQColor(FBrush.Color()));
    p->setFont(f);
    p->setPen(ToQColor(FFont.Color()));
    DrawRun(p, QPoint(x, y + fm.ascent()), text, f);
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const String& text)
{
    QPainter* p = BeginDraw();
    if (!p)
        return;
    Changing();
    const QFont& f = CurrentQFont();
    const QFontMetrics& fm = CurrentMetrics();
    const QRect qr(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setClipRect(qr, Qt::IntersectClip);
    if (FBrush.Style() != bsClear)
        p->fillRect(qr, ToQColor(FBrush.Color()));
    p->setFont(f);
    p->setPen(ToQColor(FFont.Color()));
    DrawRun(p, QPoint(x, y + fm.ascent()), text, f);
    p->restore();
    Changed();
}

int TCanvas::DrawText(const String& text, TRect& rect, UINT flags)
{
    const QFont& f = CurrentQFont();
    const TextMeasure m(CurrentMetrics(), flags & DT_EXPANDTABS);
    const QFontMetrics& fm = m.fm;
    const bool single = flags & DT_SINGLELINE;
    const int maxWidth = rect.Right - rect.Left;

    // Logical lines, accelerators resolved.
    std::vector<TextLine> lines;
    if (!text.isEmpty()) {
        QStringList raw;
        if (single) {
            QString s = text;
            s.remove(u'\r');
            s.remove(u'\n');
            raw << s;
        } else {
            QString s = text;
            s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            s.replace(u'\r', u'\n');
            raw = s.split(u'\n');
            if (raw.size() > 1 && raw.back().isEmpty())
                raw.removeLast();
        }
        for (const QString& r : raw) {
            const TextLine l = StripPrefixes(r, flags & DT_NOPREFIX);
            if ((flags & DT_WORDBREAK) && !single)
                WrapLine(l, maxWidth, m, lines);
            else
                lines.push_back(l);
        }
    }
    if (flags & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
        for (TextLine& l : lines)
            l = Ellipsize(l, maxWidth, m);

    const int lineHeight = fm.height() + ((flags & DT_EXTERNALLEADING) ? std::max(0, fm.leading()) : 0);
    const int total = lineHeight * int(lines.size());

    if (flags & DT_CALCRECT) {
        int widest = 0;
        for (const TextLine& l : lines)
            widest = std::max(widest, m.Width(l.text));
        rect.Right = rect.Left + widest;
        rect.Bottom = rect.Top + total;
        return total;
    }
    if (lines.empty())
        return 0;

    int y = rect.Top;
    if (single) {
        if (flags & DT_VCENTER)
            y = FloorHalf(rect.Top + rect.Bottom - total);
        else if (flags & DT_BOTTOM)
            y = rect.Bottom - total;
    }
    const int result = (single && (flags & (DT_VCENTER | DT_BOTTOM))) ? (y - rect.Top) + total : total;

    QPainter* p = BeginDraw();
    if (!p)
        return result;
    Changing();
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (!(flags & DT_NOCLIP))
        p->setClipRect(QRect(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top), Qt::IntersectClip);
    p->setFont(f);
    const QColor ink = ToQColor(FFont.Color());
    p->setPen(ink);
    for (const TextLine& l : lines) {
        const int w = m.Width(l.text);
        int x = rect.Left;
        if (flags & DT_CENTER)
            x = FloorHalf(rect.Left + rect.Right - w);
        else if (flags & DT_RIGHT)
            x = rect.Right - w;
        if (FBrush.Style() == bsSolid)
            p->fillRect(QRect(x, y, w, lineHeight), ToQColor(FBrush.Color()));
        if (!(flags & DT_PREFIXONLY)) {
            if (m.tabs && l.text.contains(u'\t')) {
                const QStringList parts = l.text.split(u'\t');
                int cx = 0;
                for (qsizetype i = 0; i < parts.size(); ++i) {
                    DrawRun(p, QPoint(x + cx, y + fm.ascent()), parts[i], f);
                    cx += fm.horizontalAdvance(parts[i]);
                    if (i + 1 < parts.size())
                        cx = (cx / m.tabWidth + 1) * m.tabWidth;
                }
            } else {
                DrawRun(p, QPoint(x, y + fm.ascent()), l.text, f);
            }
        }
        if (!(flags & DT_HIDEPREFIX)) {
            const int thick = std::max(1, fm.lineWidth());
            const int uy = y + fm.ascent() + std::max(1, fm.underlinePos()) - thick / 2;
            for (int u : l.underlines) {
                const int ux = x + m.Width(l.text.left(u));
                const int uw = fm.horizontalAdvance(l.text.mid(u, 1));
                p->fillRect(QRect(ux, uy, uw, thick), ink);
            }
        }
        y += lineHeight;
    }
    p->restore();
    Changed();
    return result;
}
