#pragma once
// The twelve dataset chains of the data module, written once as data: the names of their four
// components, the SELECT of each SQL dataset and the declared fields of both datasets.
#include <span>
#include <string_view>

#include "target/field/FieldKind.h"

namespace mig {

// One declared field. `size` is the text length or, for a decimal, the digits after the
// separator; `precision` the total digits of a decimal. Display format, edit mask and default
// are declared on the client side only (empty elsewhere).
struct FieldSpec {
    std::string_view name{};
    FieldKind kind = FieldKind::Text;
    int size = 0;
    int precision = 0;
    bool required = false;
    bool key = false;
    std::string_view displayFormat{};
    std::string_view editMask{};
    std::string_view defaultValue{};  // the text a new row starts with; empty when none

    constexpr FieldSpec req() const { FieldSpec f = *this; f.required = true; return f; }
    constexpr FieldSpec keyed() const { FieldSpec f = *this; f.key = true; return f; }
    constexpr FieldSpec shownAs(std::string_view format) const { FieldSpec f = *this; f.displayFormat = format; return f; }
    constexpr FieldSpec mask(std::string_view m) const { FieldSpec f = *this; f.editMask = m; return f; }
    constexpr FieldSpec defaults(std::string_view d) const { FieldSpec f = *this; f.defaultValue = d; return f; }
};

struct ChainDef {
    std::string_view kind;           // how the rest of the program speaks of it ("pharmaceutical forms")
    std::string_view clientDataSet;  // `FormaFar`
    std::string_view dataSource;     // `DS_FormaFar`
    std::string_view provider;       // `DSP_FormaFar`
    std::string_view sqlDataSet;     // `SQLDS_FormaFar`
    std::string_view select;         // the SQL dataset's statement
    std::span<const FieldSpec> clientFields;
    // The SQL dataset's declared fields; empty when it declares none (its fields are then the
    // server's columns, without key marks).
    std::span<const FieldSpec> sqlFields;
};

// The twelve chains, in the order the data module lists them.
std::span<const ChainDef> chainDefs();
// The chain whose client dataset has that name (exact); nullptr when none.
const ChainDef* findChain(std::string_view clientDataSet);

}  // namespace mig
