// The Windows test runs: the ANSI code page must be 1252, or every German text of the
// programs shows wrongly (Wine takes it from the locale that scripts/wine-run.sh sets).
#ifdef _WIN32

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(WindowsEnvironment, AnsiCodePageIs1252) { EXPECT_EQ(GetACP(), 1252u); }

}  // namespace

#endif
