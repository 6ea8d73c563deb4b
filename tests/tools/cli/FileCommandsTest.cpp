#include "FileCommands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/model/Recorders.h"
#include "support/Endpoints.h"
#include "support/TempDir.h"

namespace tervis::cli {
namespace {

using Lines = std::vector<std::string>;

using test::Ep;

// Just enough of a JSON reader to check that the output is a well-formed document and to walk it.
struct TJson {
    enum class TKind { Null, Bool, Number, String, Array, Object };
    TKind Kind = TKind::Null;
    bool Flag = false;
    double Value = 0;
    std::string Text;
    std::vector<TJson> Items;
    std::vector<std::pair<std::string, TJson>> Members;

    const TJson& operator[](const std::string& key) const {
        for (const auto& [name, value] : Members) {
            if (name == key) {
                return value;
            }
        }
        throw std::out_of_range("no key " + key);
    }
    const TJson& operator[](std::size_t index) const { return Items.at(index); }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (const auto& member : Members) {
            keys.push_back(member.first);
        }
        return keys;
    }
};

class TJsonReader {
public:
    static TJson Parse(const std::string& text) {
        TJsonReader reader(text);
        TJson value = reader.Value();
        reader.Blank();
        if (reader.at_ != text.size()) {
            throw std::runtime_error("text after the document");
        }
        return value;
    }

private:
    explicit TJsonReader(const std::string& text) : text_(text) {}

