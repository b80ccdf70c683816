#include "target/dataset/ChainDef.h"

#include <array>

namespace mig {
namespace {

constexpr FieldSpec field(std::string_view name, FieldKind kind, int size = 0, int precision = 0) {
    FieldSpec f;
    f.name = name;
    f.kind = kind;
    f.size = size;
    f.precision = precision;
    return f;
}
constexpr FieldSpec text(std::string_view name, int size) { return field(name, FieldKind::Text, size); }
constexpr FieldSpec integer(std::string_view name) { return field(name, FieldKind::Integer); }
constexpr FieldSpec floating(std::string_view name) { return field(name, FieldKind::Float); }
constexpr FieldSpec decimal(std::string_view name, int precision, int scale) {
    return field(name, FieldKind::Decimal, scale, precision);
}
constexpr FieldSpec timestamp(std::string_view name) { return field(name, FieldKind::Timestamp); }
constexpr FieldSpec date(std::string_view name) { return field(name, FieldKind::Date); }
constexpr FieldSpec blob(std::string_view name) { return field(name, FieldKind::Blob); }

constexpr std::string_view money = "0.00";
constexpr std::string_view quantity = "0.0000";

constexpr std::array formaFar{
    text("FORMAFARMA", 15).req().keyed(),
    decimal("CUSTOFIXO", 15, 2).shownAs(money),
    text("VALIDADE", 15),
    text("USOPADRAO", 12),
    decimal("PRECOMINIMO", 15, 2).shownAs(money),
    text("CODTRIBUTACAO", 3),
    text("FICHATECNICA", 250),
    text("ICMSECF", 5),
    text("ISS", 5),
    text("CST", 5),
};

constexpr std::array fornecedor{
    text("CODIGO", 4).req(),
    text("NOME", 40),
    text("NOMEFANTASIA", 40),
    text("ENDERECO", 40),
    text("COMPLEMENTO", 40),
    text("CEP", 10),
    text("CIDADE", 30),
    text("ESTADO", 2),
    text("TEL", 30),
    text("FAX", 20),
    text("E_MAIL", 40),
    text("SITE", 40),
    text("CNPJ", 20),
    text("IE", 20),
    text("IM", 20),
    integer("PRAZO_PAGAMENTO"),
};

constexpr std::array familias{
    integer("CODIGO").req(),
    text("FAMILIA", 30),
    decimal("MARGEM", 15, 8),
};

constexpr std::array clientes{
    text("ESTACAO", 2).req().keyed(),
    integer("CODIGO").req().keyed(),
    text("NOME", 40),
    text("ENDERECO", 60),
    text("COMPLEMENTO", 40),
    text("CIDADE", 30),
    text("ESTADO", 2),
    text("CEP", 10).mask("00000\\-999;1;_"),
    text("FONE", 30),
    text("CPF", 40),
    integer("QDEFORMULAS"),
    decimal("VALORTOTAL", 15, 2).shownAs(money),
    text("STATUS", 1),
    timestamp("DATAULTIMALTERACAO"),
    text("CONVENIO", 40),
    text("ROTA", 20),
    text("CATEGORIA", 30),
    decimal("DESCONTOPADRAO", 15, 2),
    text("IDENTIDADE", 15),
    text("CONTATO", 35),
    date("DATAANIVERSARIO").mask("!99/99/0000;1;_"),
    text("SEXO", 1),
    text("REFERENCIA", 60),
    date("DATAPROXCONTATO"),
    text("OBS", 250),
    text("PROFISSIONAL", 40),
    text("E_MAIL", 60),
    text("ATENDENTE", 20),
    text("VENDEDOR", 15),
    text("INFOR_MED", 250),
    text("TIPODOCUMENTO", 50),
    text("ORGAOEXPEDIDOR", 12),
    text("UFEMISSAODOCUMENTO", 2),
    integer("TIPO"),
    decimal("LIMITECREDITO", 15, 2).shownAs(money),
    decimal("CREDITOUTILIZADO", 15, 2).shownAs(money),
};

constexpr std::array medicos{
    text("CRM", 10).req().keyed(),
    text("ESPECIALIDADE", 25).req().keyed(),
    text("NOME", 40),
    text("ENDERECO", 60),
    text("COMPLEMENTO", 30),
    text("CEP", 10),
    text("CIDADE", 30),
    text("ESTADO", 2),
    text("TELEFONES", 30),
    integer("QDEFORMULAS"),
    decimal("VALORTOTAL", 15, 2),
    decimal("COMISSPERC", 15, 2),
    decimal("COMISSAO", 15, 2),
    text("DATAANIVERSARIO", 5),
    text("OBSERVACAO", 250),
    text("E_MAIL", 60),
    text("NOME_SECRETARIA", 40),
    text("ANIV_SECRETARIA", 5),
    text("ATENDENTE", 20),
    text("REPRESENTANTE", 40),
    text("CONSELHOPROFISSIONAL", 10),
    text("UFCONSELHO", 2),
};

// The manufacturers' two sides differ in NOME only: 60 characters on the client, 40 on the
// SQL dataset.
#define MIG_FABRIC_FIELDS(nomeSize)                                                       \
    integer("CODIGO").req().keyed(), text("NOME", nomeSize), text("NOMEFANTASIA", 40),    \
        text("ENDERECO", 40), text("COMPLEMENTO", 40), text("CEP", 10),                   \
        text("CIDADE", 30), text("ESTADO", 2), text("TEL", 20), text("FAX", 20),          \
        text("E_MAIL", 40), text("SITE", 40), text("CNPJ", 20), text("IE", 20),           \
        text("IM", 20), integer("PRAZO_PAGAMENTO").shownAs(money), decimal("COMISSAO", 15, 2)
constexpr std::array fabric{MIG_FABRIC_FIELDS(60)};
constexpr std::array sqlFabric{MIG_FABRIC_FIELDS(40)};
#undef MIG_FABRIC_FIELDS

constexpr std::array taxaBar{
    text("BAIRRO", 40).req().keyed(),
    decimal("TAXA", 15, 2).shownAs(money),
};

constexpr std::array tabPoso{
    text("CODIGO", 6).req().keyed(),
    text("POSOLOGIA", 255),
};

// One list for the four chains over the components table.
constexpr std::array componen{
    text("CODIGO", 20).req().keyed(),
    text("COMPONENTE", 70),
    text("GRUPO", 5),
    text("FAMILIA", 30),
    text("UNID", 4),
    text("CONTROLADA", 3),
    decimal("CUSTOUNITUS", 15, 8).shownAs(money),
    decimal("CUSTOUNITR", 15, 8).shownAs(money),
    decimal("MULTIPLICADOR", 15, 8),
    decimal("DIVISORUNID", 15, 8),
    decimal("PRECOUS", 15, 8).shownAs(money),
    decimal("PRECOR", 15, 8).shownAs(money),
    floating("QDEESTOQUE").shownAs(quantity),
    floating("ESTOQUECRITICO").defaults(quantity),
    floating("ESTOQUEMAXIMO").defaults(quantity),
    text("TRIBUTACAO", 3),
    decimal("ICMS", 15, 8),
    text("FABRICANTE", 40),
    text("FORNECEDOR", 40),
    text("LOTE", 30),
    decimal("FATORCORRECAO", 15, 8),
    decimal("DENSIDADE", 15, 8).shownAs(money),
    text("USAEXCIPIENTE", 1),
    decimal("DOSAGEMMIN", 15, 8).shownAs(money),
    decimal("DOSAGEMMAX", 15, 8).shownAs(money),
    decimal("DOSEMINPERC", 15, 8).shownAs(money),
    decimal("DOSEMAXPERC", 15, 8).shownAs(money),
    blob("FICHATECNICA"),
    text("EXCIPIENTE", 40),
    timestamp("VALIDADE"),
    text("DCB", 15),
    text("LISTA", 2),
    text("USOCONTINUO", 1),
    decimal("VALIDADEPRODMANIP", 15, 8),
    decimal("FATORDILUICAO", 15, 8),
    text("CORCAPSULA", 25),
    decimal("COMISSAO", 15, 8),
    decimal("MEQ", 15, 8),
    text("GRUPOF", 1),
    integer("TEMPOMANIP"),
    decimal("BC", 15, 8),
    text("UNID_VENDA", 4),
    decimal("CUSTOFIXO", 15, 8),
    text("USAR_FORMPRECO", 1),
    text("GRUPOS", 12),
    text("TIPORECEITA", 5),
    text("REGMSMEDICAM", 15),
    text("EXCIPIENTE2", 40),
    text("EXCIPIENTE3", 40),
    text("EXCIPIENTE4", 40),
    text("EXCIPIENTE5", 40),
    text("CLASSE", 20),
    decimal("DESCONTO", 15, 8),
    text("CONDARMAZENA", 240),
    decimal("ALIQIPI", 15, 8),
    decimal("ALIQISS", 15, 8),
    decimal("BASEICMS", 15, 8),
    text("SUBSTRIB", 1),
    decimal("LUCROST", 15, 8),
    decimal("ICMSECF", 15, 8),
    decimal("CST", 15, 8),
    text("NOMECIENTIFICO", 40),
    text("GRUPOPRECO", 60),
};
static_assert(componen.size() == 63);

#define MIG_COMPONEN_SELECT                                                                     \
    "select CODIGO, COMPONENTE, GRUPO, FAMILIA, UNID, CONTROLADA, CUSTOUNITUS, CUSTOUNITR, "    \
    "MULTIPLICADOR, DIVISORUNID, PRECOUS, PRECOR, QDEESTOQUE, ESTOQUECRITICO, ESTOQUEMAXIMO, "  \
    "TRIBUTACAO, ICMS, FABRICANTE, FORNECEDOR, LOTE, FATORCORRECAO, DENSIDADE, USAEXCIPIENTE, " \
    "DOSAGEMMIN, DOSAGEMMAX, DOSEMINPERC, DOSEMAXPERC, FICHATECNICA, EXCIPIENTE, VALIDADE, "    \
    "DCB, LISTA, USOCONTINUO, VALIDADEPRODMANIP, FATORDILUICAO, CORCAPSULA, COMISSAO, MEQ, "    \
    "GRUPOF, TEMPOMANIP, BC, UNID_VENDA, CUSTOFIXO, USAR_FORMPRECO, GRUPOS, TIPORECEITA, "      \
    "REGMSMEDICAM, EXCIPIENTE2, EXCIPIENTE3, EXCIPIENTE4, EXCIPIENTE5, CLASSE, DESCONTO, "      \
    "CONDARMAZENA, ALIQIPI, ALIQISS, BASEICMS, SUBSTRIB, LUCROST, ICMSECF, CST, "               \
    "NOMECIENTIFICO, GRUPOPRECO from COMPONEN where GRUPO = "

constexpr std::array<ChainDef, 12> chains{{
    {"pharmaceutical forms", "FormaFar", "DS_FormaFar", "DSP_FormaFar", "SQLDS_FormaFar",
     "select FORMAFARMA, CUSTOFIXO, VALIDADE, USOPADRAO, PRECOMINIMO, CODTRIBUTACAO, "
     "FICHATECNICA, ICMSECF, ISS, CST from FORMAFAR order by FORMAFARMA",
     formaFar, formaFar},
    {"suppliers", "Fornecedor", "DS_Forneced", "DSP_Forneced", "SQLDS_Forneced",
     "select CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, ESTADO, TEL, FAX, "
     "E_MAIL, SITE, CNPJ, IE, IM, PRAZO_PAGAMENTO from FORNECED order by NOMEFANTASIA",
     fornecedor, fornecedor},
    {"product families", "Familias", "DS_Familias", "DSP_Familias", "SQLDs_Familias",
     "select CODIGO, FAMILIA, MARGEM from FAMILIAS", familias, familias},
    {"customers", "CLIENTES", "DS_CLIENTES", "DSetP_Clientes", "SQLDS_Clientes",
     "select ESTACAO, CODIGO, NOME, ENDERECO, COMPLEMENTO, CIDADE, ESTADO, CEP, FONE, CPF, "
     "QDEFORMULAS, VALORTOTAL, STATUS, DATAULTIMALTERACAO, CONVENIO, ROTA, CATEGORIA, "
     "DESCONTOPADRAO, IDENTIDADE, CONTATO, DATAANIVERSARIO, SEXO, REFERENCIA, DATAPROXCONTATO, "
     "OBS, PROFISSIONAL, E_MAIL, ATENDENTE, VENDEDOR, INFOR_MED, TIPODOCUMENTO, ORGAOEXPEDIDOR, "
     "UFEMISSAODOCUMENTO, TIPO, LIMITECREDITO, CREDITOUTILIZADO from CLIENTES",
     clientes, clientes},
    {"physicians", "MEDICOS", "DS_MEDICOS", "DSetP_Medicos", "SQLDS_Medicos",
     "select CRM, ESPECIALIDADE, NOME, ENDERECO, COMPLEMENTO, CEP, CIDADE, ESTADO, TELEFONES, "
     "QDEFORMULAS, VALORTOTAL, COMISSPERC, COMISSAO, DATAANIVERSARIO, OBSERVACAO, E_MAIL, "
     "NOME_SECRETARIA, ANIV_SECRETARIA, ATENDENTE, REPRESENTANTE, CONSELHOPROFISSIONAL, "
     "UFCONSELHO from MEDICOS",
     medicos, {}},
    {"manufacturers", "Fabric", "DS_Fabric", "DSP_Fabric", "SQLDS_Fabric",
     "select CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, ESTADO, TEL, FAX, "
     "E_MAIL, SITE, CNPJ, IE, IM, PRAZO_PAGAMENTO, COMISSAO from FABRIC order by NOMEFANTASIA",
     fabric, sqlFabric},
    {"delivery districts", "TaxaBar", "DS_TaxaBar", "DSP_TaxaBar", "SQLDS_TaxaBar",
     "select BAIRRO, TAXA from TAXABAIRRO order by BAIRRO", taxaBar, taxaBar},
    {"dosage instructions", "TabPoso", "DS_TabPoso", "DSP_TabPoso", "SQLDS_TabPoso",
     "select CODIGO, POSOLOGIA from TABPOSO order by POSOLOGIA", tabPoso, tabPoso},
    {"raw materials", "COMPONEN", "DS_COMPONEN", "DSetP_Componen", "SQLDS_Componen",
     MIG_COMPONEN_SELECT "'MP'", componen, componen},
    {"capsules", "Capsulas", "DS_Cap", "DSP_Cap", "SQLDS_Cap", MIG_COMPONEN_SELECT "'CAP'",
     componen, componen},
    {"vehicles", "Veiculos", "DS_Vei", "DSP_Vei", "SQLDS_Vei", MIG_COMPONEN_SELECT "'VEI'",
     componen, componen},
    {"packaging", "Embalagens", "DS_Emb", "DSP_Emb", "SQLDs_Emb", MIG_COMPONEN_SELECT "'EMB'",
     componen, componen},
}};
#undef MIG_COMPONEN_SELECT

}  // namespace

std::span<const ChainDef> chainDefs() { return chains; }

const ChainDef* findChain(std::string_view clientDataSet) {
    for (const ChainDef& c : chains)
        if (c.clientDataSet == clientDataSet) return &c;
    return nullptr;
}

}  // namespace mig
