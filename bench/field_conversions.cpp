// Throughput of the field layer's conversions: assigning text to fields of each kind and
// writing floats in the general format. Every migrated record runs these once per field.
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "target/field/DateSyntax.h"
#include "target/field/Field.h"
#include "target/field/NumberFormat.h"
#include "target/field/NumberSyntax.h"
#include "target/field/RegionalSettings.h"

namespace {

class BenchField : public mig::Field {
public:
    BenchField(mig::FieldKind kind, int size = 0, int precision = 0)
        : Field(mig::FieldDef{"F", kind, size, precision}) {}
    mig::Value value() const override { return value_; }
    void store(mig::Value v) override { value_ = std::move(v); }

private:
    mig::Value value_;
};

mig::RegionalSettings brazil() {
    mig::RegionalSettings s;
    s.decimalSeparator = ',';
    s.shortDateFormat = "dd/mm/yyyy";
    s.longTimeFormat = "hh:mm:ss";
    return s;
}

template <std::size_t N>
void assignTexts(benchmark::State& state, mig::FieldKind kind, const std::array<const char*, N>& texts,
                 int size = 0) {
    mig::ScopedRegional scope(brazil());
    BenchField field(kind, size, 15);
    std::size_t i = 0;
    for (auto _ : state) {
        field.setText(texts[i]);
        i = i + 1 == N ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void SetTextInteger(benchmark::State& state) {
    assignTexts(state, mig::FieldKind::Integer, std::array{"42", "123456", "-7", "2147483647", " 1001"});
}
void SetTextFloat(benchmark::State& state) {
    assignTexts(state, mig::FieldKind::Float, std::array{"1,5", "1234,5678", "0,00005", "1000000", "5E-5"});
}
void SetTextDecimal(benchmark::State& state) {
    assignTexts(state, mig::FieldKind::Decimal, std::array{"1,5", "1234,56", "0,00000001", "1000000", "-0,50"});
}
void SetTextDate(benchmark::State& state) {
    assignTexts(state, mig::FieldKind::Date, std::array{"15/08/2021", "01/01/1960", "29/02/2024", "31/12/99"});
}
void SetTextShortText(benchmark::State& state) {
    assignTexts(state, mig::FieldKind::Text, std::array{"UN", "KG", "ML", "CAPS"}, 4);
}
void SetTextLongText(benchmark::State& state) {
    assignTexts(state, mig::FieldKind::Text,
                std::array{"RUA DAS FLORES DO CAMPO ALEGRE, 1234 - FUNDOS",
                           "AVENIDA BRASIL, 5000 - SALA 12 - CENTRO EMPRESARIAL DO NORTE - BLOCO B - ANDAR 3"},
                70);
}

void ParseInteger(benchmark::State& state) {
    const std::array texts{"42", "123456", "-7", "2147483647", " 1001"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mig::parseInteger(texts[i]));
        i = i + 1 == texts.size() ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void GeneralFloat(benchmark::State& state) {
    const std::array values{1.5, 1234.5678, 0.00005, 1e6, 1.0 / 3, 1.5e20, 0.1 + 0.2};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mig::formatGeneralFloat(values[i], ','));
        i = i + 1 == values.size() ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void FloatFieldAsText(benchmark::State& state) {
    mig::ScopedRegional scope(brazil());
    BenchField field(mig::FieldKind::Float);
    field.store(1234.5678);
    for (auto _ : state) benchmark::DoNotOptimize(field.asText());
    state.SetItemsProcessed(state.iterations());
}

void Pattern000000(benchmark::State& state) {
    std::int64_t n = 0;
    for (auto _ : state) benchmark::DoNotOptimize(mig::formatPattern000000(n++ % 2000000));
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(SetTextInteger);
BENCHMARK(SetTextFloat);
BENCHMARK(SetTextDecimal);
BENCHMARK(SetTextDate);
BENCHMARK(SetTextShortText);
BENCHMARK(SetTextLongText);
BENCHMARK(ParseInteger);
BENCHMARK(GeneralFloat);
BENCHMARK(FloatFieldAsText);
BENCHMARK(Pattern000000);

BENCHMARK_MAIN();
