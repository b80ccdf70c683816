#include "tests/migrations/MigrationFixture.h"

#include "target/field/Win1252.h"

namespace mig::test {

std::string w(std::string_view utf8) { return utf8ToWin1252(utf8); }

}  // namespace mig::test
