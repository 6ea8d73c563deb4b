#include "core/link/HostFrame.h"

#include <algorithm>

namespace tervis {

bool EncodeHostMessage(std::uint8_t kind, std::span<const std::uint8_t> body,
                       std::vector<std::uint8_t>& out) {
    if (body.size() > kHostMaxDataBytes) {
        return false;
    }
    out.push_back(kind);
    out.push_back(static_cast<std::uint8_t>(body.size() & 0xFF));
    out.push_back(static_cast<std::uint8_t>(body.size() >> 8));
    out.insert(out.end(), body.begin(), body.end());
    return true;
}

void THostMessageReader::Reset() {
    headerCount_ = 0;
    body_.clear();
    remaining_ = 0;
    skipping_ = false;
}

void THostMessageReader::Feed(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        if (headerCount_ < kHostHeaderBytes) {
            header_[headerCount_++] = bytes.front();
            bytes = bytes.subspan(1);
            if (headerCount_ < kHostHeaderBytes) {
                continue;
            }
            const std::uint8_t kind = header_[0];
            remaining_ = static_cast<std::size_t>(header_[1]) | (static_cast<std::size_t>(header_[2]) << 8);
            skipping_ = (kind != kHostDataCopy && kind != kHostActivate) || remaining_ > kHostMaxDataBytes;
            if (skipping_) {
                ++skipped_;
            }
            body_.clear();
        } else {
            const std::size_t take = std::min(remaining_, bytes.size());
            if (!skipping_) {
                body_.insert(body_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
            }
            bytes = bytes.subspan(take);
            remaining_ -= take;
        }
        if (headerCount_ == kHostHeaderBytes && remaining_ == 0) {
            // Complete: the next byte starts a new header. The sink may feed or reset us, so the state is
            // settled before it runs.
            const bool deliver = !skipping_;
            const std::uint8_t kind = header_[0];
            std::vector<std::uint8_t> body;
            body.swap(body_);
            Reset();
            if (deliver) {
                sink_(kind, body);
            }
        }
    }
}

}  // namespace tervis
