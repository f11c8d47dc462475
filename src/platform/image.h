// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures in memory and what is drawn on them: boxes, frames, copies and text in the program's
// fonts, every pixel exact (no blending, no anti-aliasing). Plain C++ types only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>

#include "model/geometry.h"

// Colours: 0x00BBGGRR.
using Colour = uint32_t;

constexpr Colour Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}
constexpr uint32_t RedOf(Colour c) {
    return c & 0xFF;
}
constexpr uint32_t GreenOf(Colour c) {
    return (c >> 8) & 0xFF;
}
constexpr uint32_t BlueOf(Colour c) {
    return (c >> 16) & 0xFF;
}

constexpr Colour COLOUR_BLACK = Rgb(0, 0, 0);
constexpr Colour COLOUR_WHITE = Rgb(255, 255, 255);
constexpr Colour COLOUR_RED = Rgb(255, 0, 0);
constexpr Colour COLOUR_GREEN = Rgb(0, 255, 0);
constexpr Colour COLOUR_BLUE = Rgb(0, 0, 255);
constexpr Colour COLOUR_YELLOW = Rgb(255, 255, 0);

struct FontMetrics {
    int averageCharWidth;
    int height;  // ascent plus descent
    int externalLeading;
};

// A face at a pixel size and weight. Texts are measured as they are drawn: character by
// character, without kerning or ligatures.
class Font {
public:
    struct Data;
    explicit Font(std::unique_ptr<Data> data);
    ~Font();

    int Width(std::string_view text) const;
    // How many leading characters of `text` fit within `maxWidth` pixels.
    int FitCount(std::string_view text, int maxWidth) const;
    const FontMetrics& Metrics() const;
    // Height plus external leading: the distance from one line of text to the next.
    int LineHeight() const;
    bool HasGlyph(char32_t character) const;
    std::string Family() const;  // the face it resolved to
    int PixelSize() const;
    bool Bold() const;

private:
    friend class Image;
    std::unique_ptr<Data> data_;
};

// The program's fonts by face, size in points (at 96 dots per inch: 12 pt = 16 px), weight and
// width (a percentage of the face's own, narrower glyphs drawn from their outlines); an identical
// request gives the same font. "Tahoma" resolves to the Tahoma-metric faces when they are
// installed, else to a face narrow enough for the page; "Lucida Console" to a monospaced face.
class Fonts {
public:
    // With the Tahoma-metric faces when they can be found.
    Fonts();
    // With `pageFace` for "Tahoma", as on a machine without it (the window system's own choice
    // when that is not installed either).
    explicit Fonts(std::string pageFace);
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    const Font& Get(std::string_view face, int points, bool bold, int stretch = 100);
    // The font asked for, or, when `text` is wider than `width` in it, the widest narrower one it
    // fits: the face condensed step by step, then a smaller size; the smallest when none fits.
    const Font& Fitting(std::string_view face, int points, bool bold, std::string_view text,
                        int width);

private:
    std::string pageFace_;
    std::map<std::tuple<std::string, int, bool, int>, std::unique_ptr<Font>> fonts_;
};

// Extra pixels spread over the first `breaks` spaces of a text.
struct Justification {
    int extra = 0;
    int breaks = 0;
};

// w x h pixels of 32-bit colour, white when made.
class Image {
public:
    // A window paints a screen image's buffer as it is; an offscreen one may put off a clear
    // until its pixels are next used.
    enum class Use { Offscreen, Screen };

    Image(int width, int height, Use use = Use::Offscreen);
    ~Image();
    Image(Image&&) noexcept;
    Image& operator=(Image&&) noexcept;

    int Width() const;
    int Height() const;
    Colour Pixel(int x, int y) const;  // white outside the image
    // The start of row y of the buffer, 0x00RRGGBB pixels, for a window that paints it (screen
    // images only).
    const uint32_t* ScreenRow(int y) const;

    void Clear(Colour colour);
    // A box: its one-pixel outline runs along left and right - 1, top and bottom - 1, and the
    // inside is filled. A box whose right is not past its left, or bottom below its top, draws
    // nothing at all.
    void Box(const Rect& box, Colour line, Colour fill);
    // The same outline, not filled; a wider pen spreads equally to both sides of it.
    void Frame(const Rect& box, Colour line, int penWidth = 1);
    // The whole of `source` with its top-left corner at `at`, clipped.
    void Copy(const Image& source, Point at);
    // The part of `source` inside `part`, onto the same place here, clipped.
    void CopyPart(const Image& source, const Rect& part);
    // A text with the top-left corner of its first character's cell at `at`; only the glyphs are
    // painted. Justification widens the first spaces.
    void Text(Point at, std::string_view text, const Font& font, Colour colour,
              Justification justification = {});
    // A text on a filled background as wide as the text and as high as the font.
    void OpaqueText(Point at, std::string_view text, const Font& font, Colour colour, Colour back);

    struct Pixels;

private:
    std::unique_ptr<Pixels> pixels_;
};