    void Blank() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\t' || text_[at_] == '\r')) {
            ++at_;
        }
    }
    char Next() {
        if (at_ >= text_.size()) {
            throw std::runtime_error("unexpected end");
        }
        return text_[at_++];
    }
    void Expect(char c) {
        if (Next() != c) {
            throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(at_));
        }
    }
    bool Take(const std::string& word) {
        if (text_.compare(at_, word.size(), word) == 0) {
            at_ += word.size();
            return true;
        }
        return false;
    }
    TJson Value() {
        Blank();
        TJson value;
        if (at_ >= text_.size()) {
            throw std::runtime_error("unexpected end");
        }
        const char c = text_[at_];
        if (c == '{') {
            value.Kind = TJson::TKind::Object;
            ++at_;
            Blank();
            if (!Take("}")) {
                do {
                    Blank();
                    std::string key = String();
                    Blank();
                    Expect(':');
                    value.Members.emplace_back(std::move(key), Value());
                    Blank();
                } while (Take(","));
                Expect('}');
            }
        } else if (c == '[') {
            value.Kind = TJson::TKind::Array;
            ++at_;
            Blank();
            if (!Take("]")) {
                do {
                    value.Items.push_back(Value());
                    Blank();
                } while (Take(","));
                Expect(']');
            }
        } else if (c == '"') {
            value.Kind = TJson::TKind::String;
            value.Text = String();
        } else if (Take("null")) {
        } else if (Take("true") || Take("false")) {
            value.Kind = TJson::TKind::Bool;
            value.Flag = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
        } else {
            const std::size_t start = at_;
            while (at_ < text_.size() &&
                   std::string("-+.eE0123456789").find(text_[at_]) != std::string::npos) {
                ++at_;
            }
            std::size_t used = 0;
            value.Kind = TJson::TKind::Number;
            value.Value = std::stod(text_.substr(start, at_ - start), &used);
            if (used != at_ - start) {
                throw std::runtime_error("bad number");
            }
        }
        return value;
    }
    std::string String() {
        Expect('"');
        std::string result;
        for (;;) {
            const char c = Next();
            if (c == '"') {
                return result;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                throw std::runtime_error("raw control character in a string");
            }
            if (c != '\\') {
                result += c;
                continue;
            }
            const char e = Next();
            const std::string simple = "\"\\/bfnrt";
            const std::string meant = "\"\\/\b\f\n\r\t";
            if (const auto k = simple.find(e); k != std::string::npos) {
                result += meant[k];
            } else if (e == 'u') {
                const unsigned code = static_cast<unsigned>(std::stoul(text_.substr(at_, 4), nullptr, 16));
                at_ += 4;
                if (code >= 0x80) {
                    throw std::runtime_error("only control characters are expected as \\u escapes");
                }
                result += static_cast<char>(code);
            } else {
                throw std::runtime_error("bad escape");
            }
        }
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

struct TRun {
    int Code;
    std::string Out;
    std::string Err;
};

TRun RunCommand(int (*command)(const Lines&, std::ostream&, std::ostream&), const Lines& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = command(args, out, err);
    return {code, out.str(), err.str()};
}

class FileCommands : public ::testing::Test {
protected:
    std::string Save(TMux& mux, const std::string& name) {
        const std::string path = (dir / name).string();
        mux.SaveToFile(path);
        return path;
    }

    // Boards, links, settings and signalling of every kind the dump shows.
    void FillSample(TMux& mux) {
        mux.SetSlotType(2, {bt4E1, 0, 0});
        mux.SetSlotType(5, {bt4TChU, 1, 0x00A0});
        mux.SetSlotType(6, {btLAN, 0, 0});
        mux.LinkBoth(2, 1, 5, 0);
        mux.LinkGenerator(5, 1);
        mux.ConnectMeasurer(2, 70);
        TMuxSettings record = mux.GetMuxSettings();
        record[0] = 0x12;
        record[6] = 2;
        record[9] = 0x41;
        mux.SetMuxSettings(record);
        mux.StoreSignalling(Ep(2, 1), 0x90);
        mux.StoreSignalling(Ep(5, 3), 0x5F);
        mux.StoreSignalling(Ep(5, 7), 0x90);  // beyond the 4ТЧУ's four channels: not shown
        mux.StoreSignalling(Ep(6, 0), 3);     // LAN timeslots carry group numbers
        mux.StoreSignalling(Ep(6, 1), 3);
        mux.StoreSignalling(Ep(6, 2), 81);
    }

    TSettings settings;
    test::TTempDir dir;
};

TEST_F(FileCommands, DumpTextFormat) {
    TMux mux{nullptr, nullptr, settings};
    const std::string empty = Save(mux, "empty.mux");
    FillSample(mux);
    const std::string sample = Save(mux, "sample.mux");

    const TRun run = RunCommand(RunDump, {sample});
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(run.Err, "");
    // The named settings of each block (the lines indented below a slot) are checked on their own.
    std::string withoutSettings;
    std::istringstream lines(run.Out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("    ", 0) != 0) {
            withoutSettings += line + "\n";
        }
    }
    EXPECT_EQ(withoutSettings,
              "Платы:\n"
              "  слот 2 (4E1): блок 3210 0000 0000 0000 0000 0000 0000 0000 0000\n"
              "  слот 5 (4ТЧУ): параметры 0001 00A0, блок 0000 0000 0000 0000 0000 0000 0000 0000 0000\n"
              "  слот 6 (LAN): блок 0000 0000 0000 0000 0000 0000 0000 0000 0000\n"
              "Настройки мультиплексора:\n"
              "  W0 = 18: таблица синхронизации, вход 0: слот 2, приор. 1\n"
              "  W1 = 16: таблица синхронизации, вход 1: слот 0, приор. 1\n"
              "  W2 = 96: таблица синхронизации, вход 2: слот 0, никогда\n"
              "  W3 = 96: таблица синхронизации, вход 3: слот 0, никогда\n"
              "  W4 = 96: таблица синхронизации, вход 4: слот 0, никогда\n"
              "  W5 = 96: таблица синхронизации, вход 5: слот 0, никогда\n"
              "  W6 = 2: тип синхронизации: По таблице приоритетов входов\n"
              "  W7 = 1: измеритель, старший байт\n"
              "  W8 = 70: измеритель, младший байт: слот 2 (4E1), порт 6 (2)\n"
              "  W9 = 65: сигнализация аварий: 01000001\n"
              "Соединения:\n"
              "  измеритель <- слот 2 (4E1), порт 6 (2)\n"
              "  слот 2 (4E1), порт 1 (0) <- слот 5 (4ТЧУ), порт 0\n"
              "  слот 5 (4ТЧУ), порт 0 <- слот 2 (4E1), порт 1 (0)\n"
              "  слот 5 (4ТЧУ), порт 1 <- генератор\n"
              "Сигнальные биты:\n"
              "  слот 2 (4E1), канал 1: abcd 1001, акт. 0000\n"
              "  слот 5 (4ТЧУ), канал 3: abcd 0101, акт. 1111\n"
              "  слот 6 (LAN), канал 0: группа 3\n"
              "  слот 6 (LAN), канал 1: группа 3\n"
              "  слот 6 (LAN), канал 2: свободен (81)\n");

    const TRun emptyRun = RunCommand(RunDump, {empty});
    EXPECT_EQ(emptyRun.Code, 0);
    const std::string out = emptyRun.Out;
    EXPECT_EQ(out.substr(0, out.find("  W0")), "Платы:\n  нет\nНастройки мультиплексора:\n");
    EXPECT_NE(out.find("  W6 = 3: тип синхронизации: Только от ЦП\n"), std::string::npos);
    EXPECT_NE(out.find("  W8 = 255: измеритель, младший байт: не подключён\n"), std::string::npos);
    EXPECT_EQ(out.substr(out.find("Соединения:")), "Соединения:\n  нет\nСигнальные биты:\n  нет\n");
}

