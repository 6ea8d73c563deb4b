#include "PortAccess.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "support/TempDir.h"

namespace tervis::cli {
namespace {

TEST(PortAccess, HintNamesTheGroupToJoinOnlyForAPermissionFault) {
    const TPortNode ttyS0{"dialout", true};
    EXPECT_EQ(PortPermissionHint("/dev/ttyS0", EACCES, ttyS0),
              "Нет прав на порт /dev/ttyS0: добавьте пользователя в группу dialout (sudo usermod -aG dialout "
              "$USER) и войдите снова");
    EXPECT_EQ(PortPermissionHint("/dev/ttyACM0", EPERM, TPortNode{"uucp", true}),
              "Нет прав на порт /dev/ttyACM0: добавьте пользователя в группу uucp (sudo usermod -aG uucp "
              "$USER) и войдите снова");
    // A node that could not be examined: the usual group.
    EXPECT_NE(PortPermissionHint("/dev/ttyUSB0", EACCES, std::nullopt).find("группу dialout"),
              std::string::npos);
    // Joining root's group, or a group without read and write rights, would not help.
    const std::string locked = PortPermissionHint("/dev/ttyS1", EACCES, TPortNode{"root", false});
    EXPECT_EQ(locked.find("usermod"), std::string::npos) << locked;
    EXPECT_NE(locked.find("udev"), std::string::npos) << locked;
    // Other trouble is not about rights.
    for (int error : {0, ENOENT, EBUSY, EIO}) {
        EXPECT_EQ(PortPermissionHint("/dev/ttyS0", error, ttyS0), "") << error;
    }
}

TEST(PortAccess, ExaminesTheOwnerGroupOfTheNode) {
    test::TTempDir dir;
    const std::string file = dir.File("tty");
    std::ofstream(file) << "";
    ASSERT_EQ(chmod(file.c_str(), 0660), 0);
    const std::optional<TPortNode> node = ExaminePortNode(file);
    ASSERT_TRUE(node.has_value());
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    const group* owner = getgrgid(status.st_gid);
    EXPECT_EQ(node->group, owner != nullptr ? owner->gr_name : std::to_string(status.st_gid));
    EXPECT_EQ(node->groupMayUse, status.st_gid != 0);

    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    EXPECT_FALSE(ExaminePortNode(file)->groupMayUse);
    EXPECT_FALSE(ExaminePortNode(dir.File("missing")).has_value());
    EXPECT_EQ(PortPermissionHint(dir.File("missing")), "");
}

}  // namespace
}  // namespace tervis::cli
