#include "legacy/dbf/CodePageEvidence.h"

#include <cstring>

#include "legacy/dbf/CodePage.h"

namespace mig::dbf {
namespace {

// Weights of one byte above 0x7F under one code page.
constexpr int kPortugueseLetter = 2;
constexpr int kOtherLetter = -1;
constexpr int kCaseBreak = -4;
constexpr int kMisplaced = -3;     // a Portuguese letter where Portuguese does not put it
constexpr int kBesideLetter = -3;  // a symbol or punctuation mark where words do not have one
constexpr int kPunctuation = -1;
constexpr int kGraphic = -5;
constexpr int kUndefined = -10;

enum class Kind : std::uint8_t {
    Other,            // ASCII other than letters and digits
    Digit,
    Letter,
    Symbol,           // ¡ ¢ £ ¤ ¥ ¦ § ¨ © ¬ ® ¯ ± ² ³ ¶ · ¸ ¹ ¼ ½ ¾ ¿ × ÷ ƒ ₧: never next to a letter
    LooseSymbol,      // º ª ° « » NBSP, soft hyphen: next to letters, never inside a word
    Micro,            // µ: before a letter (µg), never after one
    Apostrophe,       // ’ ´ (SANT’ANA, D´ÁVILA)
    Punctuation,      // ‘ “ ” – — … • € ™: rare, never inside a word
    RarePunctuation,  // ‚ „ † ‡ ‰ ‹ › ˆ ˜: not in names at all
    Graphic,          // box drawing, blocks, Greek and mathematical signs
    Undefined,
};
enum class Mark : std::uint8_t { None, Acute, Grave, Circumflex, Tilde, Cedilla, Diaeresis };

struct CharInfo {
    Kind kind = Kind::Other;
    bool upper = false;
    bool portuguese = false;
    Mark mark = Mark::None;
    char base = 0;  // the letter without its mark, in lower case; 0 for none
};

// Letters of U+00C0..U+00FF without their marks, '-' for none, '*' for × and ÷.
constexpr const char* kLatin1Base = "aaaaaa-ceeeeiiii-nooooo*ouuuuy--aaaaaa-ceeeeiiii-nooooo*ouuuuy-y";

Mark portugueseMark(char32_t lower) {
    switch (lower) {
        case U'á': case U'é': case U'í': case U'ó': case U'ú': return Mark::Acute;
        case U'à': return Mark::Grave;
        case U'â': case U'ê': case U'ô': return Mark::Circumflex;
        case U'ã': case U'õ': return Mark::Tilde;
        case U'ç': return Mark::Cedilla;
        case U'ü': return Mark::Diaeresis;
        default: return Mark::None;
    }
}

CharInfo classify(char32_t cp) {
    CharInfo c;
    if (cp < 0x80) {
        if (cp >= '0' && cp <= '9') c.kind = Kind::Digit;
        if ((cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z')) {
            c.kind = Kind::Letter;
            c.upper = cp <= 'Z';
            c.base = static_cast<char>(c.upper ? cp + 0x20 : cp);
        }
        return c;
    }
    if (cp == 0xFFFD || cp < 0xA0) {
        c.kind = Kind::Undefined;
    } else if (cp == 0xBA || cp == 0xAA || cp == 0xB0 || cp == 0xAB || cp == 0xBB || cp == 0xA0 || cp == 0xAD) {
        c.kind = Kind::LooseSymbol;
    } else if (cp == 0xB5) {
        c.kind = Kind::Micro;
    } else if (cp == 0xB4 || cp == 0x2019) {
        c.kind = Kind::Apostrophe;
    } else if (cp < 0xC0 || cp == 0xD7 || cp == 0xF7 || cp == 0x0192 || cp == 0x20A7) {
        c.kind = Kind::Symbol;
    } else if (cp <= 0xFF) {
        c.kind = Kind::Letter;
        c.upper = cp < 0xDF;
        const char base = kLatin1Base[cp - 0xC0];
        c.base = base == '-' ? 0 : base;
        c.mark = portugueseMark(c.upper ? cp + 0x20 : cp);
        c.portuguese = c.mark != Mark::None;
    } else if (cp == 0x0160 || cp == 0x0161 || cp == 0x0152 || cp == 0x0153 || cp == 0x017D || cp == 0x017E ||
               cp == 0x0178 || cp == 0x0131) {
        c.kind = Kind::Letter;  // Š š Œ œ Ž ž Ÿ ı
        c.upper = cp == 0x0160 || cp == 0x0152 || cp == 0x017D || cp == 0x0178;
        c.base = cp == 0x0131 ? 'i' : 0;
    } else if (cp == 0x201A || cp == 0x201E || cp == 0x2020 || cp == 0x2021 || cp == 0x2030 || cp == 0x2039 ||
               cp == 0x203A || cp == 0x02C6 || cp == 0x02DC) {
        c.kind = Kind::RarePunctuation;
    } else if ((cp >= 0x2000 && cp <= 0x206F) || cp == 0x20AC || cp == 0x2122) {
        c.kind = Kind::Punctuation;
    } else {
        c.kind = Kind::Graphic;
    }
    return c;
}

using Table = std::array<CharInfo, 256>;

const std::array<Table, 4>& tables() {
    static const std::array<Table, 4> all = [] {
        std::array<Table, 4> t{};
        for (std::size_t k = 0; k < CodePageEvidence::kCandidates.size(); ++k) {
            const CodePage& page = *CodePage::find(CodePageEvidence::kCandidates[k]);
            for (int b = 0; b < 256; ++b) t[k][static_cast<std::size_t>(b)] = classify(page.unicode(static_cast<unsigned char>(b)));
        }
        return t;
    }();
    return all;
}

bool isVowel(char base) { return base && std::strchr("aeiou", base); }

// The weight of text[i], a byte above 0x7F, read through `t`.
int weigh(const Table& t, std::string_view text, std::size_t i) {
    static const CharInfo none;
    const auto at = [&](std::size_t k) -> const CharInfo& { return t[static_cast<unsigned char>(text[k])]; };
    const CharInfo& c = at(i);
    const CharInfo& prev = i > 0 ? at(i - 1) : none;
    const CharInfo& prev2 = i > 1 ? at(i - 2) : none;
    const CharInfo& next = i + 1 < text.size() ? at(i + 1) : none;
    const bool afterLetter = prev.kind == Kind::Letter;
    const bool beforeLetter = next.kind == Kind::Letter;
    switch (c.kind) {
        case Kind::Undefined: return kUndefined;
        case Kind::Graphic: return kGraphic;
        case Kind::Symbol: return afterLetter || beforeLetter ? kBesideLetter : 0;
        case Kind::LooseSymbol: return afterLetter && beforeLetter ? kBesideLetter : 0;
        case Kind::Micro: return afterLetter ? kBesideLetter : 0;
        case Kind::Punctuation: return afterLetter && beforeLetter ? kBesideLetter : kPunctuation;
        case Kind::RarePunctuation: return kBesideLetter;
        case Kind::Apostrophe:
        case Kind::Other:
        case Kind::Digit: return 0;
        case Kind::Letter: break;
    }

    int w = c.portuguese ? kPortugueseLetter : kOtherLetter;
    // Within a word, a lower-case letter is never followed by a capital, and a capital is
    // followed by a lower-case letter only when it starts the word.
    const bool caseBreak = (afterLetter && !prev.upper && c.upper) ||
                           (afterLetter && prev.upper && !c.upper && prev2.kind == Kind::Letter) ||
                           (beforeLetter && !c.upper && next.upper) ||
                           (beforeLetter && c.upper && !next.upper && afterLetter);
    if (caseBreak) w += kCaseBreak;
    if (!c.portuguese) return w;

    bool misplaced = prev.kind == Kind::Digit;
    switch (c.mark) {
        case Mark::Cedilla:
            misplaced = misplaced || !afterLetter || !(isVowel(prev.base) || (prev.base && std::strchr("nrl", prev.base))) ||
                        !(next.base == 'a' || next.base == 'o' || next.base == 'u');
            break;
        case Mark::Tilde:
            misplaced = misplaced || !afterLetter || (beforeLetter && !(next.base == 'o' || next.base == 'e' || next.base == 's'));
            break;
        case Mark::Circumflex:
            misplaced = misplaced || !afterLetter;
            break;
        case Mark::Grave:
            misplaced = misplaced || afterLetter;  // à, às, àquele
            break;
        default:
            break;
    }
    if (misplaced) w += kMisplaced;
    return w;
}

bool hasHighByte(std::string_view text) {
    for (const char ch : text) {
        if (static_cast<unsigned char>(ch) >= 0x80) return true;
    }
    return false;
}

}  // namespace

void CodePageEvidence::add(std::string_view text) {
    if (!hasHighByte(text)) return;
    const auto& all = tables();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) < 0x80) continue;
        ++nonAscii_;
        for (std::size_t k = 0; k < all.size(); ++k) scores_[k] += weigh(all[k], text, i);
    }
}

int CodePageEvidence::decide() const {
    std::size_t best = 1;
    for (std::size_t k = 2; k < scores_.size(); ++k) {
        if (scores_[k] > scores_[best]) best = k;
    }
    return scores_[best] - scores_[0] >= kMargin ? kCandidates[best] : kCandidates[0];
}

}  // namespace mig::dbf