TEST_F(FileCommands, BlocksAreShownAndComparedByTheirNamedSettings) {
    TMux left{nullptr, nullptr, settings};
    left.SetSlotType(0, {bt4E1, 0, 0});
    left.SetSlotType(4, {bt1DSL, 0, 0});
    TMux right{nullptr, nullptr, settings};
    right.SetSlotType(0, {bt4E1, 0, 0});
    right.SetSlotType(4, {bt1DSL, 0, 0});
    TBoardConfig block = right.GetBoardConfig(0);
    block[1] = 0x0800;  // set 2: AMI
    block[0] = 0x3F10;  // set 2: priority without an item
    right.SetBoardConfig(0, block);
    right.SetBoardConfig(4, {10, 0, 0, 0, 0, 0, 0, 0, 0});
    const std::string leftFile = Save(left, "left.mux");
    const std::string rightFile = Save(right, "right.mux");

    const TRun dump = RunCommand(RunDump, {rightFile});
    EXPECT_NE(dump.Out.find("  слот 0 (4E1): блок 3F10 0800 0000 0000 0000 0000 0000 0000 0000\n"
                            "    комплект 0: Приоритет выдачи синхросигнала: 0\n"),
              std::string::npos)
        << dump.Out;
    EXPECT_NE(dump.Out.find("    комплект 2: кодировка AMI: да\n"), std::string::npos);
    EXPECT_NE(dump.Out.find("    Скорость: 11х64 кбит/с\n"), std::string::npos);

    const TRun json = RunCommand(RunDump, {"--json", rightFile});
    const TJson doc = TJsonReader::Parse(json.Out);
    const TJson& named = doc["slots"][0]["settings"];
    ASSERT_EQ(named.Items.size(), 44u);
    EXPECT_EQ(named[0]["set"].Value, 0);
    EXPECT_EQ(named[0]["name"].Text, "Приоритет выдачи синхросигнала");
    EXPECT_EQ(named[22]["name"].Text, "Приоритет выдачи синхросигнала");
    EXPECT_EQ(named[22]["value"].Text, "?(15)");

    const TRun diff = RunCommand(RunDiff, {leftFile, rightFile});
    EXPECT_EQ(diff.Code, 1);
    EXPECT_EQ(diff.Out,
              "Плата 0: несовпадение конфигурации \n"
              "Плата 4: несовпадение конфигурации \n"
              "слот 0 (4E1), комплект 2: Приоритет выдачи синхросигнала: 2 → ?(15)\n"
              "слот 0 (4E1), комплект 2: кодировка AMI: нет → да\n"
              "слот 4 (1DSL), Скорость: 4х64 кбит/с → 11х64 кбит/с\n");
}

