#include "target/field/Messages.h"

namespace mig::msg {

std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::size_t extra = 0;
    for (const auto a : args) extra += a.size();
    std::string out;
    out.reserve(pattern.size() + extra);
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            const char k = pattern[i + 1];
            if (k == '%') {
                out.push_back('%');
                ++i;
                continue;
            }
            if (k == 's' || k == 'g' || k == 'd') {
                if (next != args.end()) out.append(*next++);
                ++i;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}

}  // namespace mig::msg
