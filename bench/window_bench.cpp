// How long the window takes to open and convert a large script and show the result: the Open
// command's work on a 100,000-line script, then Convert up to the painted Output page. And how
// much memory opening and converting a 20 MB script takes: run that one alone, since a process's
// peak only grows (--benchmark_filter=peakMemory).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <memory>

#include "ui/TDialogs.h"
#include "ui/TMainForm.h"
#include "ui/TScriptEditor.h"

namespace {

class SilentDialogs : public TDialogs {
public:
    QString getOpenFileName(const QString& /*caption*/, const QString& /*folder*/,
                            const QString& /*filter*/, const QString& /*name*/) override {
        return {};
    }
    QString getSaveFileName(const QString& /*caption*/, const QString& /*folder*/,
                            const QString& /*filter*/, const QString& /*name*/) override {
        return {};
    }
    Answer askYesNo(const QString& /*title*/, const QString& /*question*/,
                    Answer /*fallback*/) override {
        return Answer::No;
    }
    void fileTakenFrom(const QString& /*path*/) override {}
    void showError(const QString& message, const QString& /*title*/) override {
        qFatal("unexpected error: %s", qPrintable(message));
    }
    void showNotice(const QString& /*message*/) override {}
};

// The lines of a legacy script: a header, then a body of typical lines, until `keepOn` says stop.
template <typename Line, typename KeepOn>
void scriptLines(Line line, KeepOn keepOn) {
    line("{\r\n{ Big importer\r\n * (c) 2005 someone\r\nprogram Big;\r\n");
    const char* const body[] = {
        "\tPage := TStringList.Create;",
        "\tLineNr := FindLine('<h1 class=\"title\">', Page, 0);",
        "\tif LineNr > -1 then",
        "\t\tSetField(fieldOriginalTitle, Copy(Page.GetString(LineNr), BeginPos, 40));",
        "\tGetPicture(PicURL, False);",
        "\tDisplayResults;",
        "end;",
    };
    for (int i = 4; keepOn(i); ++i) {
        line(QByteArray(body[static_cast<std::size_t>(i) % std::size(body)]) + "\r\n");
    }
}

struct Window {
    QTemporaryDir folder;
    std::unique_ptr<TMainForm> form;
    QString script;

    // A window and a script of `lines` lines, or of about `bytes` bytes.
    explicit Window(int lines, qint64 bytes = 0) {
        form = std::make_unique<TMainForm>(
            std::make_unique<SilentDialogs>(), nullptr,
            TFormSettings(QFile::encodeName(folder.filePath("bench.INI")).toStdString(), "/"));
        script = folder.filePath("big.ifs");
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly)) {
            qFatal("cannot write the benchmark script");
        }
        scriptLines([&file](const QByteArray& line) { file.write(line); },
                    [&](int i) { return bytes > 0 ? file.size() < bytes : i < lines; });
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

double peakMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

// Peak resident memory of opening and converting a script of `megabytes` MB, in MB and as a
// multiple of the script's size; "idle" is the window's before the script was opened.
void peakMemory(benchmark::State& state) {
    Window window(0, state.range(0) << 20);
    const double file = static_cast<double>(QFileInfo(window.script).size()) / (1 << 20);
    const double idle = peakMegabytes();
    for (auto _ : state) {
        window.form->openScriptFile(window.script);
        window.form->InspectorBar1ItemClick(TMainForm::WizardGroup, TMainForm::ConvertItem);
        window.form->view().AdvMemo2->repaint();
    }
    const double peak = peakMegabytes();
    state.counters["file_MB"] = file;
    state.counters["idle_MB"] = idle;
    state.counters["peak_MB"] = peak;
    state.counters["peak_per_file"] = peak / file;
    state.counters["added_per_file"] = (peak - idle) / file;
}

}  // namespace

BENCHMARK(openScript)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(peakMemory)->Arg(20)->Iterations(1)->Unit(benchmark::kMillisecond);
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