TEST_F(FileCommands, DumpJsonCarriesTheSameContent) {
    TMux mux{nullptr, nullptr, settings};
    FillSample(mux);
    const TRun run = RunCommand(RunDump, {"--json", Save(mux, "sample.mux")});
    ASSERT_EQ(run.Code, 0) << run.Err;

    const TJson doc = TJsonReader::Parse(run.Out);
    EXPECT_EQ(doc.Keys(), (Lines{"slots", "settings", "links", "signalling", "raw"}));

    const TJson& slots = doc["slots"];
    ASSERT_EQ(slots.Items.size(), 3u);
    EXPECT_EQ(slots[0]["name"].Text, "4E1");
    EXPECT_EQ(slots[0]["block"][0].Value, 0x3210);
    EXPECT_EQ(slots[1]["name"].Text, "4ТЧУ");
    EXPECT_EQ(slots[1]["type"].Value, bt4TChU);
    EXPECT_EQ(slots[1]["params"][1].Value, 0xA0);
    EXPECT_EQ(slots[1]["block"].Items.size(), 9u);

    const TJson& words = doc["settings"];
    ASSERT_EQ(words.Items.size(), 10u);
    EXPECT_EQ(words[6]["word"].Text, "W6");
    EXPECT_EQ(words[6]["meaning"].Text, "тип синхронизации: По таблице приоритетов входов");
    EXPECT_EQ(words[7]["value"].Value, 1);

    const TJson& links = doc["links"];
    ASSERT_EQ(links.Items.size(), 4u);
    EXPECT_EQ(links[0]["endpoint"].Kind, TJson::TKind::Null);
    EXPECT_EQ(links[0]["text"].Text, "измеритель <- слот 2 (4E1), порт 6 (2)");
    EXPECT_EQ(links[3]["endpoint"].Value, Ep(5, 1));
    EXPECT_EQ(links[3]["link"].Value, kEndpointGenerator);
    EXPECT_EQ(links[3]["text"].Text, "слот 5 (4ТЧУ), порт 1 <- генератор");

    const TJson& signalling = doc["signalling"];
    ASSERT_EQ(signalling.Items.size(), 5u);
    EXPECT_EQ(signalling[0]["abcd"].Text, "1001");
    EXPECT_EQ(signalling[0]["active"].Text, "0000");
    EXPECT_EQ(signalling[2]["group"].Value, 3);
    EXPECT_EQ(signalling[4]["group"].Kind, TJson::TKind::Null);
    EXPECT_EQ(signalling[4]["text"].Text, "свободен (81)");
    // The entry past the 4ТЧУ's channels is carried as the word itself.
    const TJson& raw = doc["raw"];
    ASSERT_EQ(raw.Items.size(), 1u);
    EXPECT_EQ(raw[0]["at"].Value, static_cast<double>(image::kSignalling + Ep(5, 7)));
    EXPECT_EQ(raw[0]["words"][0].Text, "0090");

    // Same file, same bytes.
    EXPECT_EQ(RunCommand(RunDump, {Save(mux, "again.mux"), "--json"}).Out, run.Out);
}

TEST_F(FileCommands, JsonStringsAreEscaped) {
    const std::string text = "a\"b\\c/d\n\t\r\b\f\x01\x1f Ж 4ТЧУ";
    EXPECT_EQ(JsonQuote(text), "\"a\\\"b\\\\c/d\\n\\t\\r\\b\\f\\u0001\\u001f Ж 4ТЧУ\"");
    EXPECT_EQ(TJsonReader::Parse(JsonQuote(text)).Text, text);
}

TEST_F(FileCommands, DiffExitCodesAndLines) {
    TMux left{nullptr, nullptr, settings};
    TMux right{nullptr, nullptr, settings};
    left.SetSlotType(3, {bt4E1, 0, 0});
    left.SetSlotType(5, {bt4TCh, 0, 0});
    right.SetSlotType(5, {bt4TCh, 0, 0});
    left.LinkOneWay(1, 7, 5, 2);
    left.StoreSignalling(Ep(5, 2), 0x50);
    right.StoreSignalling(Ep(5, 2), 0x90);
    TMuxSettings record = right.GetMuxSettings();
    record[8] = 5;
    right.StoreMuxSettings(record);
    const std::string leftFile = Save(left, "left.mux");
    const std::string rightFile = Save(right, "right.mux");

    const TRun different = RunCommand(RunDiff, {leftFile, rightFile});
    EXPECT_EQ(different.Code, 1);
    EXPECT_EQ(different.Err, "");
    EXPECT_EQ(different.Out,
              "ЦП: несовпадение соединения измерителя\n"
              "Плата 3: несовпадение типа \"4E1\" - \"---\"\n"
              "Плата 5, канал 2: несовпадение соединения (слот 1, порт 7 - \"нет\")\n"
              "Плата 5, канал 2: несовпадение сигнальных битов (0101, 0000 - 1001, 0000)\n");

    // The sides swap with the arguments.
    EXPECT_NE(RunCommand(RunDiff, {rightFile, leftFile}).Out.find("(\"нет\" - слот 1, порт 7)"),
              std::string::npos);

    const TRun same = RunCommand(RunDiff, {leftFile, leftFile});
    EXPECT_EQ(same.Code, 0);
    EXPECT_EQ(same.Out, "Отличий не найдено\n");
}

