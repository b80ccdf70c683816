#include "tests/support/SqlScript.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace mig::test {

std::vector<std::string_view> splitSqlScript(std::string_view script) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    auto emit = [&](std::size_t end) {
        std::string_view s = script.substr(start, end - start);
        // Only comments and white space: nothing to run.
        bool code = false;
        for (std::size_t i = 0; i < s.size() && !code;) {
            if (s.compare(i, 2, "/*") == 0) {
                const auto e = s.find("*/", i + 2);
                i = e == std::string_view::npos ? s.size() : e + 2;
            } else if (s.compare(i, 2, "--") == 0) {
                const auto e = s.find('\n', i);
                i = e == std::string_view::npos ? s.size() : e + 1;
            } else if (static_cast<unsigned char>(s[i]) <= ' ') {
                ++i;
            } else {
                code = true;
            }
        }
        if (code) out.push_back(s);
    };
    for (std::size_t i = 0; i < script.size();) {
        const char ch = script[i];
        if (ch == '\'' || ch == '"') {
            const auto e = script.find(ch, i + 1);  // a doubled quote reads as two strings
            i = e == std::string_view::npos ? script.size() : e + 1;
        } else if (script.compare(i, 2, "/*") == 0) {
            const auto e = script.find("*/", i + 2);
            i = e == std::string_view::npos ? script.size() : e + 2;
        } else if (script.compare(i, 2, "--") == 0) {
            const auto e = script.find('\n', i);
            i = e == std::string_view::npos ? script.size() : e + 1;
        } else if (ch == ';') {
            emit(i);
            start = ++i;
        } else {
            ++i;
        }
    }
    emit(script.size());
    return out;
}

void runSqlScript(db::Attachment& attachment, std::string_view script) {
    for (std::string_view sql : splitSqlScript(script)) attachment.executeImmediate(sql);
}

std::string targetSchema() {
    const std::string path = MIG_SOURCE_DIR "/sql/schema.sql";
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::unique_ptr<db::Attachment> createTargetDatabase(const db::AttachParams& params) {
    auto attachment = db::Attachment::create(params);
    runSqlScript(*attachment, targetSchema());
    return attachment;
}

}  // namespace mig::test
