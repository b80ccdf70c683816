#pragma once
// Which code page the text of a dBase file that records none is written in, decided from the
// text itself: WIN1252, or one of the DOS code pages of Portuguese text (850, 860, 437).
//
// Text is added value by value, as its bytes stand in the file. ASCII reads the same in every
// one of them; each byte above 0x7F is weighed under each code page by what it would be there,
// in its place among its neighbours:
//   - a Portuguese letter (á à â ã é ê í ó ô õ ú ü ç and their capitals) counts for the code
//     page, unless it stands where Portuguese never puts it: ç/Ç not between a vowel (or n, r,
//     l) and a, o or u; ã/õ not ending a syllable; â ê ô ã õ ç starting a word; à inside one;
//     an accented letter right after a digit;
//   - a letter of another language counts a little against it;
//   - a letter whose case breaks the case of its word ("JoÆo", "JOãO") counts against it, which
//     is what tells capitals apart: the CP850 byte of "Ã" is the WIN1252 byte of "Ç";
//   - a symbol or punctuation mark where words do not have one counts against it: most symbols
//     (¡ ¢ £ ¶ · ...) beside a letter, º ª ° « » and NBSP inside a word, µ after a letter, the
//     quotes and dashes of WIN1252's 0x80-0x9F inside a word (elsewhere only a little), its
//     ‚ „ † ‡ ‰ ‹ › ˆ ˜ anywhere;
//   - a box-drawing, block or graphic character counts strongly against it, and a byte the code
//     page leaves undefined (WIN1252's 0x81 0x8D 0x8F 0x90 0x9D) most strongly.
// WIN1252 stays unless the best DOS code page reads the text clearly better (kMargin); among
// DOS code pages that read it equally well the first of kCandidates wins (they then give the
// same text for every byte seen).
#include <array>
#include <cstdint>
#include <string_view>

namespace mig::dbf {

class CodePageEvidence {
public:
    // The code pages weighed: WIN1252, then the DOS code pages in the order ties go to.
    static constexpr std::array<int, 4> kCandidates = {1252, 850, 860, 437};
    // How much better than WIN1252 a DOS code page must read the text to be chosen: a little
    // more than one Portuguese letter that WIN1252 reads as something else.
    static constexpr int kMargin = 4;

    // Weighs the bytes of one value (a character field, a memo).
    void add(std::string_view text);

    // The code page decided so far: one of kCandidates.
    int decide() const;
    // The weight of the text under each code page, in the order of kCandidates.
    const std::array<std::int64_t, 4>& scores() const { return scores_; }
    // Bytes above 0x7F weighed so far.
    std::int64_t nonAsciiBytes() const { return nonAscii_; }

private:
    std::array<std::int64_t, 4> scores_{};
    std::int64_t nonAscii_ = 0;
};

}  // namespace mig::dbf
