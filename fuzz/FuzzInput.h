#pragma once
// How a fuzz input that stands for a dBase table and its memo file is laid out: a flags byte,
// the length of the table's part in three bytes (little-endian, taken modulo what is there),
// the table's bytes, then the memo file's bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mig::fuzz {

inline constexpr std::uint8_t kFoxProMemo = 0x01;  // the memo file is an .FPT (else a .DBT)
inline constexpr std::uint8_t kNoMemoFile = 0x02;  // no memo file beside the table

struct TableInput {
    std::uint8_t flags = 0;
    std::string_view dbf;
    std::string_view memo;
};

inline TableInput splitTable(const std::uint8_t* data, std::size_t size) {
    TableInput in;
    if (size < 4) return in;
    in.flags = data[0];
    const std::size_t rest = size - 4;
    const std::size_t length = (data[1] | (data[2] << 8) | (data[3] << 16)) % (rest + 1);
    const char* bytes = reinterpret_cast<const char*>(data) + 4;
    in.dbf = std::string_view(bytes, length);
    in.memo = std::string_view(bytes + length, rest - length);
    return in;
}

inline std::string joinTable(std::uint8_t flags, std::string_view dbf, std::string_view memo) {
    std::string out;
    out.push_back(static_cast<char>(flags));
    out.push_back(static_cast<char>(dbf.size() & 0xFF));
    out.push_back(static_cast<char>((dbf.size() >> 8) & 0xFF));
    out.push_back(static_cast<char>((dbf.size() >> 16) & 0xFF));
    out.append(dbf);
    out.append(memo);
    return out;
}

}  // namespace mig::fuzz
