// The cross-connect field over a configuration whose words came from a file nobody checked: board types,
// link and signalling words, blocks and the settings record as the input sets them, then the operator's
// clicks on whatever buttons are shown and enabled, with the field drawn again after each. A click must
// never fail, whatever the words say.
//
// Input: 16 board types, a count of raw words and (kind, index, value) for each, then one byte per action.
#include <cstdint>

#include "FuzzInput.h"
#include "core/crossconnect/JackField.h"
#include "core/model/Mux.h"

namespace {

using namespace tervis;

std::uint16_t Word(fuzz::TFuzzInput& input) {
    return static_cast<std::uint16_t>(input.Byte() | (input.Byte() << 8));
}

void StoreRawWord(TMux& mux, fuzz::TFuzzInput& input) {
    const std::uint8_t kind = input.Byte();
    const int slot = kind >> 4;
    const std::uint16_t endpoint = static_cast<std::uint16_t>(Word(input) % kEndpointCount);
    const std::uint16_t value = Word(input);
    switch (kind & 3) {
        case 0:
            mux.StoreLink(endpoint, value);
            break;
        case 1:
            mux.StoreSignalling(endpoint, value);
            break;
        case 2: {
            TBoardConfig block = mux.GetBoardConfig(slot);
            block[endpoint % block.size()] = value;
            mux.StoreBoardConfig(slot, block);
            break;
        }
        default: {
            TMuxSettings settings = mux.GetMuxSettings();
            settings[endpoint % settings.size()] = value;
            mux.StoreMuxSettings(settings);
            break;
        }
    }
}

// Draws every button of the field as the window does, handing each to visit with its place.
template <typename TVisit>
void ForEachButton(TJackField& field, TVisit visit) {
    for (int row = 0; row < TJackField::kTrunkRows; ++row) {
        if (field.TrunkRowVisible(row)) {
            (void)field.TrunkRowLabel(row);
            for (int tag = 0; tag < TJackField::kTrunkButtons; ++tag) {
                visit(THoverTarget{THoverTarget::TKind::Trunk, row, tag}, field.TrunkButton(row, tag));
            }
        }
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (field.PortRowVisible(slot)) {
            (void)field.PortRowLabel(slot);
            for (int column = 0; column < TJackField::kPortColumnsShown; ++column) {
                visit(THoverTarget{THoverTarget::TKind::Port, slot, column}, field.PortButton(slot, column));
            }
        }
    }
    visit(THoverTarget{THoverTarget::TKind::Generator, 0, 0}, field.GeneratorButton());
    visit(THoverTarget{THoverTarget::TKind::Measurer, 0, 0}, field.MeasurerButton());
}

void Click(TJackField& field, const THoverTarget& target) {
    switch (target.Kind) {
        case THoverTarget::TKind::Trunk:
            field.ClickTrunk(target.RowOrSlot, target.TagOrColumn);
            break;
        case THoverTarget::TKind::Port:
            field.ClickPort(target.RowOrSlot, target.TagOrColumn);
            break;
        case THoverTarget::TKind::Generator:
            field.ClickGenerator();
            break;
        case THoverTarget::TKind::Measurer:
            field.ClickMeasurer();
            break;
        default:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::TFuzzInput input(data, size);
    TSettings settings;
    TMux mux(nullptr, nullptr, settings);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        mux.StoreSlotType(slot, TSlotType{input.Byte(), 0, 0});
    }
    for (int k = input.Byte(); k > 0; --k) {
        StoreRawWord(mux, input);
    }

    TJackField field(mux);
    while (!input.Empty()) {
        const std::uint8_t action = input.Byte();
        switch (action & 7) {
            case 0:
            case 1:
            case 2: {
                // A click on the n-th enabled button, or moving the pointer over it.
                int count = 0;
                ForEachButton(field, [&](const THoverTarget&, const TButtonView& view) {
                    count += view.Visible && view.Enabled ? 1 : 0;
                });
                if (count == 0) {
                    break;
                }
                const int wanted = input.Byte() % count;
                THoverTarget chosen;
                int seen = 0;
                ForEachButton(field, [&](const THoverTarget& target, const TButtonView& view) {
                    if (view.Visible && view.Enabled && seen++ == wanted) {
                        chosen = target;
                    }
                });
                field.SetHover(chosen);
                if ((action & 7) != 2) {
                    Click(field, chosen);
                }
                break;
            }
            case 3:
                if (field.ApplyEnabled()) {
                    field.Apply();
                }
                break;
            case 4:
                field.Escape();
                break;
            case 5:
                field.SetCtrl((action & 8) != 0);
                break;
            case 6: {
                // Scrolling: bit 3 picks the trunk rows or the port columns, bit 4 down or up.
                const bool down = (action & 16) != 0;
                if ((action & 8) != 0) {
                    if (down && field.TrunkDownEnabled()) {
                        field.TrunkDown();
                    } else if (!down && field.TrunkUpEnabled()) {
                        field.TrunkUp();
                    }
                } else if (down && field.PortDownEnabled()) {
                    field.PortDown();
                } else if (!down && field.PortUpEnabled()) {
                    field.PortUp();
                }
                break;
            }
            default:
                // The model changed from elsewhere: a raw word, then the highlight again.
                StoreRawWord(mux, input);
                field.RecomputeHighlight();
                break;
        }
        ForEachButton(field, [](const THoverTarget&, const TButtonView&) {});
    }
    return 0;
}
