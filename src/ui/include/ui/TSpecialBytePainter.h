#pragma once

class QPainter;
class QsciScintilla;
class TPascalLexer;

/// Paints what the editor itself cannot draw in a script pane: each byte without a glyph of its
/// own (a control character, or one of 0x7F to 0x9F) as its Windows-1252 character or, where it
/// has none, as a box, in the colour of its context; and the right-margin line after column 80,
/// two pixels wide and over the text, so that the glyphs of long lines do not break it.
class TSpecialBytePainter {
public:
    /// The column after which the right-margin line stands.
    static constexpr int kEdgeColumn = 80;

    TSpecialBytePainter(const QsciScintilla& pane, const TPascalLexer& lexer)
        : pane_(pane), lexer_(lexer) {}

    /// Paints over the pane's viewport, which `painter` draws on; the lines on screen only.
    void paint(QPainter& painter) const;

private:
    const QsciScintilla& pane_;
    const TPascalLexer& lexer_;
};
