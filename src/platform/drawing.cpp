// SPDX-License-Identifier: GPL-3.0-or-later
// Images, boxes, copies, fonts and text, built on Qt's raster images. Lines and boxes are exact
// pixels; text is drawn without anti-aliasing, kerning or ligatures, so what is measured is what
// is drawn.
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/image.h"
#include "system/utf8.h"

namespace {

constexpr int SCREEN_DPI = 96;
constexpr const char* TAHOMA = "Tahoma";
// Without the Tahoma-metric faces the page needs a face as narrow: in a wider one the longer
// weekday names and amounts no longer fit their boxes.
constexpr const char* PAGE_FALLBACK = "Liberation Sans Narrow";
constexpr const char* MONOSPACE_FACE = "DejaVu Sans Mono";
// Bold glyphs are rasterised from their outlines: a pixel is ink when the outline covers about a
// third of it or more, which keeps the stems of small bold text whole without grey pixels. (Some
// bold faces carry embedded bitmaps for small sizes that are no bolder than the regular face.)
constexpr int OUTLINE_INK_BELOW = 170;
// A bold face whose stems are hardly wider than its regular face's (some metric-compatible
// faces are bold in name and spacing only) is emboldened by a twenty-fourth of its size, as font
// engines embolden synthetic bold, and only sideways, so that no glyph grows out of its line.
constexpr double BOLD_STEM_RATIO = 1.25;
constexpr double EMBOLDEN_PER_PIXEL = 1.0 / 24;
constexpr int EMBOLDEN_STEPS = 4;
// The widths a text too wide for its box is tried in, in percent of the face's own, before a
// smaller size is: the steps of a face's condensed widths.
constexpr int NARROWER_STRETCHES[] = {100, 87, 75, 62, 50};
constexpr int FULL_WIDTH = 100;
// Characters below this are kept in a table, the rest in a map.
constexpr char32_t TABLED_CHARACTERS = 0x180;

QRgb ToQRgb(Colour c) {
    return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Fonts

// The pixels one glyph sets, relative to the pen position and the top of the text cell.
struct GlyphSpan {
    int16_t dy;
    int16_t x0;
    int16_t x1;  // exclusive
};

struct Glyph {
    quint32 index = 0;
    int advance = 0;
    bool masked = false;
    std::vector<GlyphSpan> spans;
};

struct Font::Data {
    QFont qfont;
    QRawFont raw;
    QFontMetrics qmetrics{QFont()};
    bool fromOutline = false;  // glyphs rasterised from their outlines rather than by the engine
    double emboldening = 0;    // pixels added to every stroke of an outline, 0 for none
    double stretch = 1;        // the outlines' width, drawn narrower below 1
    int ascent = 0;
    FontMetrics metrics{};
    mutable std::vector<std::optional<Glyph>> table =
        std::vector<std::optional<Glyph>>(TABLED_CHARACTERS);
    mutable std::unordered_map<char32_t, Glyph> others;

    const Glyph& GlyphOf(char32_t c) const;
    const Glyph& MaskedGlyphOf(char32_t c) const;
};

namespace {

// The width of a face's plain vertical stem: the outline of "l".
qreal StemWidth(const QRawFont& raw) {
    const QList<quint32> glyphs = raw.glyphIndexesForString(QStringLiteral("l"));
    return glyphs.isEmpty() ? 0 : raw.pathForGlyph(glyphs.first()).boundingRect().width();
}

QString ResolveFace(std::string_view face, const std::string& pageFace) {
    if (face == TAHOMA) return QString::fromStdString(pageFace);
    if (face == "Lucida Console") return MONOSPACE_FACE;
    return QString::fromUtf8(face.data(), static_cast<int>(face.size()));
}

// How dark each pixel of one glyph is drawn, 0 black to 255 white. An emboldened outline is
// drawn at a few offsets to the right and each pixel keeps its darkest drawing: the glyph is
// smeared sideways, its left edge and its height stay.
QImage GlyphCoverage(const Font::Data& font, quint32 glyph, int width, int height, QPointF pen) {
    QImage coverage(width, height, QImage::Format_Grayscale8);
    coverage.fill(255);
    const int steps = font.fromOutline && font.emboldening > 0 ? EMBOLDEN_STEPS : 0;
    const QPainterPath outline =
        font.fromOutline ? QTransform::fromScale(font.stretch, 1).map(font.raw.pathForGlyph(glyph))
                         : QPainterPath();
    QImage layer(width, height, QImage::Format_Grayscale8);
    for (int step = 0; step <= steps; ++step) {
        QImage& target = step == 0 ? coverage : layer;
        target.fill(255);
        QPainter painter(&target);
        if (font.fromOutline) {
            painter.setRenderHint(QPainter::Antialiasing, true);
            const qreal shift = steps ? font.emboldening * step / steps : 0;
            painter.fillPath(outline.translated(pen + QPointF(shift, 0)), Qt::black);
        } else {
            QGlyphRun run;
            run.setRawFont(font.raw);
            run.setGlyphIndexes({glyph});
            run.setPositions({pen});
            painter.setPen(Qt::black);
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
        painter.end();
        if (step == 0) continue;
        for (int y = 0; y < height; ++y) {
            uchar* out = coverage.scanLine(y);
            const uchar* in = layer.constScanLine(y);
            for (int x = 0; x < width; ++x) out[x] = std::min(out[x], in[x]);
        }
    }
    return coverage;
}

}  // namespace

const Glyph& Font::Data::GlyphOf(char32_t c) const {
    std::optional<Glyph>* tabled = c < TABLED_CHARACTERS ? &table[c] : nullptr;
    if (tabled && tabled->has_value()) return **tabled;
    if (!tabled) {
        const auto found = others.find(c);
        if (found != others.end()) return found->second;
    }
    Glyph glyph;
    const QString text = QString::fromUcs4(&c, 1);
    const QList<quint32> indexes = raw.glyphIndexesForString(text);
    glyph.index = indexes.isEmpty() ? 0 : indexes.first();
    // Text is measured with the advances of the rendering that draws it: a face's design
    // advances, which emboldening keeps, as the metrics of a metric-compatible face must.
    glyph.advance =
        fromOutline && !indexes.isEmpty()
            ? static_cast<int>(std::lround(
                  stretch *
                  raw.advancesForGlyphIndexes(indexes, QRawFont::UseDesignMetrics).first().x()))
            : qmetrics.horizontalAdvance(text);
    if (tabled) return tabled->emplace(std::move(glyph));
    return others.emplace(c, std::move(glyph)).first->second;
}

// Renders one glyph alone, once, and keeps the pixels it sets. Text drawn without blending at
// whole-pixel positions is exactly the union of its glyphs' pixels.
const Glyph& Font::Data::MaskedGlyphOf(char32_t c) const {
    const Glyph& found = GlyphOf(c);
    if (found.masked) return found;
    Glyph& glyph = const_cast<Glyph&>(found);
    glyph.masked = true;
    const int margin = qfont.pixelSize() + 4;
    const QRectF bounds = raw.boundingRect(glyph.index);
    const int width =
        static_cast<int>(std::ceil(std::max<double>(bounds.right(), glyph.advance))) + 2 * margin;
    const int height = metrics.height + 2 * margin;
    const QImage coverage =
        GlyphCoverage(*this, glyph.index, width, height, QPointF(margin, margin + ascent));
    for (int y = 0; y < height; ++y) {
        const uchar* line = coverage.constScanLine(y);
        for (int x = 0; x < width;) {
            if (line[x] >= OUTLINE_INK_BELOW) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && line[x] < OUTLINE_INK_BELOW) ++x;
            glyph.spans.push_back(GlyphSpan{static_cast<int16_t>(y - margin),
                                            static_cast<int16_t>(start - margin),
                                            static_cast<int16_t>(x - margin)});
        }
    }
    return glyph;
}

Font::Font(std::unique_ptr<Data> data) : data_(std::move(data)) {}
Font::~Font() = default;

int Font::Width(std::string_view text) const {
    int width = 0;
    for (size_t at = 0; at < text.size();) width += data_->GlyphOf(NextCharacter(text, at)).advance;
    return width;
}

int Font::FitCount(std::string_view text, int maxWidth) const {
    int width = 0;
    int count = 0;
    for (size_t at = 0; at < text.size();) {
        width += data_->GlyphOf(NextCharacter(text, at)).advance;
        if (width > maxWidth) break;
        ++count;
    }
    return count;
}

const FontMetrics& Font::Metrics() const {
    return data_->metrics;
}
int Font::LineHeight() const {
    return data_->metrics.height + data_->metrics.externalLeading;
}
bool Font::HasGlyph(char32_t character) const {
    return data_->GlyphOf(character).index != 0;
}
std::string Font::Family() const {
    return QFontInfo(data_->qfont).family().toStdString();
}
int Font::PixelSize() const {
    return data_->qfont.pixelSize();
}
bool Font::Bold() const {
    return QFontInfo(data_->qfont).bold();
}

Fonts::Fonts()
    : Fonts(QFontDatabase::families().contains(QString(TAHOMA)) ? TAHOMA : PAGE_FALLBACK) {}
Fonts::Fonts(std::string pageFace) : pageFace_(std::move(pageFace)) {}
Fonts::~Fonts() = default;

const Font& Fonts::Fitting(std::string_view face, int points, bool bold, std::string_view text,
                           int width) {
    for (int size = points; size > 1; --size) {
        for (const int stretch : NARROWER_STRETCHES) {
            const Font& font = Get(face, size, bold, stretch);
            if (font.Width(text) <= width) return font;
        }
    }
    return Get(face, 1, bold, NARROWER_STRETCHES[std::size(NARROWER_STRETCHES) - 1]);
}

const Font& Fonts::Get(std::string_view face, int points, bool bold, int stretch) {
    const QString family = ResolveFace(face, pageFace_);
    const auto key = std::make_tuple(family.toStdString(), points, bold, stretch);
    const auto found = fonts_.find(key);
    if (found != fonts_.end()) return *found->second;

    auto data = std::make_unique<Font::Data>();
    QFont& q = data->qfont;
    q.setFamily(family);
    q.setPixelSize(static_cast<int>(std::lround(points * SCREEN_DPI / 72.0)));
    q.setWeight(bold ? QFont::Bold : QFont::Normal);
    q.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    q.setHintingPreference(QFont::PreferFullHinting);
    q.setKerning(false);
    data->qmetrics = QFontMetrics(q);
    data->ascent = data->qmetrics.ascent();
    data->metrics.height = data->qmetrics.ascent() + data->qmetrics.descent();
    data->metrics.externalLeading = std::max(0, data->qmetrics.leading());
    data->metrics.averageCharWidth = data->qmetrics.averageCharWidth();
    data->raw = QRawFont::fromFont(q);
    data->fromOutline = bold || stretch != FULL_WIDTH;
    data->stretch = stretch / static_cast<double>(FULL_WIDTH);
    if (bold) {
        QFont regular = q;
        regular.setWeight(QFont::Normal);
        if (StemWidth(data->raw) < BOLD_STEM_RATIO * StemWidth(QRawFont::fromFont(regular)))
            data->emboldening = q.pixelSize() * EMBOLDEN_PER_PIXEL;
    }
    auto font = std::make_unique<Font>(std::move(data));
    const Font& made = *font;
    fonts_.emplace(key, std::move(font));
    return made;
}

// ---------------------------------------------------------------------------------------------
// Images
//
// An image keeps track of what it holds so that clearing and copying touch only what they must:
// in each row, the pixels from dirtyRight[y] to the right edge are `uniform` whatever the buffer
// holds there (a screen image's buffer, which is painted as it is, always holds them), and a clear
// of an offscreen image waits until its pixels are next used.

struct Image::Pixels {
    QImage image;
    QRgb* base = nullptr;
    std::vector<int> dirtyRight;
    Colour uniform = COLOUR_WHITE;
    bool screen = false;
    bool clearPending = false;
    Colour pendingColour = COLOUR_WHITE;

    int Width() const { return image.width(); }
    int Height() const { return image.height(); }
    QRgb* Row(int y) { return base + static_cast<size_t>(y) * image.width(); }
    const QRgb* Row(int y) const { return base + static_cast<size_t>(y) * image.width(); }

    // Before pixels from x on are written, the row's pixels up to x must really hold the uniform
    // colour: beyond its extent a row's buffer holds whatever it held (a screen image's excepted).
    void WidenRow(int y, int x) {
        int& right = dirtyRight[y];
        if (x <= right) return;
        std::fill(Row(y) + right, Row(y) + x, ToQRgb(uniform));
        right = x;
    }

    // Fills x1..x2-1 of row y (already clipped), keeping the row's uniform part known.
    void FillRow(int y, int x1, int x2, Colour colour) {
        int& right = dirtyRight[y];
        if (colour == uniform) {
            if (x1 >= right) return;  // already that colour
            std::fill(Row(y) + x1, Row(y) + std::min(x2, right), ToQRgb(colour));
            if (x2 >= right) right = x1;
            return;
        }
        WidenRow(y, x1);
        std::fill(Row(y) + x1, Row(y) + x2, ToQRgb(colour));
        right = std::max(right, x2);
    }

    void ApplyClear(Colour colour) {
        // Only a screen image's pixels are read as they are; everyone else's are read through
        // the rows' extents, so a clear needs to write nothing.
        if (screen) std::fill_n(base, static_cast<size_t>(Width()) * Height(), ToQRgb(colour));
        std::fill(dirtyRight.begin(), dirtyRight.end(), 0);
        uniform = colour;
    }

    // Before the pixels are read or changed, a waiting clear is done.
    void Settle() {
        if (!clearPending) return;
        clearPending = false;
        ApplyClear(pendingColour);
    }

    // Fills the pixels x1..x2-1, y1..y2-1, clipped.
    void Fill(int x1, int y1, int x2, int y2, Colour colour) {
        x1 = std::max(x1, 0);
        y1 = std::max(y1, 0);
        x2 = std::min(x2, Width());
        y2 = std::min(y2, Height());
        if (x1 >= x2 || y1 >= y2) return;
        Settle();
        for (int y = y1; y < y2; ++y) FillRow(y, x1, x2, colour);
    }

    // Copies source rows sy.. onto rows ty.., source columns sx..sx+width-1 onto tx.., the
    // source's uniform part filled rather than copied.
    void CopyRows(Pixels& source, int sx, int sy, int tx, int ty, int width, int height) {
        for (int row = 0; row < height; ++row) {
            const int sourceRow = sy + row;
            const int targetRow = ty + row;
            const int copied = std::clamp(source.dirtyRight[sourceRow], sx, sx + width) - sx;
            if (copied > 0) {
                WidenRow(targetRow, tx);
                std::memcpy(Row(targetRow) + tx, source.Row(sourceRow) + sx, sizeof(QRgb) * copied);
                dirtyRight[targetRow] = std::max(dirtyRight[targetRow], tx + copied);
            }
            if (copied < width) FillRow(targetRow, tx + copied, tx + width, source.uniform);
        }
    }
};

Image::Image(int width, int height, Use use) : pixels_(std::make_unique<Pixels>()) {
    Pixels& p = *pixels_;
    // An offscreen buffer is left as allocated: every row starts with an empty extent, so it
    // reads white and memory is touched only where something is drawn.
    p.image = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    p.base = reinterpret_cast<QRgb*>(p.image.bits());
    p.dirtyRight.assign(p.Height(), 0);
    p.screen = use == Use::Screen;
    if (p.screen) p.image.fill(Qt::white);
}

Image::~Image() = default;
Image::Image(Image&&) noexcept = default;
Image& Image::operator=(Image&&) noexcept = default;

int Image::Width() const {
    return pixels_->Width();
}
int Image::Height() const {
    return pixels_->Height();
}

Colour Image::Pixel(int x, int y) const {
    const Pixels& p = *pixels_;
    if (x < 0 || y < 0 || x >= p.Width() || y >= p.Height()) return COLOUR_WHITE;
    if (p.clearPending) return p.pendingColour;
    if (x >= p.dirtyRight[y]) return p.uniform;
    const QRgb c = p.image.pixel(x, y);
    return Rgb(qRed(c), qGreen(c), qBlue(c));
}

const uint32_t* Image::ScreenRow(int y) const {
    return pixels_->Row(y);
}

void Image::Clear(Colour colour) {
    Pixels& p = *pixels_;
    if (p.screen) {
        p.ApplyClear(colour);  // a window paints its pixels at any time
        return;
    }
    p.clearPending = true;
    p.pendingColour = colour;
}

void Image::Frame(const Rect& box, Colour line, int penWidth) {
    if (box.right <= box.left || box.bottom <= box.top) return;
    Pixels& p = *pixels_;
    const int w = std::max(penWidth, 1);
    const int before = (w - 1) / 2;  // a wide pen spreads equally around the outline
    const int after = w / 2;
    const int right = box.right - 1;
    const int bottom = box.bottom - 1;
    p.Fill(box.left - before, box.top - before, right + after + 1, box.top + after + 1, line);
    p.Fill(box.left - before, bottom - before, right + after + 1, bottom + after + 1, line);
    p.Fill(box.left - before, box.top - before, box.left + after + 1, bottom + after + 1, line);
    p.Fill(right - before, box.top - before, right + after + 1, bottom + after + 1, line);
}

void Image::Box(const Rect& box, Colour line, Colour fill) {
    if (box.right <= box.left || box.bottom <= box.top) return;
    pixels_->Fill(box.left, box.top, box.right, box.bottom, fill);
    Frame(box, line);
}

void Image::Copy(const Image& sourceImage, Point at) {
    Pixels& source = *sourceImage.pixels_;
    Pixels& t = *pixels_;
    if (&source == &t) return;
    const int sx = std::max(0, -at.x);
    const int sy = std::max(0, -at.y);
    const int width = std::min(source.Width(), t.Width() - at.x) - sx;
    const int height = std::min(source.Height(), t.Height() - at.y) - sy;
    if (width <= 0 || height <= 0) return;
    source.Settle();
    t.Settle();
    t.CopyRows(source, sx, sy, at.x + sx, at.y + sy, width, height);
}

void Image::CopyPart(const Image& sourceImage, const Rect& part) {
    Pixels& source = *sourceImage.pixels_;
    Pixels& t = *pixels_;
    if (&source == &t) return;
    const int x1 = std::max(part.left, 0);
    const int y1 = std::max(part.top, 0);
    const int x2 = std::min({part.right, source.Width(), t.Width()});
    const int y2 = std::min({part.bottom, source.Height(), t.Height()});
    if (x1 >= x2 || y1 >= y2) return;
    source.Settle();
    t.Settle();
    t.CopyRows(source, x1, y1, x1, y1, x2 - x1, y2 - y1);
}

void Image::Text(Point at, std::string_view text, const Font& font, Colour colour,
                 Justification justification) {
    if (text.empty()) return;
    Pixels& p = *pixels_;
    const Font::Data& f = *font.data_;
    p.Settle();
    int x = at.x;
    int breaksSeen = 0;
    for (size_t next = 0; next < text.size();) {
        const char32_t c = NextCharacter(text, next);
        const Glyph& glyph = f.MaskedGlyphOf(c);
        for (const GlyphSpan& span : glyph.spans) {
            const int row = at.y + span.dy;
            const int x0 = std::max(x + span.x0, 0);
            const int x1 = std::min(x + span.x1, p.Width());
            if (row < 0 || row >= p.Height() || x0 >= x1) continue;
            p.FillRow(row, x0, x1, colour);
        }
        x += glyph.advance;
        // Justification widens the first `breaks` spaces; the remainder goes one pixel each to
        // the first of them.
        const int breaks = justification.breaks;
        if (c == U' ' && breaks > 0 && breaksSeen < breaks) {
            x += justification.extra / breaks + (breaksSeen < justification.extra % breaks);
            ++breaksSeen;
        }
    }
}

void Image::OpaqueText(Point at, std::string_view text, const Font& font, Colour colour,
                       Colour back) {
    if (text.empty()) return;
    pixels_->Fill(at.x, at.y, at.x + font.Width(text), at.y + font.Metrics().height, back);
    Text(at, text, font, colour);
}