TEST_F(FileCommands, TroubleExitsWithTwoAndSaysWhy) {
    TMux mux{nullptr, nullptr, settings};
    const std::string good = Save(mux, "good.mux");
    const std::string missing = (dir / "missing.mux").string();
    const std::string shortFile = (dir / "short.mux").string();
    std::ofstream(shortFile, std::ios::binary) << std::string(65533, '\0');

    const TRun notFound = RunCommand(RunDiff, {good, missing});
    EXPECT_EQ(notFound.Code, 2);
    EXPECT_EQ(notFound.Out, "");
    EXPECT_EQ(notFound.Err, "Файл " + missing + " не найден\n");
    EXPECT_EQ(RunCommand(RunDump, {missing}).Err, "Файл " + missing + " не найден\n");

    const TRun tooShort = RunCommand(RunDiff, {shortFile, good});
    EXPECT_EQ(tooShort.Code, 2);
    EXPECT_NE(tooShort.Err.find(shortFile), std::string::npos) << tooShort.Err;
    EXPECT_NE(tooShort.Err.find("65534"), std::string::npos) << tooShort.Err;
    EXPECT_EQ(RunCommand(RunDump, {dir.Path().string()}).Code, 2);  // a folder is unreadable

    struct TCase {
        int (*Command)(const Lines&, std::ostream&, std::ostream&);
        Lines Args;
        std::string Complaint;
    };
    const TCase badArguments[] = {
        {RunDiff, {good}, "нужно указать два файла конфигурации"},
        {RunDiff, {good, good, good}, "нужно указать два файла конфигурации"},
        {RunDiff, {"--json", good, good}, "неизвестный параметр --json"},
        {RunDump, {}, "нужно указать один файл конфигурации"},
        {RunDump, {"-x", good}, "неизвестный параметр -x"},
    };
    for (const TCase& c : badArguments) {
        const TRun run = RunCommand(c.Command, c.Args);
        EXPECT_EQ(run.Code, 2) << c.Complaint;
        EXPECT_EQ(run.Out, "");
        EXPECT_NE(run.Err.find(c.Complaint), std::string::npos) << run.Err;
    }

    // Help wins over everything else and goes to the normal output.
    for (const auto command : {RunDump, RunDiff}) {
        const TRun help = RunCommand(command, {"--bogus", "-h"});
        EXPECT_EQ(help.Code, 0);
        EXPECT_EQ(help.Out.rfind("Использование: tervis-cli ", 0), 0u) << help.Out;
        EXPECT_EQ(help.Err, "");
    }
    // After "--" a name that starts with a dash is a file.
    EXPECT_EQ(RunCommand(RunDump, {"--", "-a.mux"}).Err, "Файл -a.mux не найден\n");
}

}  // namespace
}  // namespace tervis::cli

namespace tervis::cli {
namespace {

// build reads a document from a file or standard input, writes the .mux whole only when the document is
// good, and lays it on --base.
TEST_F(FileCommands, BuildWritesOnlyWhatAGoodDocumentDescribes) {
    TMux mux{nullptr, nullptr, settings};
    FillSample(mux);
    // An entry beyond a board's channels is not in the dump, so it cannot come back.
    mux.StoreSignalling(Ep(5, 7), kSignallingDefault);
    const std::string sample = Save(mux, "sample.mux");
    const std::string json = RunCommand(RunDump, {"--json", sample}).Out;
    const std::string built = (dir / "built.mux").string();
    const auto build = [](const Lines& args, const std::string& input) {
        std::istringstream in(input);
        std::ostringstream out;
        std::ostringstream err;
        const int code = RunBuild(args, in, out, err);
        return TRun{code, out.str(), err.str()};
    };

    const TRun fromStdin = build({"-", "-o", built}, json);
    ASSERT_EQ(fromStdin.Code, 0) << fromStdin.Err;
    EXPECT_TRUE(test::ReadBytes(built) == test::ReadBytes(sample));

    const TRun merged =
        build({"-", "-o", built, "--base", sample}, R"({"slots": [{"slot": 7, "name": "4ТЧ"}]})");
    ASSERT_EQ(merged.Code, 0) << merged.Err;
    TMux back{nullptr, nullptr, settings};
    ASSERT_TRUE(back.LoadFromFile(built));
    EXPECT_EQ(back.SlotBoardType(7), bt4TCh);
    EXPECT_EQ(back.GetLink(Ep(5, 1)), kEndpointGenerator) << "the base's link is kept";

    const TRun bad = build({"-", "-o", (dir / "bad.mux").string()}, R"({"slots": [{"slot": 99}], "x": 1})");
    EXPECT_EQ(bad.Code, 2);
    EXPECT_EQ(bad.Err,
              "x: неизвестный ключ; допустимы: $schema, slots, settings, links, signalling, raw\n"
              "slots[0].slot: 99 вне диапазона 0..15\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.mux"));
    EXPECT_EQ(build({"-"}, "{}").Code, 2);
    EXPECT_EQ(build({(dir / "missing.json").string(), "-o", built}, "").Err,
              "Файл " + (dir / "missing.json").string() + " не найден\n");
}

}  // namespace
}  // namespace tervis::cli
