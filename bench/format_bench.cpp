// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of amount formatting and parsing, and of laying out and drawing the welcome banner,
// the longest text the program puts in a box.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string_view>

#include "app/texts.h"
#include "format/format.h"
#include "view/banner.h"
#include "view/calendar.h"
#include "view/text_layout.h"

namespace {

// Day allowances, balances and spent amounts as the calendar shows them, with a few large ones.
constexpr double AMOUNTS[] = {0.0,       12.5,          100.0 / 3.0,   -45.678,    1234.5,
                              2.675,     999.999,       1234567.891,   -0.001,     58.064516129,
                              -17.35,    1800.0 / 31.0, 987654321.987, 0.125,      -999999999999.99,
                              3.1415926, 42.0,          -1234.5678,    250000.005, 0.375};
constexpr size_t AMOUNT_COUNT = sizeof AMOUNTS / sizeof AMOUNTS[0];

constexpr std::string_view TYPED_TEXTS[] = {"25", "25,5", "12'50", "1.234",
                                            ",5", "7.",   "1500",  "0,99"};
constexpr size_t TYPED_COUNT = sizeof TYPED_TEXTS / sizeof TYPED_TEXTS[0];

void FormatAmountMix(benchmark::State& state) {
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatAmount(AMOUNTS[next]));
        next = next + 1 == AMOUNT_COUNT ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FormatAmountMix);

void ParseAmountMix(benchmark::State& state) {
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseAmount(TYPED_TEXTS[next]));
        next = next + 1 == TYPED_COUNT ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ParseAmountMix);

// Breaking and placing the banner's lines with the real font, without painting.
void LayOutWelcomeBanner(benchmark::State& state) {
    Fonts fonts;
    const Font& font = fonts.Get(PAGE_FONT_FACE, BANNER_POINTS, true);
    const FitCounter fit = [&font](std::string_view text, int width) {
        return font.FitCount(text, width);
    };
    const WidthMeasure measure = [&font](std::string_view text) { return font.Width(text); };
    BoxLines lines;
    LinePlacement placement[TEXT_LINE_LIMIT + 1];
    for (auto _ : state) {
        BreakIntoLines(TEXT_WELCOME, BANNER_TEXT_WIDTH, fit, lines);
        PlaceLines(lines, Alignment::Centre, BANNER_TEXT_LEFT, BANNER_TEXT_WIDTH, measure,
                   placement);
        benchmark::DoNotOptimize(placement[1].x);
    }
}
BENCHMARK(LayOutWelcomeBanner);

// The whole call as the banner makes it: white text, centred, into a 520 x 200 image.
void DrawWelcomeBanner(benchmark::State& state) {
    Fonts fonts;
    Image image(BANNER_WIDTH, BANNER_HEIGHT);
    image.Clear(COLOUR_BLUE);
    const Font& font = fonts.Get(PAGE_FONT_FACE, BANNER_POINTS, true);
    for (auto _ : state) {
        DrawTextInBox(image, TEXT_WELCOME, Alignment::Centre, BANNER_TEXT_LEFT, BANNER_TEXT_TOP,
                      BANNER_TEXT_WIDTH, font, COLOUR_WHITE);
    }
}
BENCHMARK(DrawWelcomeBanner);

}  // namespace
