// Opening each board dialog (create, load the type's default block, first paint offscreen) and the
// 4DSLv2 line-code change on all four lines. With --screenshots=DIR it instead saves a picture of every
// dialog on its default block into DIR and exits (scripts/screenshots).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QRadioButton>

#include <benchmark/benchmark.h>

#include <cstring>

#include "gui/boards/BoardDialog.h"
#include "gui/boards/UConfig4DSL.h"
#include "gui/boards/UConfigCPU.h"
#include "gui/widgets/GuiSeams.h"

namespace {

using namespace tervis;

class TSilentDialogs : public IDialogs {
public:
    TAnswer Ask(QWidget*, const QString&, bool) override { return TAnswer::No; }
    void Message(QWidget*, const QString&) override {}
    std::optional<QString> OpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QString> SaveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    int Exec(QDialog&) override { return 0; }
    QAction* Popup(QMenu&, const QPoint&) override { return nullptr; }
};

struct TDialogCase {
    std::uint8_t Type;
    const char* File;
};
constexpr TDialogCase kDialogs[] = {
    {bt1E1, "1E1"},   {bt4E1, "4E1"},   {bt4ToP, "4ToP"},     {bt4I15, "4I15"},
    {bt1DSL, "1DSL"}, {bt4DSL, "4DSL"}, {bt4DSLv2, "4DSLv2"}, {btCPU, "CPU"},
};

// A dialog as the main window opens it: titled for slot 3 and loaded with the type's default block.
std::unique_ptr<boards::TConfigDialog> Open(std::uint8_t type, IDialogs& dialogs) {
    std::unique_ptr<boards::TConfigDialog> dialog = boards::CreateBoardDialog(type, dialogs, nullptr);
    if (auto* cpu = qobject_cast<boards::TConfigCPUForm*>(dialog.get())) {
        cpu->LoadFromSettings({0, 16, 96, 96, 96, 96, 3, 255, 255, 0});
    } else {
        auto& board = static_cast<boards::TBoardDialog&>(*dialog);
        board.setWindowTitle(QString::fromStdString(boards::DialogTitle(type, 3)));
        board.LoadFromBlock(TMux::DefaultBoardConfig(type));
    }
    return dialog;
}

void BM_OpenDialog(benchmark::State& state) {
    const TDialogCase& c = kDialogs[state.range(0)];
    state.SetLabel(c.File);
    TSilentDialogs dialogs;
    for (auto _ : state) {
        std::unique_ptr<boards::TConfigDialog> dialog = Open(c.Type, dialogs);
        dialog->show();
        QPixmap painted = dialog->grab();  // the first paint of every control
        benchmark::DoNotOptimize(painted);
    }
}
BENCHMARK(BM_OpenDialog)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

void BM_LineCodeChange4DSLv2(benchmark::State& state) {
    TSilentDialogs dialogs;
    boards::TConfig4DSLv2Form dialog(dialogs);
    dialog.LoadFromBlock(TMux::DefaultBoardConfig(bt4DSLv2));
    int code = 5;
    for (auto _ : state) {
        code = code == 5 ? 0 : 5;
        for (int set = 0; set < 4; ++set) {
            auto* list = dialog.findChild<QComboBox*>(QString("CBTcpam%1").arg(set));
            list->setCurrentIndex(code);
            emit list->activated(code);
        }
    }
}
BENCHMARK(BM_LineCodeChange4DSLv2)->Unit(benchmark::kMicrosecond);

int SaveScreenshots(const QString& folder) {
    QDir().mkpath(folder);
    TSilentDialogs dialogs;
    for (const TDialogCase& c : kDialogs) {
        std::unique_ptr<boards::TConfigDialog> dialog = Open(c.Type, dialogs);
        dialog->show();
        QApplication::processEvents();
        const QString name = QDir(folder).filePath(QString("%1.png").arg(c.File));
        if (!dialog->grab().save(name)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    // The CPU's priority table shows only for the table types.
    std::unique_ptr<boards::TConfigDialog> cpu = Open(btCPU, dialogs);
    cpu->findChild<QRadioButton*>("RadioGroup1_2")->click();
    cpu->show();
    QApplication::processEvents();
    return cpu->grab().save(QDir(folder).filePath("CPU-table.png")) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--screenshots=", 14) == 0) {
            return SaveScreenshots(QString::fromLocal8Bit(argv[i] + 14));
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
