#include "resources/artgen/ContactSheet.h"

#include "resources/artgen/ArtKit.h"
#include "resources/artgen/MainWindowPictures.h"

#include <QDir>
#include <QFont>
#include <QMap>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace artgen {

namespace {

// What the previews need to know about a style (its theme-table values).
struct StyleInfo {
    QString title;
    QString prefix;
    QColor form;      // form background colour
    QString formTile; // tiled form background picture, if any
    QColor border;
    int borderWidth;
    int roundCorner;
    int leftOffset, rightOffset, buttonTop;
    bool buttonTransparent, titleButtonTransparent;
    QColor caption;
    QColor scrollBackground;
    QColor controlBorder;
    QString combo; // combo-box button picture, if the style has one
};

const std::vector<StyleInfo>& styles()
{
    static const std::vector<StyleInfo> list = {
        {"MacOS", "MACOS_", tcolor(0xE7E7E7), "MACOS_FORM_BACKGROUND", tcolor(0x7F7F7F), 1, 0, 3, -2, 4, true, false,
         Qt::black, tcolor(0xC9C9C9), tcolor(0x7F7F7F), "MACOS_COMBOBOX_BUTTON"},
        {"WinXP", "WINXP_", tcolor(0xDEEBEF), "", tcolor(0xC82C00), 3, 13, 2, -2, 5, false, false, Qt::white,
         tcolor(0xF9F9F9), tcolor(0x686868), "WINXP_COMBOBOX_BUTTON"},
        {"DeepBlue", "DEEPBLUE_", tcolor(0xE8E8E8), "", Qt::black, 1, 0, 0, 0, 2, false, false, Qt::white,
         tcolor(0xF5F5F5), Qt::black, ""},
        {"Protein", "PROTEIN_", tcolor(0xFBFBFB), "PROTEIN_FORM_BACKGROUND", Qt::black, 1, 0, 0, 0, 2, false, true,
         Qt::white, tcolor(0xF5F5F5), Qt::black, ""},
        {"BlueGlass", "BLUEGLASS_", tcolor(0xE7E7E7), "", Qt::black, 1, 11, 4, -3, 6, true, true, Qt::white,
         tcolor(0xF4F4F4), Qt::black, ""},
    };
    return list;
}

const QColor kSheet = rgb(0x9A9A9A);

// Fuchsia becomes transparent: how a picture drawn with its transparent colour left out looks.
QImage keyed(const QImage& img)
{
    QImage out = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == 0xFF00FF)
                line[x] = 0;
    }
    return out;
}

// One frame of a strip, the last one taken flush with the right edge.
QImage frameOf(const QImage& strip, int count, int index)
{
    const int fw = strip.width() / count;
    const int x = index == count ? strip.width() - fw : fw * (index - 1);
    return strip.copy(x, 0, fw, strip.height());
}

QImage rotateQuarter(const QImage& img, bool clockwise)
{
    QTransform t;
    t.rotate(clockwise ? 90 : -90);
    return img.transformed(t);
}

