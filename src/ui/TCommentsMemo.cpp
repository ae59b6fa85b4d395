#include "ui/TCommentsMemo.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

#include "ui/Look.h"
#include "ui/TFieldText.h"
#include "ui/TPropertyEdit.h"

TCommentsMemo::TCommentsMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setFont(look::fieldFont());
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
}

std::vector<std::string> TCommentsMemo::lines() const {
    std::vector<std::string> result;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        // A soft line break (Shift+Enter) ends a line as well.
        for (const QString& line : block.text().split(QChar::LineSeparator)) {
            // The box only ever holds text that Windows-1252 can hold (see acceptOrRefuse).
            result.push_back(TFieldText::toBytes(line).value_or(std::string()));
        }
    }
    if (!result.empty() && result.back().empty()) {
        result.pop_back();
    }
    return result;
}

void TCommentsMemo::setLines(const std::vector<std::string>& lines) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        texts.append(TFieldText::toText(line));
    }
    QString text = texts.join(QLatin1Char('\n'));
    if (!lines.empty() && lines.back().empty()) {
        text += QLatin1Char('\n');
    }
    setPlainText(text);
}

void TCommentsMemo::setBackground(const QColor& colour) {
    QPalette palette = this->palette();
    TPropertyEdit::keepLockedFieldReadable(palette);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, colour);
    }
    setPalette(palette);
}

bool TCommentsMemo::acceptOrRefuse(const QString& text) {
    QString problem;
    if (TFieldText::toBytes(text, &problem)) {
        return true;
    }
    const QString notice = TFieldText::refusalNotice(problem);
    TFieldText::showRefusal(viewport(), cursorRect().bottomLeft(), notice);
    emit textRefused(notice);
    return false;
}

void TCommentsMemo::keyPressEvent(QKeyEvent* event) {
    if (!isReadOnly() && !event->text().isEmpty() && event->text().at(0).unicode() >= 0x20 &&
        !acceptOrRefuse(event->text())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TCommentsMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (isReadOnly() || event->commitString().isEmpty() || acceptOrRefuse(event->commitString())) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent preeditOnly(event->preeditString(), event->attributes());
    QPlainTextEdit::inputMethodEvent(&preeditOnly);
    event->accept();
}

bool TCommentsMemo::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText() && TFieldText::toBytes(source->text()).has_value();
}

void TCommentsMemo::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || !source->hasText()) {
        return;
    }
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (acceptOrRefuse(text)) {
        textCursor().insertText(text);
        ensureCursorVisible();
    }
}
