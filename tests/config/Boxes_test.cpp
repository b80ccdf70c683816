#include <gtest/gtest.h>

#include "app/Dialogs.h"

namespace mig {
namespace {

TEST(errorBoxText, AppendsAPeriodWhenTheLastCharacterSortsAfterIt) {
    const struct { const char* message; const char* shown; } cases[] = {
        {"data", "data."},
        {"x.", "x."},
        {"x)", "x)"},      // ')' sorts before '.'
        {"x-", "x-"},      // '-' sorts before '.'
        {"code 42", "code 42."},
        {"x/", "x/."},     // '/' sorts after '.'
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorBoxText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown)) << c.message;
    }
}

TEST(applicationTitle, FileNameUpToTheFirstPeriodWithTheRestInLowerCase) {
    EXPECT_EQ(applicationTitle("/usr/local/bin/Migrador"), "Migrador");
    EXPECT_EQ(applicationTitle("C:/Programas/MIGRADOR.EXE"), "Migrador");
    EXPECT_EQ(applicationTitle("/x/migrador.tar.gz"), "migrador");  // the first character as it is
    EXPECT_EQ(applicationTitle("/x/M"), "M");
}

}  // namespace
}  // namespace mig
