#include "ui/TSpecialBytePainter.h"

#include <Qsci/qsciscintilla.h>

#include <QPainter>

#include <algorithm>
#include <string>

#include "conversion/Windows1252.h"
#include "ui/Look.h"
#include "ui/TPascalLexer.h"

namespace {

using Sci = QsciScintillaBase;

/// The character a byte without a glyph of its own stands for: its Windows-1252 character, or
/// nothing for control characters and the bytes Windows-1252 leaves undefined (drawn as a box).
QString specialGlyph(unsigned char byte) {
    const char32_t unicode = quillshift::windows1252::toUnicode(byte);
    if (unicode < 0xA0) {
        return {};
    }
    return QString::fromUcs4(&unicode, 1);
}

}  // namespace

void TSpecialBytePainter::paint(QPainter& painter) const {
    const auto send = [this](unsigned int message, unsigned long wParam = 0, long lParam = 0) {
        return pane_.SendScintilla(message, wParam, lParam);
    };
    const int textLeft = pane_.marginWidth(0) + pane_.marginWidth(1) + pane_.marginWidth(2);
    const QWidget* viewport = pane_.viewport();
    painter.save();
    painter.setClipRect(QRect(textLeft, 0, viewport->width() - textLeft, viewport->height()),
                        Qt::IntersectClip);

    const long total = send(Sci::SCI_GETLINECOUNT);
    const long first = send(Sci::SCI_DOCLINEFROMVISIBLE,
                            static_cast<unsigned long>(send(Sci::SCI_GETFIRSTVISIBLELINE)));
    const long last = std::min(total - 1, first + send(Sci::SCI_LINESONSCREEN) + 1);
    const int lineHeight = static_cast<int>(send(Sci::SCI_TEXTHEIGHT));
    const long selectionStart = send(Sci::SCI_GETSELECTIONSTART);
    const long selectionEnd = send(Sci::SCI_GETSELECTIONEND);
    const std::string edgeBlanks(kEdgeColumn, ' ');
    const int edgeWidth = static_cast<int>(
        pane_.SendScintilla(Sci::SCI_TEXTWIDTH, Sci::STYLE_DEFAULT, edgeBlanks.c_str()));
    const auto xOf = [&send](long position) {
        return static_cast<int>(send(Sci::SCI_POINTXFROMPOSITION, 0UL, position));
    };
    const int edgeX =
        xOf(send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(first))) + edgeWidth + 1;

    std::string text;
    for (long line = first; line <= last; ++line) {
        const long start = send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        const long end = send(Sci::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
        const int y = static_cast<int>(send(Sci::SCI_POINTYFROMPOSITION, 0UL, start));
        text.assign(static_cast<std::size_t>(end - start) + 1, '\0');
        pane_.SendScintilla(Sci::SCI_GETTEXTRANGE, start, end, text.data());
        for (long i = 0; i < end - start; ++i) {
            const auto byte = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
            if (!TPascalLexer::isSpecialByte(byte)) {
                continue;
            }
            const long position = start + i;
            const int x = xOf(position);
            const QRect cell(x, y, std::max(xOf(position + 1) - x, 1), lineHeight);
            const bool selected = position >= selectionStart && position < selectionEnd;
            const int style = TPascalLexer::baseStyle(
                static_cast<int>(send(Sci::SCI_GETSTYLEAT, static_cast<unsigned long>(position))));
            const QColor colour = selected ? look::kWhite : lexer_.color(style);
            if (selected) {
                painter.fillRect(cell, look::kNavy);
            }
            painter.setPen(colour);
            const QString glyph = specialGlyph(byte);
            if (glyph.isEmpty()) {
                painter.drawRect(cell.adjusted(2, 3, -3, -4));
            } else {
                painter.setFont(lexer_.font(style));
                painter.drawText(cell, Qt::AlignCenter, glyph);
            }
        }
    }
    painter.fillRect(QRect(edgeX - 1, 0, 2, viewport->height()), look::kEdgeGrey);
    painter.restore();
}
