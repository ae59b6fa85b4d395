// How long the window takes to open and convert a large script and show the result: the Open
// command's work on a 100,000-line script, then Convert up to the painted Output page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "ui/TDialogs.h"
#include "ui/TMainForm.h"
#include "ui/TScriptEditor.h"

namespace {

class SilentDialogs : public TDialogs {
public:
    QString getOpenFileName(const QString&, const QString&, const QString&,
                            const QString&) override {
        return {};
    }
    QString getSaveFileName(const QString&, const QString&, const QString&,
                            const QString&) override {
        return {};
    }
    Answer askYesNo(const QString&, const QString&, Answer) override { return Answer::No; }
    void fileTakenFrom(const QString&) override {}
    void showError(const QString& message, const QString&) override {
        qFatal("unexpected error: %s", qPrintable(message));
    }
    void showNotice(const QString&) override {}
};

// A legacy script of `lines` lines: a header, then a body of typical lines.
QByteArray makeScript(int lines) {
    QByteArray script = "{\r\n{ Big importer\r\n * (c) 2005 someone\r\nprogram Big;\r\n";
    const char* const body[] = {
        "\tPage := TStringList.Create;",
        "\tLineNr := FindLine('<h1 class=\"title\">', Page, 0);",
        "\tif LineNr > -1 then",
        "\t\tSetField(fieldOriginalTitle, Copy(Page.GetString(LineNr), BeginPos, 40));",
        "\tGetPicture(PicURL, False);",
        "\tDisplayResults;",
        "end;",
    };
    for (int i = 4; i < lines; ++i) {
        script += body[i % std::size(body)];
        script += "\r\n";
    }
    return script;
}

struct Window {
    QTemporaryDir folder;
    std::unique_ptr<TMainForm> form;
    QString script;

    explicit Window(int lines) {
        form = std::make_unique<TMainForm>(
            std::make_unique<SilentDialogs>(), nullptr,
            TFormSettings(QFile::encodeName(folder.filePath("bench.INI")).toStdString(), "/"));
        script = folder.filePath("big.ifs");
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly) || file.write(makeScript(lines)) < 0) {
            qFatal("cannot write the benchmark script");
        }
        file.close();
        form->show();
        QApplication::processEvents();
    }
};

void openScript(benchmark::State& state) {
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.form->openScriptFile(window.script);
        window.form->view().AdvMemo1->repaint();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void openAndConvert(benchmark::State& state) {
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.form->openScriptFile(window.script);
        window.form->InspectorBar1ItemClick(TMainForm::WizardGroup, TMainForm::ConvertItem);
        window.form->view().AdvMemo2->repaint();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(openScript)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(openAndConvert)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
