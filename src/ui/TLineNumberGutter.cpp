#include "ui/TLineNumberGutter.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "ui/Look.h"

namespace {

constexpr int kMargin = 0;
constexpr int kMinimumDigits = 4;
constexpr int kPadding = 8;

}  // namespace

TLineNumberGutter::TLineNumberGutter(QsciScintilla& pane) : QObject(&pane), pane_(pane) {
    pane_.setMarginType(kMargin, QsciScintilla::TextMarginRightJustified);
    pane_.setMarginWidth(kMargin, 0);
    pane_.setMarginsFont(look::marginFont());
    pane_.setMarginsBackgroundColor(look::kMarginGrey);
    pane_.setMarginsForegroundColor(look::kBlack);
    connect(&pane_, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { refresh(); });
}

void TLineNumberGutter::setVisible(bool visible) {
    visible_ = visible;
    if (!visible) {
        digits_ = 0;
        pane_.setMarginWidth(kMargin, 0);
        return;
    }
    refresh();
}

int TLineNumberGutter::width() const {
    const std::string digits(static_cast<std::size_t>(digits_), '0');
    return static_cast<int>(pane_.SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH,
                                                QsciScintillaBase::STYLE_LINENUMBER,
                                                digits.c_str())) +
           kPadding;
}

void TLineNumberGutter::refresh() {
    if (!visible_) {
        return;
    }
    const long total = pane_.SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
    const int digits = std::max(kMinimumDigits, static_cast<int>(std::to_string(total).size()));
    if (digits != digits_) {
        digits_ = digits;
        pane_.setMarginWidth(kMargin, width());
    }
    const long firstVisible = pane_.SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const long first = pane_.SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE, firstVisible);
    const long last =
        std::min(total - 1, first + pane_.SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN) + 1);
    char current[32];
    for (long line = first; line <= last; ++line) {
        std::string wanted = std::to_string(line + 1);
        wanted.insert(
            0, static_cast<std::size_t>(std::max(0, digits - static_cast<int>(wanted.size()))),
            '0');
        const auto at = static_cast<unsigned long>(line);
        const long length = pane_.SendScintilla(QsciScintillaBase::SCI_MARGINGETTEXT, at,
                                                static_cast<void*>(nullptr));
        if (length == static_cast<long>(wanted.size())) {
            pane_.SendScintilla(QsciScintillaBase::SCI_MARGINGETTEXT, at,
                                static_cast<void*>(current));
            if (std::string_view(current, static_cast<std::size_t>(length)) == wanted) {
                continue;
            }
        }
        pane_.SendScintilla(QsciScintillaBase::SCI_MARGINSETTEXT, at, wanted.c_str());
        pane_.SendScintilla(QsciScintillaBase::SCI_MARGINSETSTYLE, at,
                            static_cast<long>(QsciScintillaBase::STYLE_LINENUMBER));
    }
}
