// Images, the current drawing target, boxes, copies, fonts and text, built on Qt's raster images.
// Lines and boxes are exact pixels; text is drawn without anti-aliasing, kerning or ligatures, so
// what is measured is what is drawn.
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <cmath>
#include <cstring>

#include "platform/platform_qt.h"
#include "platform/testing.h"

DrawingState drawing;

namespace {

constexpr int SCREEN_DPI = 96;
constexpr const char* WINE_FONT_FOLDER = "/usr/share/wine/fonts/";
constexpr const char* SANS_FALLBACK = "DejaVu Sans";
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

// Windows-1252 codes 0x80..0x9F; the five unassigned codes keep their own value.
constexpr char16_t CP1252_HIGH[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252ToUnicode(unsigned char c) {
    return (c >= 0x80 && c < 0xA0) ? CP1252_HIGH[c - 0x80] : static_cast<char16_t>(c);
}

// The Windows-1252 code of a character, or -1 when it has none.
int UnicodeToCp1252(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
    for (int i = 0; i < 32; ++i) {
        if (CP1252_HIGH[i] == u) return 0x80 + i;
    }
    return -1;
}

QRgb ToQRgb(Colour c) {
    return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}

void Touch(Image* image) {
    if (image && image->surface) NotifySurfaceChanged(image->surface);
}

QRgb* Row(Image& image, int y) {
    return image.base + static_cast<size_t>(y) * image.pixels.width();
}

// Before pixels from x on are written, the row's pixels up to x must really hold the uniform
// colour: beyond its extent a row's buffer holds whatever it held (a surface's excepted).
void WidenRow(Image& image, int y, int x) {
    int& right = image.dirtyRight[y];
    if (x <= right) return;
    std::fill(Row(image, y) + right, Row(image, y) + x, ToQRgb(image.uniform));
    right = x;
}

// Fills x1..x2-1 of row y (already clipped), keeping the row's uniform part known.
void FillRow(Image& image, int y, int x1, int x2, Colour colour) {
    int& right = image.dirtyRight[y];
    if (colour == image.uniform) {
        if (x1 >= right) return;  // already that colour
        std::fill(Row(image, y) + x1, Row(image, y) + std::min(x2, right), ToQRgb(colour));
        if (x2 >= right) right = x1;
        return;
    }
    WidenRow(image, y, x1);
    std::fill(Row(image, y) + x1, Row(image, y) + x2, ToQRgb(colour));
    right = std::max(right, x2);
}

void ApplyClear(Image& image, Colour colour) {
    // Only a surface's pixels are read as they are; everyone else's are read through the rows'
    // extents, so a clear needs to write nothing.
    if (image.surface)
        std::fill_n(image.base, static_cast<size_t>(image.pixels.width()) * image.pixels.height(),
                    ToQRgb(colour));
    std::fill(image.dirtyRight.begin(), image.dirtyRight.end(), 0);
    image.uniform = colour;
}

// Makes `target` hold exactly what `source` holds (same size, neither a surface).
void CopyAll(Image& target, Image& source) {
    for (int y = 0; y < target.pixels.height(); ++y) {
        const int sourceRight = source.dirtyRight[y];
        if (sourceRight > 0)
            std::memcpy(Row(target, y), Row(source, y), sizeof(QRgb) * sourceRight);
    }
    target.dirtyRight = source.dirtyRight;
    target.uniform = source.uniform;
}

void SwapBuffers(Image& a, Image& b) {
    a.pixels.swap(b.pixels);
    std::swap(a.base, b.base);
    a.dirtyRight.swap(b.dirtyRight);
    std::swap(a.uniform, b.uniform);
}

void EndMirror(Image& mirror) {
    if (mirror.mirrorOf) mirror.mirrorOf->mirroredBy = nullptr;
    mirror.mirrorOf = nullptr;
}

// Before `image` changes: whoever mirrors it gets its pixels, and it gets pixels of its own.
// A whole clear needs no old pixels, so buffers are swapped instead of copied.
void PrepareForWrite(Image& image, bool wholeClear) {
    image.version = ++drawing.versionCounter;
    // A mirrored image never has a clear waiting: it was made readable when it was mirrored.
    if (Image* mirror = image.mirroredBy) {
        EndMirror(*mirror);
        if (wholeClear)
            SwapBuffers(*mirror, image);
        else
            CopyAll(*mirror, image);
    }
    if (Image* source = image.mirrorOf) {
        EndMirror(image);
        if (!wholeClear) CopyAll(image, *source);
    }
    if (image.clearPending && !wholeClear) {
        image.clearPending = false;
        ApplyClear(image, image.pendingColour);
    }
}

// The image whose buffer holds `image`'s pixels, with any waiting clear done.
Image& Readable(Image& image) {
    Image& holder = image.mirrorOf ? *image.mirrorOf : image;
    if (holder.clearPending) {
        holder.clearPending = false;
        ApplyClear(holder, holder.pendingColour);
    }
    return holder;
}

// Fills the pixels x1..x2-1, y1..y2-1 of `image`, clipped.
void FillPixels(Image& image, int x1, int y1, int x2, int y2, Colour colour) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, image.pixels.width());
    y2 = std::min(y2, image.pixels.height());
    if (x1 >= x2 || y1 >= y2) return;
    PrepareForWrite(image, false);
    for (int y = y1; y < y2; ++y) FillRow(image, y, x1, x2, colour);
}

