// The address path as the operator types it. A path is accepted or refused with the operator's message;
// an accepted path has whole hops within the length limit, and its printed form reads back as the same
// path.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "core/link/Address.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = tervis::fuzz::AsText(data, size);
    std::vector<std::uint8_t> path;
    try {
        path = tervis::ParseAddressPath(text);
    } catch (const tervis::EAddressError& error) {
        const std::string message = error.what();
        FUZZ_CHECK(message == "Неверный формат адреса" || message == "Слишком большая длина адреса");
        return 0;
    }
    FUZZ_CHECK(path.size() % 2 == 0 && path.size() <= tervis::kMaxAddressBytes);
    FUZZ_CHECK(text.empty() == path.empty());
    for (std::uint8_t end : path) {
        FUZZ_CHECK((end >> 4) <= 3);  // port 0..3, slot 0..15
    }
    const std::string printed = tervis::FormatAddressPath(path);
    FUZZ_CHECK(tervis::ParseAddressPath(printed) == path);
    FUZZ_CHECK(tervis::FormatAddressPath(tervis::ParseAddressPath(printed)) == printed);
    return 0;
}
