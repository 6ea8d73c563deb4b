#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/config/ConfigJson.h"

namespace tervis::boards {
namespace {

using Lines = std::vector<std::string>;

// The type codes the board-type picker offers, and no board.
constexpr std::uint8_t kSlotTypes[] = {0,  1,  2,  3,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                       16, 18, 19, 20, 22, 23, 24, 25, 26, 27, 29, 33};

struct TModel {
    TSettings Settings;
    TMux Mux{nullptr, nullptr, Settings};
};

// A random configuration the window could have made: boards of every type with random parameter and
// block words, links between channels that exist (or from the generator), CAS bits and group entries,
// and a settings record whose measurer is a channel, the generator or nothing. A foreign one has random
// words besides, anywhere in the image and half of them among the words the model reads: board types no
// dialog offers, links and CAS bits past the channels, values wider than their fields, unused words.
void FillRandom(TMux& mux, std::mt19937& random, bool foreign) {
    const auto below = [&random](unsigned n) { return static_cast<unsigned>(random() % n); };
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (below(4) == 0) {
            continue;
        }
        const std::uint8_t type = kSlotTypes[below(std::size(kSlotTypes))];
        const auto word = [&] { return static_cast<std::uint16_t>(below(3) == 0 ? 0 : random()); };
        mux.StoreSlotType(slot, {type, word(), word()});
        TBoardConfig block{};
        for (std::uint16_t& w : block) {
            w = word();
        }
        mux.StoreBoardConfig(slot, block);
    }
    std::vector<std::uint16_t> channels;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        for (int channel = 0; channel < mux.SlotChannels(slot); ++channel) {
            channels.push_back(
                MakeEndpoint(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(channel)));
        }
    }
    TMuxSettings record{};
    for (std::uint16_t& w : record) {
        w = static_cast<std::uint16_t>(below(256));
    }
    std::uint16_t measurer = kEndpointNone;
    if (!channels.empty()) {
        for (unsigned i = below(64); i > 0; --i) {
            const std::uint16_t from = channels[below(static_cast<unsigned>(channels.size()))];
            const std::uint16_t to =
                below(8) == 0 ? kEndpointGenerator : channels[below(static_cast<unsigned>(channels.size()))];
            mux.StoreLink(from, to);
        }
        for (unsigned i = below(64); i > 0; --i) {
            mux.StoreSignalling(channels[below(static_cast<unsigned>(channels.size()))],
                                static_cast<std::uint16_t>(below(256)));
        }
        const unsigned pick = below(3);
        measurer = pick == 0   ? kEndpointNone
                   : pick == 1 ? kEndpointGenerator
                               : channels[below(static_cast<unsigned>(channels.size()))];
    }
    record[7] = static_cast<std::uint16_t>(measurer >> 8);
    record[8] = static_cast<std::uint16_t>(measurer & 0xFF);
    mux.StoreMuxSettings(record);
    for (unsigned i = foreign ? below(64) + 1 : 0; i > 0; --i) {
        const unsigned end = i % 2 == 0 ? image::kBlockHigh + 4 * kSlotCount : image::kWords;
        mux.StoreImageWord(below(end), static_cast<std::uint16_t>(random()));
    }
}

// Dumped and built again on a new configuration, a configuration comes back word for word.
void ExpectRoundTrip(const TMux& original, const std::string& what, bool foreign = true) {
    const std::string json = DumpJson(original);
    // What the window makes needs no raw words: its document is the named sections alone.
    EXPECT_TRUE(foreign || json.find("\"raw\"") == std::string::npos) << what << '\n' << json;
    TModel built;
    const Lines faults = BuildFromJson(json, built.Mux);
    ASSERT_EQ(faults, Lines{}) << what << '\n' << json;
    for (std::size_t i = 0; i < original.Image().size(); ++i) {
        ASSERT_EQ(built.Mux.Image()[i], original.Image()[i]) << what << ": word " << i << '\n' << json;
    }
}

