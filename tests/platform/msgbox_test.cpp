#include <gtest/gtest.h>

#include "platform/msgbox.h"
#include "platform/window.h"

namespace {

// With the headless video driver there is no display: the box goes to stderr and takes its first
// button instead of waiting for a user.
TEST(MessageBox, HeadlessFallsBackToStderr) {
    ASSERT_TRUE(plat::InitVideo());
    testing::internal::CaptureStderr();
    int yes = plat::MessageBox("続けますか", "情報", plat::MB_YESNO | plat::MB_ICONQUESTION);
    int ok = plat::MessageBox("記憶體容量不足", nullptr, plat::MB_OK | plat::MB_ICONEXCLAMATION);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(yes, plat::IDYES);
    EXPECT_EQ(ok, plat::IDOK);
    EXPECT_NE(err.find("[情報] 続けますか"), std::string::npos);
    EXPECT_NE(err.find("[Error] 記憶體容量不足"), std::string::npos);
}

}  // namespace
