// report_logic.cpp - the layout source generator over a described set of
// windows.
#include "textwin/report_logic.h"
#include <stdio.h>
#include <string.h>

void SourceInit(SourceText *s, char *buffer, int capacity)
{
    s->text = buffer;
    s->capacity = capacity;
    s->length = 0;
    s->cut = false;
    if (capacity > 0) buffer[0] = 0;
}

bool SourceAppend(SourceText *s, const char *line)
{
    if (s->cut) return false;
    int n = (int)strlen(line);
    if (s->length + n + 1 > s->capacity) {
        s->cut = true;
        return false;
    }
    memcpy(s->text + s->length, line, n + 1);
    s->length += n;
    return true;
}

int EscapeLiteral(const char *s, char *out, int outBytes, bool (*isLead)(unsigned char))
{
    int n = 0;
    for (int i = 0; s[i]; i++) {
        unsigned char b = (unsigned char)s[i];
        char piece[12];
        int size;
        if (b >= 0x80 && isLead(b) && s[i + 1]) {
            unsigned char trail = (unsigned char)s[i + 1];
            if (trail == '\\') size = snprintf(piece, sizeof piece, "\\%03o\\%03o", b, trail);
            else size = snprintf(piece, sizeof piece, "%c%c", b, trail);
            i++;
        } else if (b == '"' || b == '\\') {
            size = snprintf(piece, sizeof piece, "\\%c", b);
        } else if (b == '\n') {
            size = snprintf(piece, sizeof piece, "\\n");
        } else if (b == '\r') {
            size = snprintf(piece, sizeof piece, "\\r");
        } else if (b < 0x20 && b != '\t') {
            size = snprintf(piece, sizeof piece, "\\%03o", b);
        } else {
            piece[0] = (char)b;
            size = 1;
        }
        if (n + size + 1 > outBytes) break;
        memcpy(out + n, piece, size);
        n += size;
    }
    if (outBytes > 0) out[n] = 0;
    return n;
}

const char *ImageCreationCall(int bits, int limitMode)
{
    if (bits == 8) return limitMode ? "NBX_CreateImage8" : "NBX_CreateImage8FL";
    return limitMode ? "NBX_CreateImage" : "NBX_CreateImageFL";
}

// Each line is formatted into a line buffer first; escaped strings are
// limited so that the longest line still fits it.
struct LineWriter {
    SourceText *out;
    bool (*isLead)(unsigned char);
    char line[kSourceLineBytes];
    char literal[kSourceStringBytes];

    const char *Escaped(const char *s)
    {
        EscapeLiteral(s ? s : "", literal, sizeof literal, isLead);
        return literal;
    }
    template <class... Args>
    void Put(const char *format, Args... args)
    {
        snprintf(line, sizeof line, format, args...);
        SourceAppend(out, line);
    }
};

void GenerateLayoutSource(const WindowSet &set, SourceText *out, bool (*isLead)(unsigned char))
{
    LineWriter w;
    w.out = out;
    w.isLead = isLead;
    w.Put("\t// NUBRIX --- Automatic Source Generator\n");
    if (set.imageCount > 0) w.Put("\t// [Image Window]\n");
    for (int i = 0; i < set.imageCount; i++) {
        const ImageEntry &e = set.images[i];
        w.Put("\t%s(%d,\"%s\",%d,%d,%d,%d,%d);\n", ImageCreationCall(e.bits, e.limitMode), e.index,
              w.Escaped(e.title), e.x, e.y, e.width, e.height, e.zoom);
    }
    w.Put("\t// [Text Window]\n");
    for (int i = 0; i < set.textCount; i++) {
        const TextEntry &e = set.texts[i];
        w.Put("\tNBX_OpenTextWindow(%d,%d,%d,%d,%d);\n", e.index, e.x, e.y, e.width, e.height);
    }
    const InputBoxEntry &in = set.input;
    if (in.open) {
        w.Put("\t// [Input Box]\n");
        w.Put("\tNBX_OpenInputBox(%d,%d,%d);\n", in.x, in.y, in.count);
        w.Put("\tNBX_ResizeInputBox(%d,%d);\n", in.isize, in.esize);
        for (int i = 0; i < in.count && i < 30; i++)
            w.Put("\tNBX_SetInputBoxTitle(%d,\"%s\");\n", i, w.Escaped(in.labels[i]));
    }
    const ButtonBoxEntry &bb = set.buttons;
    if (bb.open) {
        w.Put("\t// [Button Box]\n");
        w.Put("\tNBX_OpenButtonBox(%d,%d,%d,%d);\n", bb.x, bb.y, bb.nx, bb.ny);
        w.Put("\tNBX_ResizeButtonBox(%d,%d);\n", bb.width, bb.height);
        for (int i = 0; i < bb.count; i++)
            w.Put("\tNBX_SetButtonBoxTitle(%d,\"%s\");\n", i, w.Escaped(bb.captions[i]));
    }
    w.Put("\tNBX_SetForeground(NBXMAINWINDOW);\n");
}
