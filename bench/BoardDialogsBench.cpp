// Opening each board dialog (create, load the type's default block, first paint offscreen) and the
// 4DSLv2 line-code change on all four lines. With --screenshots=DIR it instead saves a picture of every
// dialog on its default block into DIR and exits; with --page=FILE it writes the operator's page of the
// board dialogs (scripts/screenshots runs both).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QRadioButton>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "core/boards/BlockFields.h"

#include "gui/boards/BoardDialog.h"
#include "gui/boards/UConfig4DSL.h"
#include "gui/boards/UConfigCPU.h"
#include "gui/widgets/GuiSeams.h"
#include "support/SilentDialogs.h"

namespace {

using namespace tervis;

using test::TSilentDialogs;

struct TDialogCase {
    std::uint8_t Type;
    const char* File;
    const char* Purpose;  // one line for the operator's page
};
constexpr TDialogCase kDialogs[] = {
    {bt1E1, "1E1", "One E1 stream: alarm indication thresholds, loopbacks, AMI coding, remote management."},
    {bt4E1, "4E1", "Four E1 streams, a tab each: clock priority, loopbacks, coding, timeslot 0 and 16 use."},
    {bt4ToP, "4ToP", "Four E1 streams like the 4E1, without the AMI and long-line options."},
    {bt4I15, "4I15", "Four E1 streams with their line code, AIS sending and G.711 options."},
    {bt1DSL, "1DSL", "One DSL line: its rate, loopbacks, NTU side, remote power and LV420 mode."},
    {bt4DSL, "4DSL", "Four DSL lines: line and TDM rates, TC-PAM16/32, line mode and clock priority."},
    {bt4DSLv2, "4DSLv2", "Four DSL lines with line codes TC-PAM 4 to 128, each code bounding its rates."},
    {btCPU, "CPU", "The multiplexer itself: clock synchronisation table and the alarms it signals."},
    {bt4TCh, "4TCh", "Four voice-frequency channels: a fixed level pair and a signalling protocol per set."},
    {bt4TChU, "4TChU",
     "Four voice-frequency channels with adjustable levels; the two-wire boxes live in the slot type "
     "record."},
    {bt4AK, "4AK", "Four subscriber sets, each of which can be switched off."},
    {bt4AL, "4AL", "Four subscriber line sets: switched off, speech key control."},
    {bt4MB, "4MB", "Four local-battery sets: switched off, conversion to E&M signalling."},
    {bt4SLU, "4SLU", "Four trunk line sets: the signalling conversion of each."},
    {btADPCM, "ADPCM", "ADPCM transcoder: how many of its 64 channels run at 16 kbit/s, the rest at 32."},
    {bt8AK, "8AK",
     "Eight subscriber sets: direct subscribers with per-set signalling, or the LV420 remote unit."},
    {bt4TLG, "4TLG", "Four telegraph channels: not used, loopbacks, single polarity, all in one channel."},
    {bt4V24, "4V24", "Four V.24 ports of 110 to 57600 bit/s: rate, signalling, port grouping."},
    {bt2VS, "2VS", "Two n x 64 kbit/s interfaces (V.35, V.11, V.28); n follows the cross-connections."},
    {bt4C64, "4C64", "Four 64 kbit/s sets: clock priority, loopbacks, PRBS test."},
    {btLAN, "LAN", "Ethernet over eight HDLC channels: the bit inversion of each channel."},
    {bt4C1I, "4C1I", "Four sets of 1200 to 48000 bit/s: rate, loopbacks, test patterns, grouping."},
    {btDP, "DP", "Remote power feed: voltage or current source, its limits and switch-off thresholds."},
};
constexpr int kDialogCount = static_cast<int>(std::size(kDialogs));

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
BENCHMARK(BM_OpenDialog)->DenseRange(0, kDialogCount - 1)->Unit(benchmark::kMillisecond);

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
        if (c.Type == bt4TChU) {
            // The two-wire drop shows in set 1's transmit label.
            dialog->findChild<QCheckBox*>("CheckBox2")->setChecked(true);
        }
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

// Where a field's copies lie, as "W1 bits 4k+1" or "W0, W2..W4 bits 8..15".
std::string Place(const boards::TBlockField& field) {
    const int last = field.Bit + field.Width - 1;
    const auto bits = [&](const std::string& low, const std::string& high) {
        return field.Width == 1 ? "bit " + low : "bits " + low + ".." + high;
    };
    std::string word = "W";  // not "W" + ...: that makes GCC 12 at -O3 warn falsely (-Wrestrict)
    word += std::to_string(field.Word);
    switch (field.Sets) {
        case boards::TSetLayout::Single:
            return word + " " + bits(std::to_string(field.Bit), std::to_string(last));
        case boards::TSetLayout::Nibble:
            return word + " " + bits("4k+" + std::to_string(field.Bit), "4k+" + std::to_string(last));
        case boards::TSetLayout::Pair:
            return word + " " + bits("2k+" + std::to_string(field.Bit), "2k+" + std::to_string(last));
        case boards::TSetLayout::BitPerSet:
            return word + " bit k";
        case boards::TSetLayout::BytePair:
            return word + "+k/2 " +
                   bits("8(k%2)+" + std::to_string(field.Bit), "8(k%2)+" + std::to_string(last));
        case boards::TSetLayout::WordPerSet:
            return word + "+k " + bits(std::to_string(field.Bit), std::to_string(last));
        case boards::TSetLayout::WordPerSetSkipSecond:
            return word + ", W" + std::to_string(field.Word + 2) + "..W" + std::to_string(field.Word + 4) +
                   " " + bits(std::to_string(field.Bit), std::to_string(last));
    }
    return word;
}

// The operator's page: every dialog's picture, what the board is for and where its settings lie, written
// from the same field tables the dialogs and the dump use.
int WritePage(const QString& file) {
    std::string page =
        "# Board dialogs\n\n"
        "Every board dialog on its type's default block, as the main window opens it for slot 3. Written by\n"
        "`scripts/screenshots` from the board field tables; do not edit by hand. Words W0..W8 are the "
        "slot's\n"
        "configuration block, k the set (or channel) number.\n";
    for (const TDialogCase& c : kDialogs) {
        const std::string title =
            c.Type == btCPU ? std::string("Настройки мультиплексора") : boards::DialogTitle(c.Type, 3);
        page += "\n## " + BoardTypeName(c.Type) + ": " + title + "\n\n" + c.Purpose + "\n\n";
        page += "![" + title + "](dialogs/" + c.File + ".png)\n\n";
        const boards::TBlockLayout& layout =
            c.Type == btCPU ? boards::MuxSettingsLayout() : *boards::FindBlockLayout(c.Type);
        if (c.Type == btCPU) {
            page += "Settings record W0..W9 (not a block):\n\n";
        }
        for (const boards::TBlockField& field : layout.Fields) {
            std::string caption(field.Caption);
            if (caption.ends_with(':')) {
                caption.pop_back();
            }
            page += "- " + Place(field) + ": " + caption + (field.ReadOnly ? " (shown only)" : "") + "\n";
        }
        if (c.Type == bt4TChU) {
            page += "- slot type record, first parameter word bit k: двухпроводный режим\n";
        }
    }
    FILE* out = std::fopen(file.toLocal8Bit().constData(), "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    std::fwrite(page.data(), 1, page.size(), out);
    return std::fclose(out) == 0 ? 0 : 1;
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
        if (std::strncmp(argv[i], "--page=", 7) == 0) {
            return WritePage(QString::fromLocal8Bit(argv[i] + 7));
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
