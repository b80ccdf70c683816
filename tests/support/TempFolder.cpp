#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "target/platform/SystemPath.h"

namespace fs = std::filesystem;

namespace mig::test {

TempFolder::TempFolder() {
#ifdef _WIN32
    const fs::path base = fs::temp_directory_path();
#else
    const char* tmpdir = std::getenv("TMPDIR");
    const fs::path base = tmpdir && *tmpdir ? fs::path(tmpdir) : fs::path("/tmp");
#endif
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / ("mig-test-" + std::to_string(random() % 1'000'000'000));
        // create_directory is false when the folder is there already: try another name.
        if (fs::create_directory(candidate)) {
            path_ = utf8Path(candidate);
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be made in " + utf8Path(base));
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(systemPath(path_), ec);
}

}  // namespace mig::test
