#include "legacy/dbf/ByteSource.h"

#include <algorithm>

#include "target/field/Errors.h"

namespace mig::dbf {

void ByteSource::cutShort() const {
    throw DataError("Cannot read " + file_->path() + ": the file was cut short after it was opened (it held " +
                    std::to_string(size_) + " bytes then)");
}

std::string_view ByteSource::fill(std::uint64_t offset, std::size_t length) const {
    // Windows start at multiples of their size, so that a walk in either direction reads each
    // part of the file once; a range that crosses the end of one is read whole.
    const std::uint64_t start = offset - offset % kWindow;
    const std::size_t before = static_cast<std::size_t>(offset - start);
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(std::max(kWindow, before + length), size_ - start));
    if (window_.size() < wanted) window_.resize(wanted);
    held_ = 0;
    const std::size_t got = file_->readAt(start, window_.data(), wanted);
    if (got < before + length) cutShort();
    start_ = start;
    held_ = got;
    return {window_.data() + before, length};
}

void ByteSource::append(std::uint64_t offset, std::size_t length, std::string& out) const {
    if (!file_) {
        out.append(memory_.substr(offset, length));
        return;
    }
    const std::size_t at = out.size();
    out.resize(at + length);
    const std::size_t got = file_->readAt(offset, out.data() + at, length);
    if (got < length) {
        out.resize(at);
        cutShort();
    }
}

}  // namespace mig::dbf
