// The installed JSON Schema of the configuration document agrees with what dump writes: every document
// of a set of configurations passes it, and a document the build would refuse for its shape does not.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>

#include "core/config/ConfigJson.h"

namespace tervis::boards {
namespace {

using nlohmann::json;

// The part of JSON Schema the file uses: $ref into $defs, type (one or a list), properties,
// additionalProperties false, required, items, minItems, maxItems, minimum and maximum for numbers,
// pattern for strings. Faults are collected with their paths.
class TSchemaCheck {
public:
    explicit TSchemaCheck(const json& schema) : root_(schema) {}

    std::vector<std::string> Check(const json& value) {
        faults_.clear();
        Walk(root_, value, "$");
        return faults_;
    }

private:
    static bool HasType(const json& value, const std::string& type) {
        using TTest = bool (json::*)() const noexcept;
        static const std::pair<const char*, TTest> kTypes[] = {
            {"object", &json::is_object},          {"array", &json::is_array}, {"string", &json::is_string},
            {"integer", &json::is_number_integer}, {"null", &json::is_null},   {"boolean", &json::is_boolean},
        };
        for (const auto& [name, test] : kTypes) {
            if (type == name) {
                return (value.*test)();
            }
        }
        return false;
    }

    void Walk(const json& schema, const json& value, const std::string& path) {
        if (schema.contains("$ref")) {
            const std::string ref = schema["$ref"].get<std::string>();
            Walk(root_["$defs"][ref.substr(std::string("#/$defs/").size())], value, path);
            return;
        }
        if (schema.contains("type")) {
            const json types = schema["type"].is_array() ? schema["type"] : json::array({schema["type"]});
            if (std::none_of(types.begin(), types.end(),
                             [&](const json& t) { return HasType(value, t.get<std::string>()); })) {
                faults_.push_back(path + ": type");
                return;
            }
        }
        if (value.is_number() && schema.contains("minimum") && value < schema["minimum"]) {
            faults_.push_back(path + ": minimum");
        }
        if (value.is_number() && schema.contains("maximum") && value > schema["maximum"]) {
            faults_.push_back(path + ": maximum");
        }
        if (value.is_string() && schema.contains("pattern") &&
            !std::regex_search(value.get<std::string>(), std::regex(schema["pattern"].get<std::string>()))) {
            faults_.push_back(path + ": pattern");
        }
        if (value.is_object()) {
            CheckObject(schema, value, path);
        }
        if (value.is_array()) {
            if (schema.contains("minItems") && value.size() < schema["minItems"]) {
                faults_.push_back(path + ": minItems");
            }
            if (schema.contains("maxItems") && value.size() > schema["maxItems"]) {
                faults_.push_back(path + ": maxItems");
            }
            if (schema.contains("items")) {
                for (std::size_t i = 0; i < value.size(); ++i) {
                    Walk(schema["items"], value[i], path + "[" + std::to_string(i) + "]");
                }
            }
        }
    }

    void CheckObject(const json& schema, const json& value, const std::string& path) {
        for (const auto& key : schema.value("required", json::array())) {
            if (!value.contains(key.get<std::string>())) {
                faults_.push_back(path + ": required " + key.get<std::string>());
            }
        }
        const json properties = schema.value("properties", json::object());
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (properties.contains(it.key())) {
                Walk(properties[it.key()], it.value(), path + "." + it.key());
            } else if (schema.value("additionalProperties", true) == false) {
                faults_.push_back(path + "." + it.key() + ": additionalProperties");
            }
        }
    }

    const json& root_;
    std::vector<std::string> faults_;
};

json LoadSchema() {
    std::ifstream in(TERVIS_CONFIG_SCHEMA);
    return json::parse(in);
}

struct TModel {
    TSettings Settings;
    TMux Mux{nullptr, nullptr, Settings};
};

TEST(ConfigSchema, DumpsOfEveryBoardTypePassTheSchema) {
    const json schema = LoadSchema();
    TSchemaCheck check(schema);
    std::mt19937 random(7);
    const std::uint8_t types[] = {1,  2,  3,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                  16, 18, 19, 20, 22, 23, 24, 25, 26, 27, 29, 33};
    for (std::size_t first = 0; first < std::size(types); first += 8) {
        TModel model;
        for (int slot = 0; slot < 8 && first + static_cast<std::size_t>(slot) < std::size(types); ++slot) {
            model.Mux.SetSlotType(slot, {types[first + static_cast<std::size_t>(slot)], 1, 2});
        }
        for (int i = 0; i < 50; ++i) {
            const int a = static_cast<int>(random() % 8);
            const int b = static_cast<int>(random() % 8);
            if (model.Mux.SlotChannels(a) > 0 && model.Mux.SlotChannels(b) > 0) {
                model.Mux.LinkBoth(
                    a, static_cast<int>(random() % static_cast<unsigned>(model.Mux.SlotChannels(a))), b,
                    static_cast<int>(random() % static_cast<unsigned>(model.Mux.SlotChannels(b))));
                model.Mux.StoreSignalling(static_cast<std::uint16_t>(a * 128),
                                          static_cast<std::uint16_t>(random() & 0xFF));
            }
        }
        model.Mux.ConnectMeasurer(0, 1);
        const json doc = json::parse(DumpJson(model.Mux));
        EXPECT_EQ(check.Check(doc), std::vector<std::string>{}) << doc.dump(1);
    }
    // A foreign image's words beyond the named sections.
    TModel foreign;
    foreign.Mux.StoreImageWord(image::kSlotTypes + 1, 0x0120);
    foreign.Mux.StoreImageWord(0x2000, 0xBEEF);
    const json withRaw = json::parse(DumpJson(foreign.Mux));
    EXPECT_EQ(withRaw["raw"].size(), 2u);
    EXPECT_EQ(check.Check(withRaw), std::vector<std::string>{}) << withRaw.dump(1);
    // The checker itself sees a shape the build refuses.
    json bad = json::parse(DumpJson(TModel().Mux));
    bad["slots"] = json::array({{{"slot", 16}, {"block", {1, 2}}, {"colour", "red"}}});
    bad["links"] = json::array({{{"endpoint", nullptr}}});
    bad["raw"] = json::array({{{"at", 32767}}});
    EXPECT_EQ(check.Check(bad), (std::vector<std::string>{
                                    "$.links[0]: required link", "$.raw[0]: required words",
                                    "$.raw[0].at: maximum", "$.slots[0].block: minItems",
                                    "$.slots[0].colour: additionalProperties", "$.slots[0].slot: maximum"}));
}

}  // namespace
}  // namespace tervis::boards