// A box covers pixels only when its right edge is past its left and its bottom below its top;
// any other box draws nothing at all, outline included.
bool BoxHasPixels(int x1, int y1, int x2, int y2) {
    return x2 > x1 && y2 > y1;
}

// The width of a face's plain vertical stem: the outline of "l".
qreal StemWidth(const QRawFont& raw) {
    const QList<quint32> glyphs = raw.glyphIndexesForString(QStringLiteral("l"));
    return glyphs.isEmpty() ? 0 : raw.pathForGlyph(glyphs.first()).boundingRect().width();
}

// How dark each pixel of one glyph is drawn, 0 black to 255 white. An emboldened outline is
// drawn at a few offsets to the right and each pixel keeps its darkest drawing: the glyph is
// smeared sideways, its left edge and its height stay.
QImage GlyphCoverage(const Font* font, unsigned char code, int width, int height, QPointF pen) {
    QImage coverage(width, height, QImage::Format_Grayscale8);
    coverage.fill(255);
    const int steps = font->fromOutline && font->emboldening > 0 ? EMBOLDEN_STEPS : 0;
    const QPainterPath outline =
        font->fromOutline ? font->raw.pathForGlyph(font->glyph[code]) : QPainterPath();
    QImage layer(width, height, QImage::Format_Grayscale8);
    for (int step = 0; step <= steps; ++step) {
        QImage& target = step == 0 ? coverage : layer;
        target.fill(255);
        QPainter painter(&target);
        if (font->fromOutline) {
            painter.setRenderHint(QPainter::Antialiasing, true);
            const qreal shift = steps ? font->emboldening * step / steps : 0;
            painter.fillPath(outline.translated(pen + QPointF(shift, 0)), Qt::black);
        } else {
            QGlyphRun run;
            run.setRawFont(font->raw);
            run.setGlyphIndexes({font->glyph[code]});
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

// Renders one glyph alone, once, and keeps the pixels it sets. Text drawn without blending at
// whole-pixel positions is exactly the union of its glyphs' pixels.
const GlyphMask& MaskOf(Font* font, unsigned char code) {
    GlyphMask& mask = font->mask[code];
    if (mask.built) return mask;
    mask.built = true;
    const int margin = font->qfont.pixelSize() + 4;
    const QRectF bounds = font->raw.boundingRect(font->glyph[code]);
    const int width =
        static_cast<int>(std::ceil(std::max<double>(bounds.right(), font->advance[code]))) +
        2 * margin;
    const int height = font->metrics.height + 2 * margin;
    const QImage coverage =
        GlyphCoverage(font, code, width, height, QPointF(margin, margin + font->ascent));
    for (int y = 0; y < height; ++y) {
        const uchar* line = coverage.constScanLine(y);
        for (int x = 0; x < width;) {
            if (line[x] >= OUTLINE_INK_BELOW) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && line[x] < OUTLINE_INK_BELOW) ++x;
            mask.spans.push_back(GlyphSpan{static_cast<int16_t>(y - margin),
                                           static_cast<int16_t>(start - margin),
                                           static_cast<int16_t>(x - margin)});
        }
    }
    return mask;
}

Font* DefaultFont() {
    return RequestFont(SANS_FALLBACK, 12, false);
}

QString ResolveFace(std::string_view face) {
    if (face == "Tahoma") return drawing.tahomaInstalled ? QStringLiteral("Tahoma") : PAGE_FALLBACK;
    if (face == "Lucida Console") return MONOSPACE_FACE;
    return QString::fromUtf8(face.data(), static_cast<int>(face.size()));
}

void RegisterFonts() {
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        drawing.tahomaInstalled = true;
        return;
    }
    // Debian's Tahoma-metric faces live outside the folders fontconfig indexes.
    for (const char* file : {"tahoma.ttf", "tahomabd.ttf"}) {
        const int id = QFontDatabase::addApplicationFont(QString(WINE_FONT_FOLDER) + file);
        if (id >= 0 &&
            QFontDatabase::applicationFontFamilies(id).contains(QStringLiteral("Tahoma")))
            drawing.tahomaInstalled = true;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------

void PlatformInit(int& argc, char** argv) {
    if (drawing.application) return;
    // Sizes are the program's own pixels; the desktop's scale enlarges them, rounded to a whole
    // factor so that every pixel of the picture stays sharp.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    drawing.application = new QApplication(argc, argv);
    SetProgramIdentity();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // Menus appear at once, without animations, so what is on screen is always the menu itself.
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, false);
    QApplication::setEffectEnabled(Qt::UI_FadeMenu, false);
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
    QFont uiFont(QStringLiteral("DejaVu Sans"));
    uiFont.setPixelSize(12);
    QApplication::setFont(uiFont);
    RegisterFonts();
}

QString Cp1252ToQString(std::string_view text) {
    QString result;
    result.reserve(static_cast<int>(text.size()));
    for (unsigned char c : text) result.append(QChar(Cp1252ToUnicode(c)));
    return result;
}

std::string Cp1252ToUtf8(std::string_view text) {
    return Cp1252ToQString(text).toStdString();
}

std::string Utf8ToCp1252(std::string_view text) {
    const QString s = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
    std::string result;
    for (char32_t u : s.toUcs4()) {
        // A character without a code must not vanish: it becomes one that no amount accepts.
        const int code = UnicodeToCp1252(u);
        result.push_back(code >= 0 ? static_cast<char>(code) : '?');
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Images

Image* CreateImage(int width, int height) {
    Image* image = new Image;
    // The buffer is left as allocated: every row starts with an empty extent, so it reads white
    // and memory is touched only where something is drawn.
    image->pixels = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    image->base = reinterpret_cast<QRgb*>(image->pixels.bits());
    image->dirtyRight.assign(image->pixels.height(), 0);
    image->uniform = COLOUR_WHITE;
    image->version = ++drawing.versionCounter;
    return image;
}

void DestroyImage(Image* image) {
    if (!image) return;
    if (drawing.target == image) drawing.target = nullptr;
    if (Image* mirror = image->mirroredBy) {
        EndMirror(*mirror);
        CopyAll(*mirror, *image);
    }
    EndMirror(*image);
    delete image;
}

int ImageWidth(const Image* image) {
    return image ? image->pixels.width() : 0;
}
int ImageHeight(const Image* image) {
    return image ? image->pixels.height() : 0;
}

Colour GetPixel(const Image* image, int x, int y) {
    if (!image || x < 0 || y < 0 || x >= image->pixels.width() || y >= image->pixels.height())
        return COLOUR_WHITE;
    const Image& holder = image->mirrorOf ? *image->mirrorOf : *image;
    if (holder.clearPending) return holder.pendingColour;
    if (x >= holder.dirtyRight[y]) return holder.uniform;
    const QRgb p = holder.pixels.pixel(x, y);
    return Rgb(qRed(p), qGreen(p), qBlue(p));
}

void SelectTarget(Image* image) {
    drawing.target = image;
}
Image* CurrentTarget() {
    return drawing.target;
}

void ClearTarget(Colour colour) {
    Image* t = drawing.target;
    if (!t) return;
    PrepareForWrite(*t, true);
    if (t->surface) {
        ApplyClear(*t, colour);  // the surface repaints from its own pixels at any time
        Touch(t);
        return;
    }
    t->clearPending = true;
    t->pendingColour = colour;
}

void SetPenWidth(int width) {
    if (drawing.target) drawing.target->state.penWidth = std::max(width, 1);
}

void DrawFrame(int x1, int y1, int x2, int y2, Colour line) {
    Image* t = drawing.target;
    if (!t || !BoxHasPixels(x1, y1, x2, y2)) return;
    const int w = t->state.penWidth;
    const int before = (w - 1) / 2;  // a wide pen spreads equally around the outline
    const int after = w / 2;
    const int right = x2 - 1;
    const int bottom = y2 - 1;
    Image& img = *t;
    FillPixels(img, x1 - before, y1 - before, right + after + 1, y1 + after + 1, line);
    FillPixels(img, x1 - before, bottom - before, right + after + 1, bottom + after + 1, line);
    FillPixels(img, x1 - before, y1 - before, x1 + after + 1, bottom + after + 1, line);
    FillPixels(img, right - before, y1 - before, right + after + 1, bottom + after + 1, line);
    Touch(t);
}

void DrawBox(int x1, int y1, int x2, int y2, Colour line, Colour fill) {
    if (!drawing.target || !BoxHasPixels(x1, y1, x2, y2)) return;
    FillPixels(*drawing.target, x1, y1, x2, y2, fill);
    DrawFrame(x1, y1, x2, y2, line);
}

void CopyImage(const Image* sourceImage, int x, int y) {
    Image* t = drawing.target;
    if (!t || !sourceImage || sourceImage == t) return;
    Image& source = Readable(*const_cast<Image*>(sourceImage));
    if (&source == t) return;  // the target already shows these pixels
    const int sx = std::max(0, -x);
    const int sy = std::max(0, -y);
    const int width = std::min(source.pixels.width(), t->pixels.width() - x) - sx;
    const int height = std::min(source.pixels.height(), t->pixels.height() - y) - sy;
    if (width <= 0 || height <= 0) return;

    // A whole copy onto an image of the same size only records where the pixels are.
    if (x == 0 && y == 0 && !t->surface && !source.surface &&
        source.pixels.size() == t->pixels.size()) {
        PrepareForWrite(*t, true);
        t->clearPending = false;
        if (Image* previous = source.mirroredBy) {
            EndMirror(*previous);
            CopyAll(*previous, source);
        }
        t->mirrorOf = &source;
        source.mirroredBy = t;
        return;
    }

    if (t->copiedFrom == &source && t->copiedVersion == source.version &&
        t->versionAfterCopy == t->version && t->copiedX == x && t->copiedY == y)
        return;
    PrepareForWrite(*t, false);
    for (int row = 0; row < height; ++row) {
        const int sourceRow = sy + row;
        const int targetRow = y + sy + row;
        const int copied = std::clamp(source.dirtyRight[sourceRow], sx, sx + width) - sx;
        if (copied > 0) {
            WidenRow(*t, targetRow, x + sx);
            std::memcpy(Row(*t, targetRow) + x + sx, Row(source, sourceRow) + sx,
                        sizeof(QRgb) * copied);
            t->dirtyRight[targetRow] = std::max(t->dirtyRight[targetRow], x + sx + copied);
        }
        if (copied < width) FillRow(*t, targetRow, x + sx + copied, x + sx + width, source.uniform);
    }
    t->copiedFrom = &source;
    t->copiedVersion = source.version;
    t->versionAfterCopy = t->version;
    t->copiedX = x;
    t->copiedY = y;
    Touch(t);
}

void CopyImagePart(const Image* sourceImage, int x, int y, int width, int height) {
    Image* t = drawing.target;
    if (!t || !sourceImage || sourceImage == t) return;
    Image& source = Readable(*const_cast<Image*>(sourceImage));
    if (&source == t) return;
    const int x1 = std::max(x, 0);
    const int y1 = std::max(y, 0);
    const int x2 = std::min({x + width, source.pixels.width(), t->pixels.width()});
    const int y2 = std::min({y + height, source.pixels.height(), t->pixels.height()});
    if (x1 >= x2 || y1 >= y2) return;
    PrepareForWrite(*t, false);
    for (int row = y1; row < y2; ++row) {
        // Past its extent a source row holds its uniform colour.
        const int explicitEnd = std::clamp(source.dirtyRight[row], x1, x2);
        if (explicitEnd > x1) {
            WidenRow(*t, row, x1);
            std::memcpy(Row(*t, row) + x1, Row(source, row) + x1,
                        sizeof(QRgb) * (explicitEnd - x1));
            t->dirtyRight[row] = std::max(t->dirtyRight[row], explicitEnd);
        }
        if (explicitEnd < x2) FillRow(*t, row, explicitEnd, x2, source.uniform);
    }
    if (t->surface) NotifySurfacePartChanged(t->surface, x1, y1, x2 - x1, y2 - y1);
}

// ---------------------------------------------------------------------------------------------
// Fonts

Font* RequestFont(std::string_view face, int points, bool bold) {
    const QString family = ResolveFace(face);
    const auto key = std::make_tuple(family.toStdString(), points, bold);
    const auto found = drawing.fonts.find(key);
    if (found != drawing.fonts.end()) return found->second;

    Font* font = new Font;
    QFont& q = font->qfont;
    q.setFamily(family);
    q.setPixelSize(static_cast<int>(std::lround(points * SCREEN_DPI / 72.0)));
    q.setWeight(bold ? QFont::Bold : QFont::Normal);
    q.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    q.setHintingPreference(QFont::PreferFullHinting);
    q.setKerning(false);
    const QFontMetrics metrics(q);
    font->ascent = metrics.ascent();
    font->metrics.height = metrics.ascent() + metrics.descent();
    font->metrics.externalLeading = std::max(0, metrics.leading());
    font->metrics.averageCharWidth = metrics.averageCharWidth();
    font->raw = QRawFont::fromFont(q);
    font->fromOutline = bold;
    font->emboldening = 0;
    if (bold) {
        QFont regular = q;
        regular.setWeight(QFont::Normal);
        if (StemWidth(font->raw) < BOLD_STEM_RATIO * StemWidth(QRawFont::fromFont(regular)))
            font->emboldening = q.pixelSize() * EMBOLDEN_PER_PIXEL;
    }
    for (int code = 0; code < 256; ++code) {
        const QChar ch(Cp1252ToUnicode(static_cast<unsigned char>(code)));
        const QList<quint32> glyphs = font->raw.glyphIndexesForString(QString(ch));
        font->glyph[code] = glyphs.isEmpty() ? 0 : glyphs.first();
        // Text is measured with the advances of the rendering that draws it: a face's design
        // advances, which emboldening keeps, as the metrics of a metric-compatible face must.
        font->advance[code] =
            font->fromOutline && !glyphs.isEmpty()
                ? static_cast<int>(std::lround(
                      font->raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics)
                          .first()
                          .x()))
                : metrics.horizontalAdvance(ch);
    }
    drawing.fonts.emplace(key, font);
    return font;
}

void SelectFont(Font* font) {
    if (drawing.target) drawing.target->state.font = font;
}

static Font* SelectedFont() {
    Font* f = drawing.target ? drawing.target->state.font : nullptr;
    return f ? f : DefaultFont();
}

FontMetrics SelectedFontMetrics() {
    return SelectedFont()->metrics;
}

// ---------------------------------------------------------------------------------------------
// Text

void SetTextColour(Colour colour) {
    if (drawing.target) drawing.target->state.textColour = colour;
}
void SetBackColour(Colour colour) {
    if (drawing.target) drawing.target->state.backColour = colour;
}
void SetBackgroundOpaque(bool opaque) {
    if (drawing.target) drawing.target->state.opaque = opaque;
}

void MoveTo(int x, int y) {
    if (!drawing.target) return;
    drawing.target->state.x = x;
    drawing.target->state.y = y;
}
int PositionX() {
    return drawing.target ? drawing.target->state.x : 0;
}
int PositionY() {
    return drawing.target ? drawing.target->state.y : 0;
}

void NewLine() {
    if (!drawing.target) return;
    const FontMetrics m = SelectedFontMetrics();
    drawing.target->state.x = 0;
    drawing.target->state.y += m.height + m.externalLeading;
}

int TextWidth(std::string_view text) {
    const Font* f = SelectedFont();
    int width = 0;
    for (unsigned char c : text) width += f->advance[c];
    return width;
}

int FitCount(std::string_view text, int maxWidth) {
    const Font* f = SelectedFont();
    int width = 0;
    int count = 0;
    for (unsigned char c : text) {
        width += f->advance[c];
        if (width > maxWidth) break;
        ++count;
    }
    return count;
}

void SetTextJustification(int extra, int breaks) {
    if (!drawing.target) return;
    drawing.target->state.justifyExtra = extra;
    drawing.target->state.justifyBreaks = breaks;
}

void DrawText(std::string_view text) {
    Image* t = drawing.target;
    if (!t || text.empty()) return;
    Font* f = SelectedFont();
    const DrawState& s = t->state;
    const int imageWidth = t->pixels.width();
    const int imageHeight = t->pixels.height();

    if (s.opaque) {
        int width = TextWidth(text);
        if (s.justifyBreaks > 0) {
            int spaces = 0;
            for (char c : text) spaces += c == ' ';
            width += std::min(spaces, s.justifyBreaks) * (s.justifyExtra / s.justifyBreaks) +
                     std::min({spaces, s.justifyBreaks, s.justifyExtra % s.justifyBreaks});
        }
        FillPixels(*t, s.x, s.y, s.x + width, s.y + f->metrics.height, s.backColour);
    }

    PrepareForWrite(*t, false);
    int x = s.x;
    int breaksSeen = 0;
    for (unsigned char c : text) {
        for (const GlyphSpan& span : MaskOf(f, c).spans) {
            const int row = s.y + span.dy;
            const int x0 = std::max(x + span.x0, 0);
            const int x1 = std::min(x + span.x1, imageWidth);
            if (row < 0 || row >= imageHeight || x0 >= x1) continue;
            FillRow(*t, row, x0, x1, s.textColour);
        }
        x += f->advance[c];
        // Justification widens the first `breaks` spaces; the remainder goes one pixel each to
        // the first of them.
        if (c == ' ' && s.justifyBreaks > 0 && breaksSeen < s.justifyBreaks) {
            x += s.justifyExtra / s.justifyBreaks + (breaksSeen < s.justifyExtra % s.justifyBreaks);
            ++breaksSeen;
        }
    }
    Touch(t);
}

void SetTahomaInstalledForTesting(bool installed) {
    drawing.tahomaInstalled = installed;
}
