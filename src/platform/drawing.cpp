// Images, the current drawing target, boxes, copies, fonts and text, built on Qt's raster images.
// Lines and boxes are exact pixels; text is drawn without anti-aliasing, kerning or ligatures, so
// what is measured is what is drawn.
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QStyleFactory>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "platform/platform_qt.h"

void NotifySurfaceChanged(Window* surface);  // windowing.cpp

namespace {

struct DrawingState {
    QApplication* application = nullptr;
    Image* target = nullptr;
    std::map<std::tuple<std::string, int, bool>, Font*> fonts;
    bool tahomaInstalled = false;
};
DrawingState drawing;

constexpr int SCREEN_DPI = 96;
constexpr const char* WINE_FONT_FOLDER = "/usr/share/wine/fonts/";
constexpr const char* SANS_FALLBACK = "DejaVu Sans";
constexpr const char* MONOSPACE_FACE = "DejaVu Sans Mono";

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

// Fills the pixels x1..x2-1, y1..y2-1 of `image`, clipped.
void FillPixels(QImage& image, int x1, int y1, int x2, int y2, Colour colour) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, image.width());
    y2 = std::min(y2, image.height());
    if (x1 >= x2 || y1 >= y2) return;
    const QRgb value = ToQRgb(colour);
    for (int y = y1; y < y2; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line + x1, line + x2, value);
    }
}

Font* DefaultFont() {
    return RequestFont(SANS_FALLBACK, 12, false);
}

QString ResolveFace(std::string_view face) {
    if (face == "Tahoma") return drawing.tahomaInstalled ? QStringLiteral("Tahoma") : SANS_FALLBACK;
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
    // Sizes are pixels on every screen: the window and its picture are fixed-size.
    if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    drawing.application = new QApplication(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
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
        const int code = UnicodeToCp1252(u);
        if (code >= 0) result.push_back(static_cast<char>(code));
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Images

Image* CreateImage(int width, int height) {
    Image* image = new Image;
    image->pixels = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    image->pixels.fill(ToQRgb(COLOUR_WHITE));
    return image;
}

void DestroyImage(Image* image) {
    if (!image) return;
    if (drawing.target == image) drawing.target = nullptr;
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
    const QRgb p = image->pixels.pixel(x, y);
    return Rgb(qRed(p), qGreen(p), qBlue(p));
}

void SelectTarget(Image* image) {
    drawing.target = image;
}
Image* CurrentTarget() {
    return drawing.target;
}

void ClearTarget(Colour colour) {
    if (!drawing.target) return;
    drawing.target->pixels.fill(ToQRgb(colour));
    Touch(drawing.target);
}

void SetPenWidth(int width) {
    if (drawing.target) drawing.target->state.penWidth = std::max(width, 1);
}

void DrawFrame(int x1, int y1, int x2, int y2, Colour line) {
    Image* t = drawing.target;
    if (!t) return;
    const int w = t->state.penWidth;
    const int before = (w - 1) / 2;  // a wide pen spreads equally around the outline
    const int after = w / 2;
    const int right = x2 - 1;
    const int bottom = y2 - 1;
    QImage& img = t->pixels;
    FillPixels(img, x1 - before, y1 - before, right + after + 1, y1 + after + 1, line);
    FillPixels(img, x1 - before, bottom - before, right + after + 1, bottom + after + 1, line);
    FillPixels(img, x1 - before, y1 - before, x1 + after + 1, bottom + after + 1, line);
    FillPixels(img, right - before, y1 - before, right + after + 1, bottom + after + 1, line);
    Touch(t);
}

void DrawBox(int x1, int y1, int x2, int y2, Colour line, Colour fill) {
    if (!drawing.target) return;
    FillPixels(drawing.target->pixels, x1, y1, x2, y2, fill);
    DrawFrame(x1, y1, x2, y2, line);
}

void CopyImage(const Image* source, int x, int y) {
    Image* t = drawing.target;
    if (!t || !source || source == t) return;
    const QImage& src = source->pixels;
    QImage& dst = t->pixels;
    const int sx = std::max(0, -x);
    const int sy = std::max(0, -y);
    const int width = std::min(src.width(), dst.width() - x) - sx;
    const int height = std::min(src.height(), dst.height() - y) - sy;
    if (width <= 0 || height <= 0) return;
    for (int row = 0; row < height; ++row) {
        const QRgb* from = reinterpret_cast<const QRgb*>(src.constScanLine(sy + row)) + sx;
        QRgb* to = reinterpret_cast<QRgb*>(dst.scanLine(y + sy + row)) + x + sx;
        std::memcpy(to, from, static_cast<size_t>(width) * sizeof(QRgb));
    }
    Touch(t);
}

// ---------------------------------------------------------------------------------------------
// Fonts

Font* RequestFont(std::string_view face, int points, bool bold) {
    const auto key = std::make_tuple(std::string(face), points, bold);
    const auto found = drawing.fonts.find(key);
    if (found != drawing.fonts.end()) return found->second;

    Font* font = new Font;
    QFont& q = font->qfont;
    q.setFamily(ResolveFace(face));
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
    for (int code = 0; code < 256; ++code) {
        const QChar ch(Cp1252ToUnicode(static_cast<unsigned char>(code)));
        font->advance[code] = metrics.horizontalAdvance(ch);
        const QList<quint32> glyphs = font->raw.glyphIndexesForString(QString(ch));
        font->glyph[code] = glyphs.isEmpty() ? 0 : glyphs.first();
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
    const Font* f = SelectedFont();
    const DrawState& s = t->state;

    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(static_cast<int>(text.size()));
    positions.reserve(static_cast<int>(text.size()));
    int x = s.x;
    int breaksSeen = 0;
    for (unsigned char c : text) {
        glyphs.append(f->glyph[c]);
        positions.append(QPointF(x, s.y + f->ascent));
        x += f->advance[c];
        // Justification widens the first `breaks` spaces; the remainder goes one pixel each to
        // the first of them.
        if (c == ' ' && s.justifyBreaks > 0 && breaksSeen < s.justifyBreaks) {
            x += s.justifyExtra / s.justifyBreaks + (breaksSeen < s.justifyExtra % s.justifyBreaks);
            ++breaksSeen;
        }
    }
    if (s.opaque) FillPixels(t->pixels, s.x, s.y, x, s.y + f->metrics.height, s.backColour);

    QGlyphRun run;
    run.setRawFont(f->raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    QPainter painter(&t->pixels);
    painter.setPen(QColor(ToQRgb(s.textColour)));
    painter.drawGlyphRun(QPointF(0, 0), run);
    painter.end();
    Touch(t);
}
