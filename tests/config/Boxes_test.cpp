#include <gtest/gtest.h>

#include "app/Dialogs.h"

namespace mig {
namespace {

TEST(ErrorBoxText, AppendsAPeriodWhenTheLastCharacterSortsAfterIt) {
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
        EXPECT_EQ(ErrorBoxText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown)) << c.message;
    }
}

TEST(ApplicationTitle, FileNameUpToTheFirstPeriodWithTheRestInLowerCase) {
    EXPECT_EQ(ApplicationTitle("/usr/local/bin/Migrador"), "Migrador");
    EXPECT_EQ(ApplicationTitle("C:/Programas/MIGRADOR.EXE"), "Migrador");
    EXPECT_EQ(ApplicationTitle("/x/migrador.tar.gz"), "migrador");  // the first character as it is
    EXPECT_EQ(ApplicationTitle("/x/M"), "M");
}

}  // namespace
}  // namespace mig
