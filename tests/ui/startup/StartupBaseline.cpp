// The reference for start-up time: a bare Qt window holding two QScintilla panes, nothing else.
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    layout->addWidget(new QsciScintilla(&window));
    layout->addWidget(new QsciScintilla(&window));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
