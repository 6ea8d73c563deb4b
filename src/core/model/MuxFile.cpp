// The ".mux" file: the configuration image, 32767 little-endian words, nothing else.
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "core/base/Errors.h"
#include "core/base/SafeFile.h"
#include "core/model/Mux.h"

namespace tervis {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFileBytes = image::kWords * 2;  // 65534

}  // namespace

// The file is the image's words, low byte first.
std::string TMux::FileBytes() const {
    std::string bytes(kFileBytes, '\0');
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes.data(), image_.data(), kFileBytes);
    } else {
        char* out = bytes.data();
        for (const std::uint16_t word : image_) {
            *out++ = static_cast<char>(word & 0xFF);
            *out++ = static_cast<char>(word >> 8);
        }
    }
    return bytes;
}

bool TMux::LoadFileBytes(std::string_view bytes) {
    if (bytes.size() < kFileBytes) {
        return false;
    }
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(image_.data(), bytes.data(), kFileBytes);
    } else {
        const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
        for (std::uint16_t& word : image_) {
            word = static_cast<std::uint16_t>(in[0] | (in[1] << 8));
            in += 2;
        }
    }
    SetModified(false);
    return true;
}

bool TMux::SaveToFile(const fs::path& name) {
    // A failed or interrupted save leaves the previous file as it was.
    ReplaceFileContents(name, FileBytes());
    SetModified(false);
    return true;
}

bool TMux::LoadFromFile(const fs::path& name) {
    std::error_code ec;
    if (!fs::exists(name, ec)) {
        if (operator_ != nullptr) {
            operator_->ShowMessage("Файл " + name.string() + " не найден");
        }
        return false;
    }
    if (!fs::is_regular_file(name, ec)) {
        // A device or a pipe is no configuration file, and reading one could block or never end.
        throw EInOutError(
            IoMessage("Не удалось открыть файл", name, fs::is_directory(name, ec) ? EISDIR : EINVAL));
    }
    // Read into a separate buffer first: a short or unreadable file leaves the image untouched.
    std::array<char, kFileBytes> bytes{};
    {
        errno = 0;
        std::ifstream in(name, std::ios::binary);
        if (!in) {
            throw EInOutError(IoMessage("Не удалось открыть файл", name, errno));
        }
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (in.gcount() != static_cast<std::streamsize>(bytes.size())) {
            throw EInOutError(IoMessage("Ошибка чтения файла", name, in.bad() ? errno : 0) +
                              (in.bad() ? "" : ": файл короче 65534 байт"));
        }
    }
    return LoadFileBytes(std::string_view(bytes.data(), bytes.size()));
}

}  // namespace tervis
