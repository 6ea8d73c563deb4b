#include "core/base/SafeFile.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <random>
#include <utility>

#include "core/base/Errors.h"
#include "core/base/Format.h"

namespace tervis {

namespace fs = std::filesystem;

namespace {

// A name next to the target that no other save uses at the same time.
fs::path TemporaryNameFor(const fs::path& target) {
    unsigned suffix = 0;
    try {
        std::random_device entropy;
        suffix = entropy();
    } catch (const std::exception&) {
        // No entropy source: the clock still makes a clash with a concurrent save unlikely.
        suffix = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    fs::path temporary = target;
    temporary += Format(".tmp%08x", suffix);
    return temporary;
}

}  // namespace

void ReplaceFileContents(const fs::path& name, std::string_view bytes) {
    std::error_code ec;
    // The whole chain of links is followed, so that each keeps pointing at the replaced file.
    constexpr int kMaxLinks = 40;
    fs::path target = name;
    for (int links = 0; fs::is_symlink(target, ec); ++links) {
        const fs::path link = fs::read_symlink(target, ec);
        if (ec || links == kMaxLinks) {
            throw EInOutError(IoMessage("Ошибка записи файла", name, ec ? ec.value() : ELOOP));
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    const fs::file_status old = fs::status(target, ec);
    if (fs::exists(old)) {
        // Only a regular file is replaced: a device or a pipe is no configuration, and opening one can
        // block.
        if (!fs::is_regular_file(old)) {
            throw EInOutError(
                IoMessage("Ошибка записи файла", name, fs::is_directory(old) ? EISDIR : EINVAL));
        }
        // A file made read-only, or one the user may not write, stays as it is, although the folder would
        // allow replacing it. The mode is looked at too, because the superuser may open anything.
        constexpr fs::perms kWrite =
            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        if ((old.permissions() & kWrite) == fs::perms::none) {
            throw EInOutError(IoMessage("Ошибка записи файла", name, EACCES));
        }
        errno = 0;
        std::ofstream probe(target, std::ios::binary | std::ios::in | std::ios::out);
        if (!probe) {
            throw EInOutError(IoMessage("Ошибка записи файла", name, errno != 0 ? errno : EACCES));
        }
    }
    const fs::path temporary = TemporaryNameFor(target);
    errno = 0;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            throw EInOutError(IoMessage("Не удалось создать файл", name, errno));
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        const int writeError = errno;
        const bool written = out.good();
        out.close();
        if (!written || out.fail()) {
            fs::remove(temporary, ec);
            throw EInOutError(IoMessage("Ошибка записи файла", name, written ? errno : writeError));
        }
    }
    if (fs::exists(old)) {
        fs::permissions(temporary, old.permissions(), ec);
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw EInOutError(IoMessage("Ошибка записи файла", name, ec.value()));
    }
}

std::string SystemErrorText(int error) {
    // The reasons a file operation commonly fails, in the interface's language whatever the system's
    // locale; any other is named by its number rather than in a second language.
    static constexpr std::pair<int, const char*> kTexts[] = {
        {ENOENT, "Нет такого файла или каталога"},
        {EACCES, "Отказано в доступе"},
        {EPERM, "Операция не позволена"},
        {EISDIR, "Это каталог"},
        {ENOTDIR, "Не является каталогом"},
        {EEXIST, "Файл существует"},
        {ENOSPC, "На устройстве не осталось свободного места"},
        {EDQUOT, "Превышена дисковая квота"},
        {EROFS, "Файловая система доступна только для чтения"},
        {EFBIG, "Файл слишком велик"},
        {ENAMETOOLONG, "Слишком длинное имя файла"},
        {ELOOP, "Слишком много уровней символических ссылок"},
        {EMFILE, "Слишком много открытых файлов"},
        {ENFILE, "Слишком много открытых файлов в системе"},
        {EIO, "Ошибка ввода/вывода"},
        {EBUSY, "Устройство или ресурс занято"},
        {ETXTBSY, "Текстовый файл занят"},
        {EXDEV, "Неверная ссылка между устройствами"},
        {EINVAL, "Недопустимый аргумент"},
        {ENXIO, "Нет такого устройства или адреса"},
        {ENODEV, "Нет такого устройства"},
    };
    for (const auto& [code, text] : kTexts) {
        if (code == error) {
            return text;
        }
    }
    return Format("системная ошибка %d", error);
}

std::string IoMessage(const char* what, const fs::path& name, int error) {
    std::string text = std::string(what) + " " + name.string();
    if (error != 0) {
        text += ": ";
        text += SystemErrorText(error);
    }
    return text;
}

}  // namespace tervis
