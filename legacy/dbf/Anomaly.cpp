#include "legacy/dbf/Anomaly.h"

#include <cstdio>

namespace mig::dbf {

std::string_view anomalyKindName(AnomalyKind kind) {
    switch (kind) {
        case AnomalyKind::HeaderLayout: return "damaged header";
        case AnomalyKind::RecordsMissing: return "records missing";
        case AnomalyKind::TruncatedRecord: return "truncated record";
        case AnomalyKind::ExtraRecords: return "records beyond the header's count";
        case AnomalyKind::BadFlag: return "bad record flag";
        case AnomalyKind::ImpossibleDate: return "impossible date";
        case AnomalyKind::NumberOverflow: return "number overflow";
        case AnomalyKind::BadNumber: return "bad number";
        case AnomalyKind::BadLogical: return "bad logical value";
        case AnomalyKind::BadMemoPointer: return "bad memo pointer";
        case AnomalyKind::MemoOutOfRange: return "memo pointer out of range";
        case AnomalyKind::MemoCutShort: return "memo cut short";
        case AnomalyKind::BadDateTime: return "bad date and time";
    }
    return "anomaly";
}

std::string printableBytes(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (const char ch : raw) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(ch);
        } else {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

std::string describe(const Anomaly& a) {
    std::string out = a.file;
    if (a.record > 0) out += ", record " + std::to_string(a.record);
    if (!a.field.empty()) out += ", field " + a.field;
    out += ": ";
    out += anomalyKindName(a.kind);
    if (!a.raw.empty()) out += " \"" + printableBytes(a.raw) + "\"";
    if (!a.detail.empty()) out += " (" + a.detail + ")";
    return out;
}

}  // namespace mig::dbf
