#pragma once

#include <QString>

#include <cstddef>

// A text of a scene and where its top left corner goes.
struct PlacedText {
    int x;
    int y;
    QString text;
};

// Writes the texts in order, with a transparent background, in the font colour
// the drawing area holds.
void WriteTexts(const PlacedText* first, const PlacedText* last);

// A commentary: blue lines at x = 560, from y = 50 down, 20 px apart, with a
// transparent background.
void WriteCommentary(const QString* first, const QString* last);

template <std::size_t N>
void WriteTexts(const PlacedText (&texts)[N])
{
    WriteTexts(texts, texts + N);
}

template <std::size_t N>
void WriteCommentary(const QString (&lines)[N])
{
    WriteCommentary(lines, lines + N);
}
