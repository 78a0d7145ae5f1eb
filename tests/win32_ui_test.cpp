// The Win32 user interface's portable parts; built and run in the Windows build only.
#ifdef _WIN32

#include "platform/win32/win32_ui.h"

#include <gtest/gtest.h>

namespace kest {
namespace {

TEST(ViewerCommandLine, PathIsQuoted) {
    EXPECT_EQ(viewer_command_line("C:\\My Data\\DATA.TXT"), "notepad.exe \"C:\\My Data\\DATA.TXT\"");
    EXPECT_EQ(viewer_command_line("C:\\x.TXT & calc"), "notepad.exe \"C:\\x.TXT & calc\"");
    EXPECT_EQ(viewer_command_line("a\"b"), "");
    EXPECT_EQ(viewer_command_line(""), "");
}

}  // namespace
}  // namespace kest

#endif