TEST(ConfigJson, RandomConfigurationsComeBackWordForWord) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 2000; ++round) {
        TModel model;
        const bool foreign = round % 2 == 1;
        FillRandom(model.Mux, random, foreign);
        ExpectRoundTrip(model.Mux, "round " + std::to_string(round), foreign);
    }
}

TEST(ConfigJson, EveryTestDataFileComesBackWordForWord) {
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TERVIS_TEST_DATA_DIR)) {
        if (entry.path().extension() == ".mux") {
            TModel model;
            ASSERT_TRUE(model.Mux.LoadFromFile(entry.path()));
            ExpectRoundTrip(model.Mux, entry.path().string());
            ++files;
        }
    }
    EXPECT_GT(files, 0);
}

// What a document leaves out comes from the base; settings are read by caption and item text, or as
// words, and a new type brings its default block.
TEST(ConfigJson, PartialDocumentsLandOnTheirBase) {
    TModel base;
    base.Mux.StoreSlotType(0, {10, 0, 0});  // 4E1
    base.Mux.StoreBoardConfig(0, {0x3210, 0, 0, 0, 0, 0, 0, 0, 0});
    base.Mux.StoreSlotType(5, {1, 7, 9});  // 4ТЧ, kept as it is
    base.Mux.StoreLink(MakeEndpoint(5, 1), kEndpointGenerator);

    const Lines faults = BuildFromJson(R"({"slots": [
        {"slot": 0, "settings": [{"set": 2, "name": "кодировка AMI", "value": "да"}]},
        {"slot": 3, "name": "4E1"},
        {"slot": 4, "type": 1, "params": ["00A0", "0x1"], "block": [1, "FFFF", 0, 0, 0, 0, 0, 0, 2]}
    ], "settings": [{"word": "W6", "value": 1}, {"word": 9, "value": 255}]})",
                                       base.Mux);
    ASSERT_EQ(faults, Lines{});
    const TMux& mux = base.Mux;
    EXPECT_EQ(mux.GetBoardConfig(0), (TBoardConfig{0x3210, 0x0800, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mux.GetSlotType(3), (TSlotType{10, 0, 0}));
    EXPECT_EQ(mux.GetBoardConfig(3), (TBoardConfig{0x3210, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mux.GetSlotType(4), (TSlotType{1, 0xA0, 1}));
    EXPECT_EQ(mux.GetBoardConfig(4), (TBoardConfig{1, 0xFFFF, 0, 0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(mux.GetSlotType(5), (TSlotType{1, 7, 9}));
    EXPECT_EQ(mux.GetLink(MakeEndpoint(5, 1)), kEndpointGenerator);
    EXPECT_EQ(mux.GetMuxSettings(), (TMuxSettings{0, 16, 96, 96, 96, 96, 1, 255, 255, 255}));

    // A links section describes the table whole: the base's link is gone, the measurer set.
    ASSERT_EQ(BuildFromJson(R"({"links": [{"endpoint": null, "link": 1}, {"endpoint": 2, "link": 65534}]})",
                            base.Mux),
              Lines{});
    EXPECT_EQ(mux.GetLink(MakeEndpoint(5, 1)), kEndpointNone);
    EXPECT_EQ(mux.GetLink(2), kEndpointGenerator);
    EXPECT_EQ(mux.GetMuxSettings()[7], 0);
    EXPECT_EQ(mux.GetMuxSettings()[8], 1);

    // Raw words go last, over the named sections and the base alike.
    ASSERT_EQ(BuildFromJson(R"({"links": [{"endpoint": 2, "link": 65534}],
                               "raw": [{"at": 130, "words": ["0005"]}, {"at": 8192, "words": ["BEEF", 1]}]})",
                            base.Mux),
              Lines{});
    EXPECT_EQ(mux.GetLink(2), 5);
    EXPECT_EQ(mux.Image()[8192], 0xBEEF);
    EXPECT_EQ(mux.Image()[8193], 1);

    // Edited bits beside the value win over it.
    ASSERT_EQ(BuildFromJson(R"({"signalling": [{"slot": 0, "channel": 3, "value": 80, "abcd": "1001"}]})",
                            base.Mux),
              Lines{});
    EXPECT_EQ(mux.GetSignalling(3), 0x90);
}

// A foreign image: the named sections carry what they can, and the rest goes as raw words, in runs
// within one part of the image.
TEST(ConfigJson, WhatTheNamedSectionsCannotSayGoesAsRawWords) {
    TModel model;
    model.Mux.SetSlotType(0, {1, 0, 0});                      // 4ТЧ, channels 0..3
    model.Mux.StoreImageWord(image::kSlotTypes + 2, 0x0120);  // type 32 and a byte beside it
    model.Mux.StoreLink(MakeEndpoint(0, 4), MakeEndpoint(0, 1));
    model.Mux.StoreImageWord(0x2000, 0xBEEF);
    model.Mux.StoreImageWord(0x2001, 0x0001);
    const std::string json = DumpJson(model.Mux);
    EXPECT_EQ(json.substr(json.find("\n  \"raw\"")), R"(
  "raw": [
    {"at": 2, "words": ["0120"], "text": "типы плат"},
    {"at": 132, "words": ["0001"], "text": "соединения"},
    {"at": 8192, "words": ["BEEF", "0001"], "text": "не используется"}
  ]
}
)") << json;
    EXPECT_EQ(json.find("\"slot\": 2"), std::string::npos);
    ExpectRoundTrip(model.Mux, "foreign");

    // A settings word holds 0..255 on the wire; 256 is a word of the image, not a setting.
    TModel settings;
    TMuxSettings record = settings.Mux.GetMuxSettings();
    record[1] = 0x100;
    settings.Mux.SetMuxSettings(record);
    const std::string withWord = DumpJson(settings.Mux);
    EXPECT_NE(withWord.find("\"words\": [\"0100\"]"), std::string::npos) << withWord;
    ExpectRoundTrip(settings.Mux, "settings word 256");
}

TEST(ConfigJson, BadDocumentsAreRefusedWithOneLinePerFault) {
    struct TCase {
        const char* Document;
        Lines Faults;
    };
    const TCase cases[] = {
        {"{\"slots\": [\n  {\"slot\": 1,}\n]}", {"строка 2, столбец 14: неверный JSON"}},
        {"[]", {"$: ожидается объект"}},
        {R"({"slot": []})",
         {"slot: неизвестный ключ; допустимы: $schema, slots, settings, links, signalling, raw"}},
        {R"({"slots": {}})", {"slots: ожидается массив"}},
        {R"({"slots": [{"slot": 16}]})", {"slots[0].slot: 16 вне диапазона 0..15"}},
        {R"({"slots": [{"type": 1}]})", {"slots[0]: не указан ключ \"slot\""}},
        {R"({"slots": [{"slot": 2, "colour": 1}]})",
         {"slots[0].colour: неизвестный ключ; допустимы: slot, type, name, params, block, settings"}},
        {R"({"slots": [{"slot": 2, "type": 1}, {"slot": 2, "type": 2}]})",
         {"slots[1].slot: слот 2 уже описан в slots[0]"}},
        {R"({"slots": [{"slot": 2, "type": 32}]})",
         {"slots[0].type: тип 32 не ставится в слот 2; допустимы: 0 (---), 1 (4ТЧ), 2 (4АЛ), 3 (4AK), 7 "
          "(1E1), "
          "8 (4V24), 9 (4MБ), 10 (4E1), 11 (4СЛУ), 12 (2VS), 13 (4И15), 14 (АДИКМ), 15 (4C64), 16 (LAN), "
          "18 (8AK), 19 (4C1И), 20 (4ТЧУ), 22 (4ToP), 23 (1DSL), 24 (4DSL), 25 (ТЛМ), 26 (ДП), 27 (4TLG), "
          "29 (4DSLv2), 33 (4DSL')"}},
        {R"({"slots": [{"slot": 2, "type": 10, "name": "4ТЧ"}]})",
         {"slots[0].name: \"4ТЧ\" не совпадает с типом 10 (4E1)"}},
        {R"({"slots": [{"slot": 2, "block": [1, 2, 3]}]})", {"slots[0].block: ожидается массив из 9 слов"}},
        {R"({"slots": [{"slot": 2, "block": [1, 2, 3, 4, 5, 6, 7, 8, "12345"]}]})",
         {"slots[0].block[8]: \"12345\" не шестнадцатеричное слово; допустимо 0000..FFFF"}},
        {R"({"slots": [{"slot": 0, "name": "4E1", "settings": [{"set": 1, "name": "кодировка AMI", "value": "может быть"}]}]})",
         {"slots[0].settings[0].value: \"может быть\" нет в списке; допустимо: \"нет\", \"да\""}},
        {R"({"slots": [{"slot": 0, "name": "4E1", "settings": [{"set": 4, "name": "кодировка AMI", "value": "да"}]}]})",
         {"slots[0].settings[0].set: 4 вне диапазона 0..3"}},
        {R"({"slots": [{"slot": 0, "name": "ТЛМ", "settings": [{"set": null, "name": "x", "value": "y"}]}]})",
         {"slots[0].settings: у платы ТЛМ нет именованных параметров; укажите слова block"}},
        {R"({"settings": [{"word": "W10", "value": 1}, {"word": "W1", "value": 256}]})",
         {"settings[0].word: \"W10\" не слово настроек; допустимы W0..W9",
          "settings[1].value: 256 вне диапазона 0..255"}},
        {R"({"slots": [{"slot": 1, "name": "4ТЧ"}], "links": [{"endpoint": 132, "link": 128}, {"endpoint": 128, "link": 4000}, {"endpoint": 129, "link": 256}]})",
         {"links[0].endpoint: 132: слот 1, канал 4, но у платы 4ТЧ в слоте 1 каналы 0..3",
          "links[1].link: 4000 не канал и не генератор; допустимы 0..2047 и 65534",
          "links[2].link: 256: слот 2, канал 0, но в слоте 2 (---) нет каналов"}},
        {R"({"signalling": [{"slot": 3, "channel": 0, "value": 81}]})",
         {"signalling[0].channel: 384: слот 3, канал 0, но в слоте 3 (---) нет каналов"}},
        {R"({"slots": [{"slot": 1, "name": "4ТЧ"}], "signalling": [{"slot": 1, "channel": 0, "abcd": "012"}]})",
         {"signalling[0].abcd: ожидаются четыре цифры 0 или 1, например \"0101\""}},
        {R"({"raw": [{"at": 32767, "words": [1]}, {"at": 32766, "words": [1, 2]}, {"at": 3}]})",
         {"raw[0].at: 32767 вне диапазона 0..32766",
          "raw[1].words: 2 слов с 32766 выходят за образ; в нём слова 0..32766",
          "raw[2]: не указан ключ \"words\""}},
        {R"({"raw": [{"at": 5, "words": [1, "BEEF"]}, {"at": 6, "words": ["0x10000"]}, {"at": 6, "words": [3]}]})",
         {"raw[1].words[0]: \"0x10000\" не шестнадцатеричное слово; допустимо 0000..FFFF",
          "raw[2].words: слово 6 уже указано в raw[0]"}},
    };
    for (const TCase& c : cases) {
        TModel model;
        model.Mux.StoreSlotType(0, {10, 0, 0});
        const TConfigImage before = model.Mux.Image();
        EXPECT_EQ(BuildFromJson(c.Document, model.Mux), c.Faults) << c.Document;
        EXPECT_TRUE(model.Mux.Image() == before) << "changed by " << c.Document;
    }
}

TEST(ConfigJson, OversizedAndDeepDocumentsAreRefusedBeforeParsing) {
    TModel model;
    EXPECT_EQ(BuildFromJson(std::string(4 * 1024 * 1024 + 1, ' '), model.Mux),
              Lines{"документ длиннее 4194304 байт"});
    EXPECT_EQ(BuildFromJson(std::string(33, '[') + std::string(33, ']'), model.Mux),
              Lines{"строка 1, столбец 33: вложенность глубже 32"});
}

}  // namespace
}  // namespace tervis::boards
