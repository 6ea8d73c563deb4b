// Operations that edit many link entries at once or keep several consistent. They are built on the
// single-entry operations, so every entry that changes marks the model modified and is sent.
#include "core/model/Mux.h"

namespace tervis {

namespace {

std::uint16_t Endpoint(int slot, int channel) {
    return MakeEndpoint(static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(channel));
}

constexpr int kLanTimeslots = 32;
constexpr int kPortChannels = 32;               // 2VS: port p owns channels 32p..32p+31
constexpr std::uint16_t kPortCountMask = 0x1F;  // 2VS: linked timeslots of a port minus one, in Wp

}  // namespace

void TMux::Unlink(int slot, int channel) {
    const std::uint16_t e = Endpoint(slot, channel);
    const std::uint16_t d = GetLink(e);
    if (d == kEndpointNone) {
        return;
    }
    SetLink(e, kEndpointNone);
    FreePartner(e, d);
}

// The one rule for a partner of a channel that lets go: only a partner that still receives from the
// channel is freed; a one-way partner, or one the operator has since linked elsewhere, keeps its link.
void TMux::FreePartner(std::uint16_t endpoint, std::uint16_t partner) {
    if (IsEndpoint(partner) && GetLink(partner) == endpoint) {
        SetLink(partner, kEndpointNone);
    }
}

void TMux::DropBackLink(std::uint16_t endpoint) {
    FreePartner(endpoint, GetLink(endpoint));
}

void TMux::MoveLanTimeslot(int slot, int from, int to, TSlotSignalling& entries) {
    const std::uint16_t target = Endpoint(slot, to);
    const std::uint16_t source = Endpoint(slot, from);
    DropBackLink(target);
    const std::uint16_t partner = GetLink(source);
    if (IsEndpoint(partner) && GetLink(partner) == source) {
        SetLink(partner, target);
    }
    entries[static_cast<std::size_t>(to)] = entries[static_cast<std::size_t>(from)];
    SetLink(target, partner);
}

void TMux::LinkBoth(int slotA, int channelA, int slotB, int channelB) {
    const std::uint16_t a = Endpoint(slotA, channelA);
    const std::uint16_t b = Endpoint(slotB, channelB);
    SetLink(a, b);
    SetLink(b, a);
}

void TMux::LinkOneWay(int slotA, int channelA, int slotB, int channelB) {
    SetLink(Endpoint(slotB, channelB), Endpoint(slotA, channelA));
}

void TMux::LinkGenerator(int slot, int channel) {
    SetLink(Endpoint(slot, channel), kEndpointGenerator);
}

void TMux::LinkAll(int slotA, int slotB) {
    LinkAllChannels(slotA, slotB, false);
}

void TMux::LinkAllTo(int slotA, int slotB) {
    LinkAllChannels(slotA, slotB, true);
}

void TMux::LinkAllChannels(int slotA, int slotB, bool oneWay) {
    const std::uint8_t typeA = SlotBoardType(slotA);
    const std::uint8_t typeB = SlotBoardType(slotB);
    if (slotA == slotB || IsNotBulkLinkable(typeA) || IsNotBulkLinkable(typeB)) {
        return;
    }
    const int countA = TypeChannels(typeA);
    const int countB = TypeChannels(typeB);
    int i = 0;
    int j = 0;
    while (i < countA && j < countB) {
        if (IsE1Framed(typeA) && i % 16 == 0) {
            ++i;
            continue;
        }
        if (IsE1Framed(typeB) && j % 16 == 0) {
            ++j;
            continue;
        }
        // One-way linking reuses sources that already have links; only the receiver must be free.
        if (!oneWay && GetLink(Endpoint(slotA, i)) != kEndpointNone) {
            ++i;
            continue;
        }
        if (GetLink(Endpoint(slotB, j)) != kEndpointNone) {
            ++j;
            continue;
        }
        if (oneWay) {
            LinkOneWay(slotA, i, slotB, j);
        } else {
            LinkBoth(slotA, i, slotB, j);
        }
        ++i;
        ++j;
    }
}

void TMux::CopyBoardConfig(int sourceSlot, int targetSlot) {
    const TSlotType source = GetSlotType(sourceSlot);
    if (source.Type == btNone || source.Type == btCPU || targetSlot < 0 || targetSlot >= kSlotCount) {
        return;
    }
    SetSlotType(targetSlot, source);
    TBoardConfig block = GetBoardConfig(sourceSlot);
    if (source.Type == bt2VS) {
        // The per-port timeslot counts describe links, and links are not copied.
        block[0] &= static_cast<std::uint16_t>(~kPortCountMask);
        block[1] &= static_cast<std::uint16_t>(~kPortCountMask);
    }
    SetBoardConfig(targetSlot, block);
    if (source.Type != btLAN) {
        SetSlotSignalling(targetSlot, GetSlotSignalling(sourceSlot));
    }
}

void TMux::ConnectMeasurer(int slot, int channel) {
    const std::uint16_t e = Endpoint(slot, channel);
    TMuxSettings settings = GetMuxSettings();
    settings[7] = static_cast<std::uint16_t>(e >> 8);
    settings[8] = static_cast<std::uint16_t>(e & 0xFF);
    SetMuxSettings(settings);
}

void TMux::MeasurerToGenerator() {
    TMuxSettings settings = GetMuxSettings();
    settings[7] = 255;
    settings[8] = 254;
    SetMuxSettings(settings);
}

void TMux::DisconnectMeasurer() {
    TMuxSettings settings = GetMuxSettings();
    settings[7] = 255;
    settings[8] = 255;
    SetMuxSettings(settings);
}

// --- 2VS ports

void TMux::AssignPortTimeslots(int slot, int port, const std::vector<std::uint16_t>& endpoints) {
    const auto p = static_cast<std::size_t>(port & 1);
    int count = 0;
    int position = Endpoint(slot, 0) + kPortChannels * static_cast<int>(p);
    for (std::uint16_t entry : endpoints) {
        if (entry == kEndpointNone) {
            continue;
        }
        if (count == kPortChannels) {
            break;  // a port has 32 channels; more would spill into the next port
        }
        SetLink(static_cast<std::uint16_t>(position), entry);
        if (IsEndpoint(entry)) {
            SetLink(entry, static_cast<std::uint16_t>(position));
        }
        ++count;
        ++position;
    }
    TBoardConfig block = GetBoardConfig(slot);
    block[p] = static_cast<std::uint16_t>((block[p] & ~kPortCountMask) | (count > 0 ? count - 1 : 0));
    SetBoardConfig(slot, block);
}

void TMux::ReleasePort(int slot, int port) {
    const auto p = static_cast<std::size_t>(port & 1);
    TBoardConfig block = GetBoardConfig(slot);
    block[p] &= static_cast<std::uint16_t>(~kPortCountMask);
    for (int channel = kPortChannels * static_cast<int>(p);
         channel < kPortChannels * (static_cast<int>(p) + 1); ++channel) {
        const std::uint16_t e = Endpoint(slot, channel);
        const std::uint16_t d = GetLink(e);
        SetLink(e, kEndpointNone);
        FreePartner(e, d);
    }
    SetBoardConfig(slot, block);
}

void TMux::ReleasePortOf(std::uint16_t endpoint) {
    if (!IsEndpoint(endpoint)) {
        return;
    }
    ReleasePort(EndpointSlot(endpoint), (endpoint >> 5) & 1);
}

// --- LAN groups: channels 0..31 ordered by group number, each group contiguous, free timeslots last.

int TMux::FreeLanTimeslots(int slot) const {
    const TSlotSignalling entries = GetSlotSignalling(slot);
    int free = 0;
    for (int channel = 0; channel < kLanTimeslots; ++channel) {
        if (entries[static_cast<std::size_t>(channel)] > 31) {
            ++free;
        }
    }
    return free;
}

int TMux::GroupCapacity(int slot) const {
    switch (SlotBoardType(slot)) {
        case bt2VS:
            return kPortChannels;
        case btLAN:
            return FreeLanTimeslots(slot);
        default:
            return 0;
    }
}

void TMux::InsertLanGroup(int slot, int group, const std::vector<std::uint16_t>& endpoints) {
    TSlotSignalling entries = GetSlotSignalling(slot);
    int n = 0;
    for (std::uint16_t entry : endpoints) {
        if (entry != kEndpointNone) {
            ++n;
        }
    }
    // With nothing to insert, the shift below would move every entry onto itself and drop its
    // partner's back link on the way.
    if (n == 0) {
        return;
    }
    int k = 0;
    while (k < kLanTimeslots && entries[static_cast<std::size_t>(k)] <= group) {
        ++k;
    }
    if (k == kLanTimeslots) {
        return;
    }
    for (int d = kLanTimeslots - 1; d >= k + n; --d) {
        MoveLanTimeslot(slot, d - n, d, entries);
    }
    int channel = k;
    for (std::uint16_t y : endpoints) {
        if (y == kEndpointNone) {
            continue;
        }
        if (channel >= kLanTimeslots) {
            break;
        }
        const std::uint16_t ce = Endpoint(slot, channel);
        DropBackLink(ce);
        SetLink(ce, y);
        if (IsEndpoint(y)) {
            SetLink(y, ce);
        }
        entries[static_cast<std::size_t>(channel)] = static_cast<std::uint16_t>(group);
        ++channel;
    }
    SetSlotSignalling(slot, entries);
}

void TMux::RemoveLanGroup(int slot, int group) {
    TSlotSignalling entries = GetSlotSignalling(slot);
    int k = 0;
    while (k < kLanTimeslots && entries[static_cast<std::size_t>(k)] != group) {
        ++k;
    }
    if (k == kLanTimeslots) {
        return;
    }
    int w = k;
    for (int r = k; r < kLanTimeslots; ++r) {
        if (entries[static_cast<std::size_t>(r)] <= group) {
            continue;  // the group's own timeslots are dropped
        }
        MoveLanTimeslot(slot, r, w, entries);
        ++w;
    }
    for (int channel = w; channel < kLanTimeslots; ++channel) {
        const std::uint16_t ce = Endpoint(slot, channel);
        DropBackLink(ce);
        SetLink(ce, kEndpointNone);
        entries[static_cast<std::size_t>(channel)] = kLanFreeTimeslot;
    }
    SetSlotSignalling(slot, entries);
}

void TMux::RemoveLanGroupOf(std::uint16_t endpoint) {
    if (!IsEndpoint(endpoint)) {
        return;
    }
    RemoveLanGroup(EndpointSlot(endpoint), GetSignalling(endpoint) & 0x1F);
}

}  // namespace tervis
