// Layout of the text overlay's font: which character each glyph draws and
// how wide it is. Shared by the font generator (which renders the glyphs
// at exactly these widths) and by the overlay (which indexes the blob).
//
// The blob BMP_TEXTFONT holds the 96 glyphs one after the other, each
// width x 32 bytes, row by row. A pixel is 0 (transparent) or one of the
// eight levels 1, 2, 4, ... 128: 1 is the black outline, 128 the white
// body, the ones between the anti-aliasing greys.
#ifndef VORN_TEXTFONT_H
#define VORN_TEXTFONT_H

#define TEXTFONT_GLYPHS 96
#define TEXTFONT_HEIGHT 32
// The glyph drawn for any character not in the list.
#define TEXTFONT_UNKNOWN 95

// One byte per glyph, Latin-1. Entry 95 (the vertical bar) is never
// matched: the lookup stops at 94 and falls back to the unknown glyph.
static constexpr unsigned char g_ucTextFontChars[TEXTFONT_GLYPHS] = {
    ' ',  'a',  'b',  'c',  'd',  'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o',
    'p',  'q',  'r',  's',  't',  'u', 'v', 'w', 'x', 'y', 'z', 'A', 'B', 'C', 'D', 'E',
    'F',  'G',  'H',  'I',  'J',  'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R', 'S', 'T', 'U',
    'V',  'W',  'X',  'Y',  'Z',  '"', '!', '/', '$', '%', '?', '&', '*', '(', ')', '_',
    '+',  '-',  '=',  '{',  '}',  '#', '@', '\'', '~', '<', '>', '0', '1', '2', '3', '4',
    '5',  '6',  '7',  '8',  '9',  '.', ',', ':', ';', '[', ']', 0xE9, 0xC9, 0xA3, 0xA2, 0x7C,
};

// Glyph widths in pixels; consecutive glyphs overlap by two columns.
static constexpr int g_nTextFontWidths[TEXTFONT_GLYPHS] = {
    12, 20, 22, 19, 22, 19, 17, 21, 24, 15, 13, 27, 14, 32, 23, 20, // space, a..o
    23, 23, 20, 16, 18, 23, 22, 33, 22, 22, 18, 27, 24, 24, 26, 24, // p..z, A..E
    23, 27, 27, 15, 23, 27, 22, 30, 27, 25, 23, 25, 26, 22, 24, 28, // F..U
    27, 34, 28, 26, 23, 18, 11, 19, 19, 26, 18, 29, 17, 17, 16, 17, // V..Z, " ! / $ % ? & * ( ) _
    18, 13, 18, 15, 14, 16, 23, 10, 17, 18, 18, 19, 19, 20, 21, 21, // + - = { } # @ ' ~ < > 0..4
    20, 21, 21, 21, 20, 10, 12, 11, 11, 15, 15, 20, 24, 22, 17, 22, // 5..9 . , : ; [ ] é É £ ¢ unknown
};

#endif