// Nine-slice drawing of a skin bitmap onto a W x H area, with the source and target rectangles
// the skinned controls use: corners at their own size, edges and centre stretched, fuchsia left
// out of edges and centre always and of the corners when transparent.
QImage spitDraw(const QImage& bmp, int W, int H, bool transparent)
{
    QImage out(W, H, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    const QImage masked = keyed(bmp);
    const QImage& cornerSrc = transparent ? masked : bmp;
    QPainter p(&out);
    const int bw = bmp.width(), bh = bmp.height(), hw = bw / 2, hh = bh / 2;
    struct Box {
        int l, t, r, b;
    };
    auto corner = [&](Box src, Box box, bool right, bool bottom) -> Box {
        const int w = std::max(0, std::min(src.r - src.l, box.r - box.l));
        const int h = std::max(0, std::min(src.b - src.t, box.b - box.t));
        if (w == 0 || h == 0)
            return {box.l, box.t, box.l, box.t};
        const int sx = right ? src.r - w : src.l;
        const int sy = bottom ? src.b - h : src.t;
        const int x = right ? W - w : 0;
        const int y = bottom ? H - h : 0;
        p.drawImage(QPoint(x, y), cornerSrc, QRect(sx, sy, w, h));
        return {x, y, x + w, y + h};
    };
    auto edge = [&](Box src, Box dst) {
        if (dst.r - dst.l <= 0 || dst.b - dst.t <= 0 || src.r - src.l <= 0 || src.b - src.t <= 0)
            return;
        p.drawImage(QRect(dst.l, dst.t, dst.r - dst.l, dst.b - dst.t), masked,
                    QRect(src.l, src.t, src.r - src.l, src.b - src.t));
    };
    const Box p1 = corner({0, 0, hw, hh}, {0, 0, W / 2, H / 2}, false, false);
    const Box p2 = corner({0, bh - hh + 1, hw, bh}, {0, H - H / 2 + 1, W / 2, H}, false, true);
    edge({0, hh, hw, bh - hh}, {0, p1.b, p1.r, p2.t});
    const Box p4 = corner({bw - hw + 1, 0, bw, hh}, {W - W / 2 + 1, 0, W, H / 2}, true, false);
    const Box p5 = corner({bw - hw + 1, bh - hh + 1, bw, bh}, {W - W / 2 + 1, H - H / 2 + 1, W, H}, true, true);
    edge({bw - hw + 1, bh - hh, bw, hh + 2}, {p4.l, p4.b, p4.r, p5.t});
    edge({hw, 0, bw - hw + 1, hh}, {p1.r, 0, p4.l, p1.b});
    edge({hw, hh, bw - hw + 1, bh - hh}, {p1.r, p1.b, p4.l, p5.t - 1});
    edge({hw, bh - hh, bw - hw + 1, bh}, {p1.r - 1, p2.t - 1, p5.l, p5.b});
    return out;
}

// Three-slice drawing: left cap, stretched middle, right cap, fuchsia left out.
QImage threeSlice(const QImage& bmp, int W)
{
    const QImage m = keyed(bmp);
    const int fw = bmp.width() / 3;
    QImage out(W, bmp.height(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.drawImage(QPoint(0, 0), m, QRect(0, 0, fw, bmp.height()));
    p.drawImage(QPoint(W - fw, 0), m, QRect(bmp.width() - fw, 0, fw, bmp.height()));
    p.drawImage(QRect(fw, 0, W - 2 * fw, bmp.height()), m, QRect(fw, 0, fw, bmp.height()));
    return out;
}

QFont labelFont(int px, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

class Sheet
{
public:
    Sheet(const QMap<QString, QImage>& images, const StyleInfo* style) : m_images(images), m_style(style) {}

    QImage img(const QString& suffix) const
    {
        return m_images.value(m_style ? m_style->prefix + suffix : suffix);
    }
    QImage byName(const QString& name) const { return m_images.value(name); }

    // The mock window: every kind of control as it is drawn from the style's pictures.
    QImage mockWindow() const;

private:
    void drawTitle(QPainter& p, int W) const;
    void drawScrollBar(QPainter& p, QPoint at, int length, bool vertical, int position) const;

    const QMap<QString, QImage>& m_images;
    const StyleInfo* m_style;
};

void Sheet::drawTitle(QPainter& p, int W) const
{
    const StyleInfo& s = *m_style;
    const QImage left = img("TITLE_LEFT"), client = img("TITLE_CLIENT"), right = img("TITLE_RIGHT");
    p.drawImage(QRect(left.width(), 0, std::max(0, W - left.width() - right.width()), client.height()), client);
    p.drawImage(0, 0, left);
    p.drawImage(W - right.width(), 0, right);
    // Buttons from the right: close, maximize, minimize, as the title bar places them.
    const QImage strip = img("TITLEBTN");
    const int bw = strip.width() / 18;
    int x = W - 4 - s.rightOffset;
    const int base[3] = {18, 9, 15};
    const int state[3] = {1, 0, 2}; // show close hovered and minimize pressed
    for (int i = 0; i < 3; ++i) {
        x -= i == 0 ? bw : bw + 1;
        const QImage f = frameOf(strip, 18, base[i] - 2 + state[i]);
        p.drawImage(x, s.buttonTop, s.titleButtonTransparent ? keyed(f) : f);
    }
    // Window icon and caption.
    const int ix = std::max(0, s.leftOffset - 4 + 3) + 5;
    const int iy = s.buttonTop + 1;
    p.fillRect(QRect(ix, iy, 14, 14), rgb(0x2F6F3F));
    p.fillRect(QRect(ix + 2, iy + 2, 10, 6), rgb(0x9FD8A8));
    p.setPen(s.caption);
    p.setFont(labelFont(11, true));
    p.drawText(QRect(ix + 19, s.buttonTop + (s.title == QLatin1String("Protein") ? 3 : 0), 200, 16),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("RQ_27M"));
}

void Sheet::drawScrollBar(QPainter& p, QPoint at, int length, bool vertical, int position) const
{
    const StyleInfo& s = *m_style;
    const QImage buttons = img("SCROLLBAR_BUTTON");
    const QImage track = img("SCROLLBAR_TRACK");
    QImage dec = frameOf(buttons, 6, 1), inc = frameOf(buttons, 6, 4);
    QImage start = frameOf(track, 3, 1), mid = frameOf(track, 3, 2), end = frameOf(track, 3, 3);
    if (!vertical) {
        dec = rotateQuarter(dec, false);
        inc = rotateQuarter(inc, false);
    } else {
        start = rotateQuarter(start, true);
        mid = rotateQuarter(mid, true);
        end = rotateQuarter(end, true);
    }
    const int thick = vertical ? dec.width() : dec.height();
    const QRect bar = vertical ? QRect(at, QSize(thick, length)) : QRect(at, QSize(length, thick));
    p.fillRect(bar, s.scrollBackground);
    p.drawImage(at, dec);
    const int trackLen = length - (vertical ? dec.height() + inc.height() : dec.width() + inc.width());
    const int thumb = std::max(16, trackLen / 4);
    const int offset = (trackLen - thumb) * position / 100;
    if (vertical) {
        p.drawImage(at + QPoint(0, length - inc.height()), inc);
        const int y = at.y() + dec.height() + offset;
        const int tx = at.x() + (thick - start.width()) / 2;
        p.drawImage(tx, y, start);
        p.drawImage(QRect(tx, y + start.height(), mid.width(), thumb - start.height() - end.height()), mid);
        p.drawImage(tx, y + thumb - end.height(), end);
    } else {
        p.drawImage(at + QPoint(length - inc.width(), 0), inc);
        const int x = at.x() + dec.width() + offset;
        const int ty = at.y() + (thick - start.height()) / 2;
        p.drawImage(x, ty, start);
        p.drawImage(QRect(x + start.width(), ty, thumb - start.width() - end.width(), mid.height()), mid);
        p.drawImage(x + thumb - end.width(), ty, end);
    }
}

QImage Sheet::mockWindow() const
{
    const StyleInfo& s = *m_style;
    const int W = 420, H = 300;
    QImage win(W, H, QImage::Format_ARGB32);
    win.fill(s.form);
    QPainter p(&win);
    if (!s.formTile.isEmpty())
        p.fillRect(win.rect(), QBrush(byName(s.formTile)));
    drawTitle(p, W);
    const int titleH = img("TITLE_LEFT").height();
    // Border: left, right and bottom in the border colour.
    p.fillRect(QRect(0, 0, s.borderWidth, H), s.border);
    p.fillRect(QRect(W - s.borderWidth, 0, s.borderWidth, H), s.border);
    p.fillRect(QRect(0, H - s.borderWidth, W, s.borderWidth), s.border);

    p.setFont(labelFont(11));
    const int top = titleH + 10;
    // Push buttons nine-sliced to 120 x 30: normal, hover, pressed.
    const QImage button = img("BUTTON");
    const char* captions[3] = {"Normal", "Hover", "Pressed"};
    for (int i = 0; i < 3; ++i) {
        const QRect r(14 + i * 124, top, 120, 30);
        p.drawImage(r.topLeft(), spitDraw(frameOf(button, 3, i + 1), r.width(), r.height(), s.buttonTransparent));
        p.setPen(Qt::black);
        p.drawText(r.translated(i == 2 ? 1 : 0, i == 2 ? 1 : 0), Qt::AlignCenter, QString::fromLatin1(captions[i]));
    }
    // Check boxes and radio buttons: checked, unchecked, checked disabled, unchecked disabled.
    const QImage check = img("CHECKBOX"), radio = img("RADIOBUTTON");
    const char* states[4] = {"Checked", "Unchecked", "Disabled", "Disabled"};
    for (int i = 0; i < 4; ++i) {
        const int x = 14 + i * 96;
        const QImage c = frameOf(check, 4, i + 1), rb = frameOf(radio, 4, i + 1);
        p.drawImage(x + 1, top + 44 + (19 - c.height()) / 2, c);
        p.drawImage(x + 1, top + 66 + (19 - rb.height()) / 2, keyed(rb));
        p.setPen(i < 2 ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80));
        p.drawText(QRect(x + c.width() + 5, top + 44, 80, 19), Qt::AlignVCenter, QString::fromLatin1(states[i]));
        p.drawText(QRect(x + rb.width() + 5, top + 66, 80, 19), Qt::AlignVCenter, QString::fromLatin1(states[i]));
    }
    // Scroll bars.
    drawScrollBar(p, QPoint(W - 30, top), 180, true, 30);
    drawScrollBar(p, QPoint(14, top + 96), 250, false, 40);
    // Progress bar 250 x 14 at 60 %: filled picture, background colour, one-pixel border.
    const QRect prog(14, top + 124, 250, 14);
    p.fillRect(prog, s.form);
    const int filled = (prog.width() - 1) * 60 / 100;
    p.drawImage(QRect(prog.left() + 1, prog.top() + 1, filled - 1, prog.height() - 2), img("PROGRESSBAR"));
    p.setPen(s.controlBorder);
    p.drawRect(prog.adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    p.setFont(labelFont(10));
    p.drawText(prog, Qt::AlignCenter, QStringLiteral("60%"));
    // Track bar: groove three-sliced to 250 pixels, slider at 30 %.
    const QImage groove = img("TRACKBAR_BAR"), slider = img("TRACKBAR_SLIDER");
    const int th = std::max(groove.height(), slider.height());
    const int ty = top + 150;
    p.drawImage(14, ty + (th - groove.height()) / 2, threeSlice(groove, 250));
    p.drawImage(14 + (250 - slider.width()) * 3 / 10, ty + (th - slider.height()) / 2, keyed(slider));
    // Vertical slider sample and side bar with its caption.
    const QImage vslider = img("TRACKBAR_SLIDER_V");
    p.drawImage(290, ty, vslider);
    const QImage bar = img("SIDECHENNEL_BAR");
    const QRect panel(14, top + 182, 250, 50);
    p.fillRect(panel, Qt::white);
    p.drawImage(QRect(panel.left() + 1, panel.top(), panel.width() - 2, bar.height()), bar);
    p.setPen(s.controlBorder);
    p.drawRect(panel.adjusted(0, 0, -1, -1));
    const QImage pb = byName("PANEL_BUTTON");
    p.drawImage(panel.right() - 13 - 4, panel.top() + (bar.height() - 12) / 2 + 1, frameOf(pb, 4, 1));
    p.setPen(s.title == QLatin1String("MacOS") || s.title == QLatin1String("WinXP") ? QColor(Qt::black) : QColor(Qt::white));
    p.setFont(labelFont(11, true));
    p.drawText(QRect(panel.left() + 10, panel.top(), 200, bar.height()), Qt::AlignVCenter, QStringLiteral("Panel"));
    // Tab with its line.
    const QImage tab = img("TAB"), line = img("TAB_LINE");
    const QRect tabArea(290, top + 182, 110, 50);
    p.drawImage(QRect(tabArea.left(), tabArea.top() + tab.height() - line.height() + 2, tabArea.width(), line.height()), line);
    p.drawImage(tabArea.left() + 4, tabArea.top(), spitDraw(tab, 60, tab.height(), true));
    // Combo-box button, where the style has a picture for it.
    if (!s.combo.isEmpty()) {
        const QRect combo(290, top + 124, 100, 21);
        p.fillRect(combo, Qt::white);
        p.setPen(s.controlBorder);
        p.drawRect(combo.adjusted(0, 0, -1, -1));
        const QRect btn(combo.right() - 17, combo.top() + 2, 16, combo.height() - 4);
        p.drawImage(btn, byName(s.combo));
        if (s.title == QLatin1String("MacOS")) {
            const int ax = btn.left() + btn.width() / 2 - 3, ay = btn.top() + btn.height() / 2 - 1;
            QPolygon tri;
            tri << QPoint(ax, ay) << QPoint(ax + 6, ay) << QPoint(ax + 3, ay + 3);
            p.setPen(Qt::black);
            p.setBrush(Qt::black);
            p.drawPolygon(tri);
        }
    }
    p.end();
    // Round the top corners as the window region does.
    if (s.roundCorner > 0) {
        QImage mask(W, H, QImage::Format_ARGB32);
        mask.fill(Qt::transparent);
        QPainter m(&mask);
        m.setRenderHint(QPainter::Antialiasing, false);
        m.setBrush(Qt::black);
        m.setPen(Qt::NoPen);
        m.drawRoundedRect(QRectF(0, 0, W, H + 20), s.roundCorner / 2.0, s.roundCorner / 2.0);
        m.end();
        for (int y = 0; y < s.roundCorner; ++y)
            for (int x = 0; x < W; ++x)
                if (qAlpha(mask.pixel(x, y)) == 0)
                    win.setPixel(x, y, 0);
    }
    return win;
}

// Picks an enlargement that keeps the picture within the cell limits.
int scaleFor(const QImage& img)
{
    const int s = std::min({6, 980 / img.width(), 220 / img.height()});
    return std::max(1, s);
}

class Layout
{
public:
    explicit Layout(QPainter& p, int width) : m_p(p), m_width(width) {}

    void heading(const QString& text)
    {
        newRow();
        m_p.setPen(Qt::black);
        m_p.setFont(labelFont(20, true));
        m_p.drawText(QRect(16, m_y, m_width - 32, 30), Qt::AlignLeft | Qt::AlignVCenter, text);
        m_y += 36;
    }

    void item(const QString& label, const QImage& img, int frames)
    {
        const int s = scaleFor(img);
        const int w = std::max(img.width() * s, 150), h = img.height() * s + 34;
        if (m_x + w > m_width - 16)
            newRow();
        m_p.setPen(Qt::black);
        m_p.setFont(labelFont(11));
        m_p.drawText(QRect(m_x, m_y, w + 40, 14), Qt::AlignLeft, label);
        m_p.setFont(labelFont(10));
        m_p.setPen(rgb(0x303030));
        QString info = QStringLiteral("%1 x %2").arg(img.width()).arg(img.height());
        if (frames > 1)
            info += QStringLiteral(", %1 frames of %2").arg(frames).arg(img.width() / frames);
        if (s > 1)
            info += QStringLiteral(", shown x%1").arg(s);
        m_p.drawText(QRect(m_x, m_y + 14, w + 80, 14), Qt::AlignLeft, info);
        const QPoint at(m_x, m_y + 30);
        m_p.drawImage(QRect(at, QSize(img.width() * s, img.height() * s)), img);
        if (frames > 1) {
            m_p.setPen(Qt::black);
            const int fw = img.width() / frames;
            for (int i = 1; i < frames; ++i)
                m_p.drawLine(at.x() + i * fw * s, at.y() + img.height() * s, at.x() + i * fw * s, at.y() + img.height() * s + 3);
        }
        m_x += w + 24;
        m_rowHeight = std::max(m_rowHeight, h + 10);
    }

    void picture(const QString& label, const QImage& img)
    {
        newRow();
        m_p.setPen(Qt::black);
        m_p.setFont(labelFont(12, true));
        m_p.drawText(QRect(16, m_y, m_width - 32, 16), Qt::AlignLeft, label);
        m_p.drawImage(16, m_y + 20, img);
        m_y += img.height() + 30;
    }

    int bottom()
    {
        newRow();
        return m_y;
    }

private:
    void newRow()
    {
        m_y += m_rowHeight;
        m_x = 16;
        m_rowHeight = 0;
    }

    QPainter& m_p;
    int m_width;
    int m_x = 16, m_y = 8, m_rowHeight = 0;
};

QImage renderSheet(const QString& title, const std::vector<std::pair<const CatalogEntry*, QImage>>& items,
                   const QImage& preview, const QString& previewLabel)
{
    const int width = 1100;
    QImage sheet(width, 6000, QImage::Format_RGB32);
    sheet.fill(kSheet);
    int used;
    {
        QPainter p(&sheet);
        Layout layout(p, width);
        layout.heading(title);
        for (const auto& [entry, img] : items)
            layout.item(entry->name, img, entry->frames);
        if (!preview.isNull())
            layout.picture(previewLabel, preview);
        used = layout.bottom();
    }
    return sheet.copy(0, 0, width, used + 8);
}

} // namespace

bool writeContactSheets(const QString& dir, const std::vector<CatalogEntry>& catalog,
                        const std::vector<QImage>& images, QString* error)
{
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("cannot create %1").arg(dir);
        return false;
    }
    QMap<QString, QImage> byName;
    for (size_t i = 0; i < catalog.size(); ++i)
        byName.insert(catalog[i].name, images[i]);

    auto save = [&](const QString& name, const QImage& sheet) {
        const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
        if (!sheet.save(path, "PNG")) {
            *error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
        return true;
    };

    for (const StyleInfo& s : styles()) {
        std::vector<std::pair<const CatalogEntry*, QImage>> items;
        for (size_t i = 0; i < catalog.size(); ++i) {
            const QString& n = catalog[i].name;
            const bool shared = n == QLatin1String("MORE_SCROLLBUTTON") && !s.prefix.startsWith(QLatin1String("MACOS"))
                                && !s.prefix.startsWith(QLatin1String("WINXP"));
            if (n.startsWith(s.prefix) || shared)
                items.emplace_back(&catalog[i], images[i]);
        }
        Sheet sheet(byName, &s);
        const QImage mock = sheet.mockWindow();
        if (!save(s.title, renderSheet(s.title, items, mock.scaled(mock.size() * 2),
                                       QStringLiteral("In use (shown x2): buttons nine-sliced to 120 x 30, title bar "
                                                      "assembled at 420 pixels, check boxes, radio buttons, scroll bars, "
                                                      "progress and track bar"))))
            return false;
    }
    std::vector<std::pair<const CatalogEntry*, QImage>> shared;
    for (size_t i = 0; i < catalog.size(); ++i) {
        const QString& n = catalog[i].name;
        if (!std::any_of(styles().begin(), styles().end(), [&](const StyleInfo& s) { return n.startsWith(s.prefix); }))
            shared.emplace_back(&catalog[i], images[i]);
    }
    // The main window's product picture, as its image panel stretches it (135 x 61), enlarged.
    const QImage product = productPicture().scaled(135, 61, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return save(QStringLiteral("Shared"),
                renderSheet(QStringLiteral("Style-independent bitmaps"), shared, product.scaled(product.size() * 4),
                            QStringLiteral("Main window picture img2.jpg (110 x 50), stretched to 135 x 61 as the image "
                                           "panel shows it, enlarged x4")));
}

} // namespace artgen
