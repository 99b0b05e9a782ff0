// report_logic.h - the layout source text: framework calls that recreate a
// described set of windows, built on plain values so it is tested directly.
#ifndef NBX_REPORT_LOGIC_H
#define NBX_REPORT_LOGIC_H

enum { kSourceBytes = 30000, kSourceLineBytes = 512, kSourceStringBytes = 400 };

// What the source needs of each window; X and Y are the outer top-left
// corner on screen.
struct ImageEntry {
    int index, bits, limitMode;
    const char *title;
    int x, y, width, height, zoom;
};
struct TextEntry {
    int index, x, y, width, height;   // client size
};
struct InputBoxEntry {
    int open, x, y, count, isize, esize;
    const char *labels[30];
};
struct ButtonBoxEntry {
    int open, x, y, nx, ny, width, height;   // client size
    int count;
    const char *const *captions;
};
struct WindowSet {
    const ImageEntry *images;
    int imageCount;
    const TextEntry *texts;
    int textCount;
    InputBoxEntry input;
    ButtonBoxEntry buttons;
};

// Source text built by appending whole lines into a fixed buffer. A line
// that does not fit ends the text there: it is cut at a whole line and `cut`
// is set; nothing after it is appended.
struct SourceText {
    char *text;
    int capacity;     // bytes, terminator included
    int length;
    bool cut;
};
void SourceInit(SourceText *s, char *buffer, int capacity);
bool SourceAppend(SourceText *s, const char *line);

// Writes s as the inside of a C string literal into out (outBytes with the
// terminator): '"' and '\' get a backslash, line feed and carriage return
// become \n and \r, other control bytes octal escapes. A double-byte
// character (isLead) is copied as it is, unless its second byte is a
// backslash: then both bytes are written as octal escapes, so the literal
// holds the same bytes whether a compiler reads the file as Shift-JIS or
// byte by byte. Stops before an escape or character that would not fit.
// Returns the length written.
int EscapeLiteral(const char *s, char *out, int outBytes, bool (*isLead)(unsigned char));

// The creation call that reproduces an image of that depth and limit mode.
const char *ImageCreationCall(int bits, int limitMode);

// The whole layout source of a set, sections in the order images, text
// windows, input box, button box, then the call that brings the main window
// to the front.
void GenerateLayoutSource(const WindowSet &set, SourceText *out, bool (*isLead)(unsigned char));

#endif
