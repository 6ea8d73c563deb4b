#include "core/link/Telnet.h"

namespace tervis {

using namespace telnet;

namespace {

void Put(std::vector<std::uint8_t>& out, std::uint8_t command, std::uint8_t option) {
    out.push_back(kIac);
    out.push_back(command);
    out.push_back(option);
}

void PutSubnegotiation(std::vector<std::uint8_t>& out, std::uint8_t command,
                       std::span<const std::uint8_t> value) {
    out.push_back(kIac);
    out.push_back(kSb);
    out.push_back(kComPortOption);
    out.push_back(command);
    TTelnetClient::EscapeData(value, out);
    out.push_back(kIac);
    out.push_back(kSe);
}

}  // namespace

bool TTelnetClient::WeWant(std::uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPortOption;
}

bool TTelnetClient::HeMay(std::uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead;
}

void TTelnetClient::Start(std::vector<std::uint8_t>& out) {
    for (const std::uint8_t option : {kBinary, kSuppressGoAhead, kComPortOption}) {
        us_[option] = TOptionState::WantYes;
        Put(out, kWill, option);
    }
    for (const std::uint8_t option : {kBinary, kSuppressGoAhead}) {
        him_[option] = TOptionState::WantYes;
        Put(out, kDo, option);
    }
}

void TTelnetClient::EscapeData(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out) {
    for (const std::uint8_t b : data) {
        out.push_back(b);
        if (b == kIac) {
            out.push_back(kIac);
        }
    }
}

void TTelnetClient::SendLineSettings(std::vector<std::uint8_t>& reply) {
    if (settingsSent_) {
        return;
    }
    settingsSent_ = true;
    const std::uint8_t baud[4] = {
        static_cast<std::uint8_t>(kBaudRate >> 24), static_cast<std::uint8_t>(kBaudRate >> 16),
        static_cast<std::uint8_t>(kBaudRate >> 8), static_cast<std::uint8_t>(kBaudRate)};
    PutSubnegotiation(reply, kSetBaudRate, baud);
    const std::uint8_t dataSize[1] = {kDataSize};
    PutSubnegotiation(reply, kSetDataSize, dataSize);
    const std::uint8_t parity[1] = {kParityNone};
    PutSubnegotiation(reply, kSetParity, parity);
    const std::uint8_t stopSize[1] = {kStopBitsOne};
    PutSubnegotiation(reply, kSetStopSize, stopSize);
    const std::uint8_t control[1] = {kControlNoFlow};
    PutSubnegotiation(reply, kSetControl, control);
}

void TTelnetClient::OnOption(std::uint8_t command, std::uint8_t option, std::vector<std::uint8_t>& reply) {
    const bool aboutUs = command == kDo || command == kDont;
    TOptionState& state = aboutUs ? us_[option] : him_[option];
    const bool enable = command == kDo || command == kWill;
    const bool allowed = aboutUs ? WeWant(option) : HeMay(option);
    const std::uint8_t yes = aboutUs ? kWill : kDo;
    const std::uint8_t no = aboutUs ? kWont : kDont;
    if (enable) {
        switch (state) {
            case TOptionState::No:
                if (allowed) {
                    state = TOptionState::Yes;
                    Put(reply, yes, option);
                } else {
                    Put(reply, no, option);  // politely, once per request; the state stays No
                }
                break;
            case TOptionState::WantYes:
                state = TOptionState::Yes;  // the answer to our own request
                break;
            case TOptionState::WantNo:
                state = TOptionState::No;  // a peer that answers our refusal with an offer: leave it off
                break;
            case TOptionState::Yes:
                break;
        }
        if (aboutUs && option == kComPortOption && state == TOptionState::Yes) {
            SendLineSettings(reply);
        }
        return;
    }
    switch (state) {
        case TOptionState::Yes:
            state = TOptionState::No;
            Put(reply, no, option);
            break;
        case TOptionState::WantYes:
        case TOptionState::WantNo:
            state = TOptionState::No;
            break;
        case TOptionState::No:
            break;
    }
    if (aboutUs && option == kComPortOption && refusal_ == TTelnetRefusal::None) {
        refusal_ = TTelnetRefusal::ComPortOption;
    }
}

void TTelnetClient::OnSubnegotiation() {
    if (sbOption_ != kComPortOption || sbOverflow_ || sb_.empty()) {
        return;
    }
    const std::uint8_t command = sb_[0];
    const std::span<const std::uint8_t> value(sb_.data() + 1, sb_.size() - 1);
    const auto check = [&](unsigned bit, bool matches, TTelnetRefusal refusal) {
        if (matches) {
            confirmed_ |= bit;
        } else if (refusal_ == TTelnetRefusal::None) {
            refusal_ = refusal;
        }
    };
    switch (command) {
        case kServerReplyOffset + kSetBaudRate:
            if (value.size() == 4) {
                const std::uint32_t baud = (std::uint32_t{value[0]} << 24) | (std::uint32_t{value[1]} << 16) |
                                           (std::uint32_t{value[2]} << 8) | std::uint32_t{value[3]};
                check(1, baud == kBaudRate, TTelnetRefusal::BaudRate);
            }
            break;
        case kServerReplyOffset + kSetDataSize:
            if (value.size() == 1) {
                check(2, value[0] == kDataSize, TTelnetRefusal::DataSize);
            }
            break;
        case kServerReplyOffset + kSetParity:
            if (value.size() == 1) {
                check(4, value[0] == kParityNone, TTelnetRefusal::Parity);
            }
            break;
        case kServerReplyOffset + kSetStopSize:
            if (value.size() == 1) {
                check(8, value[0] == kStopBitsOne, TTelnetRefusal::StopSize);
            }
            break;
        default:
            break;  // line and modem state notices and the rest: nothing the link needs
    }
}

void TTelnetClient::OnIacCommand(std::uint8_t byte) {
    if (byte == kWill || byte == kWont || byte == kDo || byte == kDont) {
        command_ = byte;
        parse_ = TParse::Option;
    } else if (byte == kSb) {
        parse_ = TParse::SbOption;
    } else {
        parse_ = TParse::Data;  // NOP, GA, a stray SE and the like carry nothing for us
    }
}

void TTelnetClient::Receive(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data,
                            std::vector<std::uint8_t>& reply) {
    for (const std::uint8_t b : in) {
        switch (parse_) {
            case TParse::Data:
                if (b == kIac) {
                    parse_ = TParse::Iac;
                } else {
                    data.push_back(b);
                }
                break;
            case TParse::Iac:
                if (b == kIac) {
                    data.push_back(kIac);
                    parse_ = TParse::Data;
                } else {
                    OnIacCommand(b);
                }
                break;
            case TParse::Option:
                OnOption(command_, b, reply);
                parse_ = TParse::Data;
                break;
            case TParse::SbOption:
                sbOption_ = b;
                sb_.clear();
                sbOverflow_ = false;
                parse_ = TParse::SbData;
                break;
            case TParse::SbData:
                if (b == kIac) {
                    parse_ = TParse::SbIac;
                } else if (sb_.size() < kMaxSubnegotiation) {
                    sb_.push_back(b);
                } else {
                    sbOverflow_ = true;
                }
                break;
            case TParse::SbIac:
                if (b == kIac) {
                    if (sb_.size() < kMaxSubnegotiation) {
                        sb_.push_back(kIac);
                    } else {
                        sbOverflow_ = true;
                    }
                    parse_ = TParse::SbData;
                } else if (b == kSe) {
                    OnSubnegotiation();
                    parse_ = TParse::Data;
                } else {
                    // A subnegotiation cut short by another command: drop it and take the command, so
                    // that a server that forgets its SE does not swallow the data after it.
                    sb_.clear();
                    OnIacCommand(b);
                }
                break;
        }
    }
}

}  // namespace tervis
