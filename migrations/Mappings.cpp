// The twelve migrations: which legacy table goes to which target dataset, in which form, and
// the field mapping of each, in the order the assignments run.
#include <array>

#include "legacy/LegacyTable.h"
#include "migrations/Migration.h"
#include "target/field/Field.h"
#include "target/field/NumberFormat.h"

namespace mig {

namespace {

using K = std::string_view;

// --- Pharmaceutical forms, families, districts, dosage instructions -------------------------

constexpr Assignment kFormaFar[] = {
    {"FORMAFARMA", fromField("GRPDESCRI")},
    {"VALIDADE", fromField("GRPVALTEX")},
};
constexpr K kFormaFarKey[] = {"FORMAFARMA"};

constexpr Assignment kFamilias[] = {
    {"CODIGO", fromField("ACTCODIGO")},
    {"FAMILIA", fromField("ACTDESCRI")},
};
constexpr K kCodigoKey[] = {"CODIGO"};

constexpr Assignment kTaxaBar[] = {
    {"BAIRRO", fromField("REGBAIRRO")},
    {"TAXA", number("3.5")},
};
constexpr K kBairroKey[] = {"BAIRRO"};

constexpr Assignment kTabPoso[] = {
    {"CODIGO", fromField("POSCODIGO")},
    {"POSOLOGIA", fromField("POSDESCRI")},
};

// --- Suppliers and manufacturers: one mapping over two field prefixes -----------------------

#define MIG_SUPPLIER_MAPPING(P)                                  \
    {"CODIGO", fromField(P "CODIGO")},                           \
    {"NOME", fromField(P "RAZAOS")},                             \
    {"NOMEFANTASIA", fromField(P "RAZAOS")},                     \
    {"ENDERECO", fromField(P "ENDERE")},                         \
    {"COMPLEMENTO", fromField(P "BAIRRO")},                      \
    {"CEP", fromField(P "NUMCEP")},                              \
    {"CIDADE", fromField(P "CIDADE")},                           \
    {"ESTADO", fromField(P "ESTADO")},                           \
    {"TEL", join(P "TELEF1", P "TELEF2", "  ")},                 \
    {"FAX", fromField(P "NUMFAX")},                              \
    {"E_MAIL", fromField(P "E_MAIL")},                           \
    {"SITE", fromField(P "HOMEPG")},                             \
    {"CNPJ", fromField(P "CGCCPF")},                             \
    {"IE", fromField(P "INSCRG")}

constexpr Assignment kForneced[] = {MIG_SUPPLIER_MAPPING("FOR")};
constexpr Assignment kFabric[] = {MIG_SUPPLIER_MAPPING("FAB")};
#undef MIG_SUPPLIER_MAPPING

// --- Customers ---------------------------------------------------------------------------

// The birth date arrives as the same date whatever the regional settings: a date field is
// carried as a date (its text would lose the century under a two-digit-year format); a text
// field goes through the date syntax.
void birthDate(RecordContext& context, Field& target) {
    Field& source = context.legacyField("CLIDTNASC");
    if (source.kind() == FieldKind::Date && target.kind() == FieldKind::Date) {
        target.store(source.value());  // an empty date empties the field
        return;
    }
    target.setText(source.asText());
}

constexpr Assignment kClientes[] = {
    {"ESTACAO", constant("00")},
    {"CODIGO", fromField("CLICODIGO")},
    {"NOME", fromField("CLINOMECO")},
    {"ENDERECO", fromField("CLIENDERE")},
    {"COMPLEMENTO", fromField("CLIBAIRRO")},
    {"CIDADE", fromField("CLICIDADE")},
    {"ESTADO", fromField("CLIESTADO")},
    {"CEP", fromField("CLINUMCEP")},
    {"FONE", fromField("CLINUMTEL")},
    {"CPF", fromField("CLINUMCPF")},
    {"IDENTIDADE", fromField("CLIDOCUME")},
    {"DATAANIVERSARIO", computed(birthDate)},
    {"REFERENCIA", fromField("CLIE_MAIL")},
    {"OBS", join("CLIOBSERV", "CLIOBSMAN")},
    {"SEXO", fromField("CLISEXOCL")},
    {"E_MAIL", constant("")},
    {"TIPODOCUMENTO", fromField("CLITPDOCU")},
    {"ORGAOEXPEDIDOR", fromField("CLIORGEXP")},
    {"UFEMISSAODOCUMENTO", fromField("CLIESTEXP")},
};

// --- Physicians --------------------------------------------------------------------------

// A physician without a usable registration number (fewer than two characters) is left out.
bool hasRegistration(LegacyTable& legacy) { return legacy.FieldByName("MEDCRNUME").asText().size() >= 2; }

constexpr Assignment kMedicos[] = {
    {"CRM", fromField("MEDCRNUME")},
    {"ESPECIALIDADE", constant("M\xE9" "dico")},  // "Médico" in WIN1252
    {"NOME", fromField("MEDNOMECO")},
    {"ENDERECO", fromField("MEDENDERE")},
    {"COMPLEMENTO", fromField("MEDBAIRRO")},
    {"CIDADE", fromField("MEDCIDADE")},
    {"ESTADO", fromField("MEDESTADO")},
    {"CEP", fromField("MEDNUMCEP")},
    {"TELEFONES", fromField("MEDNUMTEL")},
};
constexpr K kCrmKey[] = {"CRM"};

// --- Raw materials -----------------------------------------------------------------------

void rawMaterialCode(RecordContext& context, Field& target) {
    target.setText(formatPattern000000(context.legacyField("MATCODIGO").asInteger()));
}

// A factor copied as written when it is positive, else 1.
template <std::string_view const& legacyField>
void positiveOrOne(RecordContext& context, Field& target) {
    Field& source = context.legacyField(legacyField);
    target.setText(source.asFloat() > 0 ? source.asText() : std::string("1"));
}
constexpr std::string_view kMatFatCor = "MATFATCOR";
constexpr std::string_view kMatDensid = "MATDENSID";

constexpr Assignment kComponen[] = {
    {"CODIGO", computed(rawMaterialCode)},
    {"COMPONENTE", fromField("MATNOMECO")},
    {"GRUPO", constant("MP")},
    {"UNID", fromField("MATUNICOM")},
    {"CUSTOUNITUS", constant("1000")},
    {"CUSTOUNITR", constant("1000")},
    {"MULTIPLICADOR", constant("7")},
    {"DIVISORUNID", constant("1000")},
    {"FATORCORRECAO", computed(positiveOrOne<kMatFatCor>)},
    {"DENSIDADE", computed(positiveOrOne<kMatDensid>)},
    {"ESTOQUECRITICO", fromField("MATESTMIN")},
    {"ESTOQUEMAXIMO", constant("1000000")},
    {"NOMECIENTIFICO", fromField("MATNOMECI")},
};

// --- Capsules, vehicles, packaging: numbered after the greatest code --------------------

void nextCode(RecordContext& context, Field& target) { target.setText(formatPattern000000(context.counter)); }

#define MIG_COMPONENT_MAPPING(NAME, GROUP, UNIT, MINIMUM) \
    {"CODIGO", computed(nextCode)},                       \
    {"COMPONENTE", NAME},                                 \
    {"GRUPO", constant(GROUP)},                           \
    {"UNID", UNIT},                                       \
    {"CUSTOUNITUS", constant("10")},                      \
    {"CUSTOUNITR", constant("1000")},                     \
    {"MULTIPLICADOR", constant("3")},                     \
    {"DIVISORUNID", constant("1000")},                    \
    {"FATORCORRECAO", constant("1")},                     \
    {"DENSIDADE", constant("1")},                         \
    {"ESTOQUECRITICO", MINIMUM},                          \
    {"ESTOQUEMAXIMO", constant("1000000")}

constexpr Assignment kCapsulas[] = {
    MIG_COMPONENT_MAPPING(fromField("EMBNOMECO"), "CAP", constant("un"), fromField("EMBESTMIN"))};
constexpr Assignment kVeiculos[] = {
    MIG_COMPONENT_MAPPING(fromField("BASDESCRI"), "VEI", fromField("BASUNIDAD"), constant("0"))};
constexpr Assignment kEmbalagens[] = {
    MIG_COMPONENT_MAPPING(fromField("EMBNOMECO"), "EMB", constant("un"), constant("0"))};
#undef MIG_COMPONENT_MAPPING

constexpr MigrationForm kBatch = MigrationForm::Batch;
constexpr MigrationForm kRows = MigrationForm::RowByRow;

constexpr std::array<MigrationDef, 12> kMigrations = {{
    {MasterData::PharmaceuticalForms, "FormaFarma", "FormaFar", "A tabela de FORMAS FARMACÊUTICAS já está carregada.",
     kBatch, kFormaFar, kFormaFarKey},
    {MasterData::Suppliers, "Forneced", "Fornecedor", "A tabela de FORNECEDORES já está carregada.", kBatch, kForneced,
     kCodigoKey},
    {MasterData::Families, "Familias", "Familias", "A tabela de FAMÍLIAS já está carregada.", kBatch, kFamilias,
     kCodigoKey},
    {MasterData::Customers, "Clientes", "CLIENTES", "A tabela de CLIENTES já está carregada.", kBatch, kClientes,
     kCodigoKey},
    {MasterData::Physicians, "Medicos", "MEDICOS", "A tabela de Medicos já está carregada.", kRows, kMedicos, kCrmKey,
     hasRegistration, false, "MEDCRNUME", "o número do CRM precisa ter pelo menos 2 caracteres"},
    {MasterData::RawMaterials, "Componen", "COMPONEN", "A tabela de Componentes já está carregada.", kRows, kComponen,
     kCodigoKey},
    {MasterData::Capsules, "Capsulas", "Capsulas", "A tabela de Cápsulas já está carregada.", kRows, kCapsulas,
     kCodigoKey, nullptr, true},
    {MasterData::Vehicles, "Veiculos", "Veiculos", "A tabela de Veículos já está carregada.", kRows, kVeiculos,
     kCodigoKey, nullptr, true},
    {MasterData::Packaging, "Embalagens", "Embalagens", "A tabela de Embalagens já está carregada.", kRows,
     kEmbalagens, kCodigoKey, nullptr, true},
    {MasterData::Manufacturers, "Fabric", "Fabric", "A tabela de Fabricantes já está carregada.", kBatch, kFabric,
     kCodigoKey},
    {MasterData::Districts, "Bairros", "TaxaBar", "A tabela de Bairros já está carregada.", kRows, kTaxaBar,
     kBairroKey},
    {MasterData::DosageInstructions, "Posologias", "TabPoso", "A tabela de Posologias já está carregada.", kRows,
     kTabPoso, kCodigoKey},
}};

// The table stands in the order of the kinds, so that a kind finds its migration by its place.
constexpr bool inOrderOfTheKinds() {
    for (std::size_t i = 0; i < kMasterData.size(); ++i) {
        if (kMigrations[i].kind != kMasterData[i]) return false;
    }
    return true;
}
static_assert(inOrderOfTheKinds());

}  // namespace

std::span<const MigrationDef> migrationDefs() { return kMigrations; }

const MigrationDef& migrationOf(MasterData kind) { return kMigrations[static_cast<std::size_t>(kind)]; }

}  // namespace mig
