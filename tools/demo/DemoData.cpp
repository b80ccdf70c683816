#include "tools/demo/DemoData.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>
#include <set>
#include <stdexcept>

#include "legacy/dbf/CodePage.h"
#include "target/field/Win1252.h"

namespace mig::demo {

namespace {

// --- Determinism -----------------------------------------------------------------------------

// splitmix64: the same numbers on every machine and library, unlike the standard distributions.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool percent(int p) { return below(100) < p; }
    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[static_cast<std::size_t>(below(static_cast<int>(N)))];
    }

private:
    std::uint64_t state_;
};

// Each table draws from its own stream, so resizing one table leaves the others as they were.
Rng tableRng(std::uint64_t seed, std::string_view table) {
    std::uint64_t h = 1469598103934665603ull;
    for (char c : table) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return Rng(seed ^ h);
}

// `count` record positions spread over n records, shifted by `salt` so that the imperfections
// of one table fall on different records.
std::set<int> spots(int n, int count, int salt) {
    std::set<int> out;
    if (n <= 0) return out;
    count = std::min(count, n);
    for (int j = 0; j < count; ++j) out.insert(static_cast<int>(((2LL * j + 1) * n / (2LL * count) + salt) % n));
    return out;
}
// "A few": one in forty, at least one.
int few(int n) { return n <= 0 ? 0 : std::max(1, n / 40); }

// --- Text -------------------------------------------------------------------------------------

std::string w(std::string_view utf8) { return utf8ToWin1252(utf8); }

std::string rtrim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string cut(std::string_view s, std::size_t n) { return std::string(s.substr(0, std::min(n, s.size()))); }

// Lower-case ASCII for e-mail addresses and web sites: accents dropped, blanks and dots removed.
std::string slug(std::string_view win1252, bool keepDots = false) {
    static const std::string from = w("ÀÁÂÃÄÇÈÉÊËÌÍÎÏÑÒÓÔÕÖÙÚÛÜÝàáâãäçèéêëìíîïñòóôõöùúûüý");
    static const char* to = "aaaaaceeeeiiiinooooouuuuyaaaaaceeeeiiiinooooouuuuy";
    std::string out;
    for (char c : win1252) {
        const std::size_t at = from.find(c);
        if (at != std::string::npos) {
            out += to[at];
        } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        } else if (keepDots && c == ' ' && !out.empty() && out.back() != '.') {
            out += '.';
        }
    }
    while (!out.empty() && out.back() == '.') out.pop_back();
    return out;
}

std::string digits(Rng& rng, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + rng.below(10));
    return s;
}

// Keeps the keys of one target table apart: the part of `name` that the target keeps (its first
// `width` characters, without trailing blanks) is made unique by a number at its end.
std::string uniqueKey(std::string name, std::size_t width, std::set<std::string>& used) {
    std::string key = rtrim(cut(name, width));
    for (int k = 2; used.count(key); ++k) {
        const std::string suffix = " " + std::to_string(k);
        name = rtrim(cut(name, width - suffix.size())) + suffix;
        key = rtrim(cut(name, width));
    }
    used.insert(key);
    return name;
}

// --- Brazilian documents -------------------------------------------------------------------

int checkDigit(const std::string& d, int firstWeight, int lastWeight) {
    // Weights run down from firstWeight; CNPJ weights wrap from 2 back to 9.
    int sum = 0, weight = firstWeight;
    for (char c : d) {
        sum += (c - '0') * weight;
        weight = weight == lastWeight ? 9 : weight - 1;
    }
    const int r = sum % 11;
    return r < 2 ? 0 : 11 - r;
}

std::string cpf(Rng& rng) {
    std::string d = digits(rng, 9);
    d += static_cast<char>('0' + checkDigit(d, 10, 2));
    d += static_cast<char>('0' + checkDigit(d, 11, 2));
    return d.substr(0, 3) + "." + d.substr(3, 3) + "." + d.substr(6, 3) + "-" + d.substr(9, 2);
}

std::string cnpj(Rng& rng) {
    std::string d = digits(rng, 8) + "0001";
    d += static_cast<char>('0' + checkDigit(d, 5, 2));
    d += static_cast<char>('0' + checkDigit(d, 6, 2));
    return d.substr(0, 2) + "." + d.substr(2, 3) + "." + d.substr(5, 3) + "/" + d.substr(8, 4) + "-" + d.substr(12, 2);
}

std::string rg(Rng& rng) {
    const std::string d = digits(rng, 8);
    const std::string last = rng.percent(10) ? "X" : digits(rng, 1);
    return d.substr(0, 2) + "." + d.substr(2, 3) + "." + d.substr(5, 3) + "-" + last;
}

std::string inscricaoEstadual(Rng& rng) {
    if (rng.percent(8)) return "ISENTO";
    const std::string d = digits(rng, 12);
    return d.substr(0, 3) + "." + d.substr(3, 3) + "." + d.substr(6, 3) + "." + d.substr(9, 3);
}

// --- Places and people ---------------------------------------------------------------------

struct City {
    const char* name;
    const char* uf;
    int cepLow;  // first five digits of the city's postcodes
    int cepHigh;
    int ddd;
};

const City kCities[] = {
    {"SÃO PAULO", "SP", 1000, 5999, 11},       {"CAMPINAS", "SP", 13000, 13139, 19},
    {"RIBEIRÃO PRETO", "SP", 14000, 14114, 16}, {"SÃO JOSÉ DOS CAMPOS", "SP", 12200, 12248, 12},
    {"SANTOS", "SP", 11000, 11099, 13},         {"RIO DE JANEIRO", "RJ", 20000, 23799, 21},
    {"NITERÓI", "RJ", 24000, 24399, 21},        {"BELO HORIZONTE", "MG", 30000, 31999, 31},
    {"UBERLÂNDIA", "MG", 38400, 38415, 34},     {"JUIZ DE FORA", "MG", 36000, 36099, 32},
    {"VITÓRIA", "ES", 29000, 29099, 27},        {"CURITIBA", "PR", 80000, 82999, 41},
    {"LONDRINA", "PR", 86000, 86099, 43},       {"MARINGÁ", "PR", 87000, 87099, 44},
    {"FLORIANÓPOLIS", "SC", 88000, 88099, 48},  {"JOINVILLE", "SC", 89200, 89239, 47},
    {"PORTO ALEGRE", "RS", 90000, 91999, 51},   {"CAXIAS DO SUL", "RS", 95000, 95124, 54},
    {"GOIÂNIA", "GO", 74000, 74899, 62},        {"BRASÍLIA", "DF", 70000, 72799, 61},
    {"SALVADOR", "BA", 40000, 42599, 71},       {"FEIRA DE SANTANA", "BA", 44000, 44149, 75},
    {"RECIFE", "PE", 50000, 52999, 81},         {"FORTALEZA", "CE", 60000, 61599, 85},
    {"SÃO LUÍS", "MA", 65000, 65109, 98},       {"TERESINA", "PI", 64000, 64099, 86},
    {"NATAL", "RN", 59000, 59161, 84},          {"JOÃO PESSOA", "PB", 58000, 58099, 83},
    {"MACEIÓ", "AL", 57000, 57099, 82},         {"ARACAJU", "SE", 49000, 49099, 79},
    {"BELÉM", "PA", 66000, 66999, 91},          {"MANAUS", "AM", 69000, 69099, 92},
    {"CUIABÁ", "MT", 78000, 78109, 65},         {"CAMPO GRANDE", "MS", 79000, 79124, 67},
    {"PALMAS", "TO", 77000, 77270, 63},
};

const char* const kDistricts[] = {
    "CENTRO", "JARDIM AMÉRICA", "VILA MARIANA", "PINHEIROS", "MOOCA", "TATUAPÉ", "SANTANA", "BELA VISTA",
    "CONSOLAÇÃO", "LIBERDADE", "IPIRANGA", "SANTO AMARO", "BUTANTÃ", "LAPA", "PERDIZES", "JARDIM PAULISTA",
    "BROOKLIN", "SAÚDE", "VILA PRUDENTE", "PENHA", "SÃO MIGUEL PAULISTA", "CAMBUCI", "ACLIMAÇÃO",
    "HIGIENÓPOLIS", "BOM RETIRO", "BRÁS", "BARRA FUNDA", "VILA MADALENA", "JABAQUARA", "CAMPO BELO",
    "SAVASSI", "FUNCIONÁRIOS", "BATEL", "ÁGUA VERDE", "MOINHOS DE VENTO", "BOA VIAGEM", "MEIRELES",
    "ALDEOTA", "PITUBA", "BARRA", "TIJUCA", "COPACABANA", "BOTAFOGO", "FLAMENGO", "ICARAÍ",
    "JARDIM BOTÂNICO", "SÃO CRISTÓVÃO", "VILA NOVA CONCEIÇÃO", "JARDIM DAS ACÁCIAS", "PARQUE SÃO JORGE",
    "VILA SÃO JOSÉ", "JARDIM SÃO LUÍS", "VILA GUILHERME", "CIDADE DUTRA", "GRAJAÚ", "PARQUE DO CARMO",
    "ITAIM BIBI", "VILA OLÍMPIA", "CHÁCARA SANTO ANTÔNIO", "JARDIM ÂNGELA",
};
// Longer than the target's 40 characters.
const char* const kLongDistricts[] = {
    "CONJUNTO HABITACIONAL JARDIM SÃO FRANCISCO DE ASSIS",
    "NÚCLEO RESIDENCIAL PRESIDENTE JUSCELINO KUBITSCHEK",
    "LOTEAMENTO PARQUE DAS NAÇÕES UNIDAS - GLEBA B",
};

const char* const kStreetKinds[] = {"RUA", "RUA", "RUA", "AV.", "AVENIDA", "TRAVESSA", "ALAMEDA", "PRAÇA", "R."};
const char* const kStreetNames[] = {
    "DAS FLORES", "SETE DE SETEMBRO", "BARÃO DO RIO BRANCO", "DOM PEDRO II", "SANTOS DUMONT", "TIRADENTES",
    "MARECHAL DEODORO", "GETÚLIO VARGAS", "JOSÉ BONIFÁCIO", "QUINZE DE NOVEMBRO", "SÃO JOÃO", "CONSELHEIRO MAFRA",
    "DOS ANDRADAS", "PRESIDENTE KENNEDY", "VISCONDE DE MAUÁ", "DUQUE DE CAXIAS", "BENJAMIN CONSTANT",
    "RUI BARBOSA", "CASTRO ALVES", "MONTEIRO LOBATO", "CECÍLIA MEIRELES", "PADRE ANCHIETA", "DOS IPÊS",
    "DAS PALMEIRAS", "DOS JEQUITIBÁS", "GONÇALVES DIAS", "ÁLVARES CABRAL", "FREI CANECA", "DA CONSOLAÇÃO",
    "BRIGADEIRO LUÍS ANTÔNIO", "AFONSO PENA", "DOUTOR ARNALDO", "MARIA ANTÔNIA", "SÃO BENTO",
};
const char* const kComplements[] = {"APTO 12", "APTO 301", "FUNDOS", "CASA 2", "SALA 5", "BLOCO B APTO 44", "LOJA 1"};

const char* const kWomen[] = {
    "MARIA", "ANA", "FRANCISCA", "ANTÔNIA", "ADRIANA", "JULIANA", "MÁRCIA", "FERNANDA", "PATRÍCIA", "ALINE",
    "SANDRA", "CAMILA", "AMANDA", "BRUNA", "JÉSSICA", "LETÍCIA", "JÚLIA", "LUCIANA", "VANESSA", "CONCEIÇÃO",
    "APARECIDA", "TEREZINHA", "LÚCIA", "CÉLIA", "INÊS", "GLÓRIA", "SÔNIA", "VÂNIA", "LÍVIA", "BEATRIZ",
    "HELOÍSA", "LUÍSA", "CECÍLIA", "ROSÂNGELA", "DÉBORA", "NATÁLIA", "MÔNICA", "RAQUEL", "IRACEMA", "GRAÇA",
};
const char* const kMen[] = {
    "JOSÉ", "JOÃO", "ANTÔNIO", "FRANCISCO", "CARLOS", "PAULO", "PEDRO", "LUCAS", "LUIZ", "MARCOS", "LUÍS",
    "GABRIEL", "RAFAEL", "DANIEL", "MARCELO", "BRUNO", "EDUARDO", "FELIPE", "RAIMUNDO", "RODRIGO", "SEBASTIÃO",
    "FÁBIO", "MÁRCIO", "VINÍCIUS", "ANDRÉ", "SÉRGIO", "CÉSAR", "ROGÉRIO", "OTÁVIO", "JÚLIO", "CÍCERO", "HÉLIO",
    "ÉDSON", "IRINEU", "BENEDITO", "DOMINGOS", "JOAQUIM", "ANÍBAL", "CONRADO", "ESTÊVÃO",
};
// Surnames with the particle that goes before them, when one does ("MARIA DA SILVA").
struct Surname {
    const char* name;
    const char* particle;
};
const Surname kSurnames[] = {
    {"SILVA", "DA"}, {"SANTOS", "DOS"}, {"OLIVEIRA", "DE"}, {"SOUZA", "DE"}, {"RODRIGUES", ""},
    {"FERREIRA", ""}, {"ALVES", ""}, {"PEREIRA", ""}, {"LIMA", "DE"}, {"GOMES", ""}, {"COSTA", "DA"},
    {"RIBEIRO", ""}, {"MARTINS", ""}, {"CARVALHO", "DE"}, {"ALMEIDA", "DE"}, {"LOPES", ""}, {"SOARES", ""},
    {"FERNANDES", ""}, {"VIEIRA", ""}, {"BARBOSA", ""}, {"ROCHA", "DA"}, {"DIAS", ""}, {"NASCIMENTO", "DO"},
    {"ANDRADE", "DE"}, {"MOREIRA", ""}, {"NUNES", ""}, {"MARQUES", ""}, {"MACHADO", ""}, {"MENDES", ""},
    {"FREITAS", "DE"}, {"CARDOSO", ""}, {"RAMOS", ""}, {"GONÇALVES", ""}, {"SANTANA", ""}, {"TEIXEIRA", ""},
    {"ARAÚJO", "DE"}, {"CONCEIÇÃO", "DA"}, {"MAGALHÃES", ""}, {"BRAGANÇA", "DE"}, {"FALCÃO", ""},
    {"GUSMÃO", ""}, {"ASSUNÇÃO", "DA"}, {"PIMENTEL", ""}, {"ROMÃO", ""}, {"SIMÕES", ""}, {"GUIMARÃES", ""},
    {"BRANDÃO", ""}, {"LEÃO", ""}, {"AZEVEDO", "DE"}, {"NEVES", "DAS"}, {"ANJOS", "DOS"},
};
const char* const kMailHosts[] = {"uol.com.br", "bol.com.br", "terra.com.br", "ig.com.br", "gmail.com",
                                  "hotmail.com", "yahoo.com.br", "globo.com"};

struct Person {
    std::string name;  // WIN1252
    std::string first;
    std::string last;
    bool woman = false;
};

Person person(Rng& rng, bool longName = false) {
    Person p;
    p.woman = rng.percent(62);  // most of a compounding pharmacy's customers are women
    p.first = w(p.woman ? rng.pick(kWomen) : rng.pick(kMen));
    p.name = p.first;
    if (rng.percent(30) || longName) p.name += " " + w(p.woman ? rng.pick(kWomen) : rng.pick(kMen));
    const int count = longName ? 4 : rng.between(1, 3);
    const int total = static_cast<int>(std::size(kSurnames));
    const int start = rng.below(total), step = 1 + rng.below(total - 1);
    for (int k = 0; k < count; ++k) {
        const Surname& s = kSurnames[(start + k * step) % total];  // never the same surname twice
        if (*s.particle && (rng.percent(60) || longName)) p.name += " " + std::string(s.particle);
        p.last = w(s.name);
        p.name += " " + p.last;
    }
    return p;
}

const City& homeCity(std::uint64_t seed) { return kCities[seed % 5]; }

// Mostly the pharmacy's own city, now and then another.
const City& someCity(Rng& rng, const City& home) { return rng.percent(60) ? home : rng.pick(kCities); }

std::string cep(Rng& rng, const City& c) {
    const int first = rng.between(c.cepLow, c.cepHigh);
    char b[16];
    if (rng.percent(15)) {
        std::snprintf(b, sizeof b, "%05d%03d", first, rng.below(1000));  // typed without the hyphen
    } else {
        std::snprintf(b, sizeof b, "%05d-%03d", first, rng.below(1000));
    }
    return b;
}

std::string phone(Rng& rng, const City& c, bool mobile) {
    char b[40];
    if (mobile) {
        std::snprintf(b, sizeof b, "(%02d) 9%04d-%04d", c.ddd, rng.between(6000, 9999), rng.below(10000));
    } else if (rng.percent(20)) {
        std::snprintf(b, sizeof b, "0%02d %03d-%04d", c.ddd, rng.between(200, 999), rng.below(10000));  // old style
    } else {
        std::snprintf(b, sizeof b, "(%02d) %d%03d-%04d", c.ddd, rng.between(2, 5), rng.below(1000), rng.below(10000));
    }
    return b;
}

std::string street(Rng& rng) {
    std::string s = w(rng.pick(kStreetKinds)) + " " + w(rng.pick(kStreetNames)) + ", " +
                    std::to_string(rng.between(1, 3999));
    if (rng.percent(25)) s += " " + std::string(rng.pick(kComplements));
    return s;
}

std::string district(Rng& rng) { return w(rng.pick(kDistricts)); }

// --- Records --------------------------------------------------------------------------------

// One record being filled by field name; texts are cut to their field's length as the legacy
// product's input masks cut them.
class Row {
public:
    explicit Row(const Table& table) : table_(table), cells_(table.fields.size()) {}

    Row& text(std::string_view field, std::string value) {
        const int i = index(field);
        const dbf::FieldSpec& f = table_.fields[static_cast<std::size_t>(i)];
        if (f.type != 'M') value = cut(value, static_cast<std::size_t>(f.length));
        cells_[static_cast<std::size_t>(i)] = std::move(value);
        return *this;
    }
    Row& number(std::string_view field, double value) {
        const int i = index(field);
        const dbf::FieldSpec& f = table_.fields[static_cast<std::size_t>(i)];
        char b[64];
        std::snprintf(b, sizeof b, "%.*f", f.decimals, value);
        if (static_cast<int>(std::string_view(b).size()) > f.length) {
            throw std::logic_error("demo data: " + std::string(field) + " cannot hold " + b);
        }
        cells_[static_cast<std::size_t>(i)] = b;
        return *this;
    }
    Row& date(std::string_view field, int year, int month, int day) {
        char b[40];
        std::snprintf(b, sizeof b, "%04d%02d%02d", year, month, day);
        cells_[static_cast<std::size_t>(index(field))] = b;
        return *this;
    }
    Row& logical(std::string_view field, bool value) {
        cells_[static_cast<std::size_t>(index(field))] = value ? "T" : "F";
        return *this;
    }
    Record done(bool deleted = false) { return Record{std::move(cells_), deleted}; }

private:
    int index(std::string_view field) const {
        const int i = table_.fieldIndex(field);
        if (i < 0) throw std::logic_error("demo data: no field " + std::string(field) + " in " + table_.fileName);
        return i;
    }
    const Table& table_;
    std::vector<std::string> cells_;
};

int daysIn(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

Row& someDate(Row& row, std::string_view field, Rng& rng, int fromYear, int toYear) {
    const int y = rng.between(fromYear, toYear);
    const int m = rng.between(1, 12);
    return row.date(field, y, m, rng.between(1, daysIn(y, m)));
}

// Where a record stands: `live` counts the live records (-1 for a deleted one, which no
// imperfection picks), `serial` every record of the file; codes follow `serial`, so a deleted
// record has used its code.
struct Slot {
    int live = -1;
    int serial = 0;
};

// Fills n live records through `make`, with a few deleted records (made the same way) among them.
void fill(Table& t, int n, int deletedSalt, const std::function<void(const Slot&, Row&)>& make) {
    const std::set<int> deleted = spots(n, std::max(1, n / 60), deletedSalt);
    int serial = 0;
    for (int i = 0; i < n; ++i) {
        Row row(t);
        make(Slot{i, serial++}, row);
        t.records.push_back(row.done());
        if (deleted.count(i)) {
            Row gone(t);
            make(Slot{-1, serial++}, gone);
            t.records.push_back(gone.done(true));
        }
    }
}

Table table(std::string component, std::string fileName, std::uint8_t version, std::vector<dbf::FieldSpec> fields) {
    Table t;
    t.component = std::move(component);
    t.fileName = std::move(fileName);
    t.version = version;
    t.fields = std::move(fields);
    return t;
}

// --- The twelve tables ---------------------------------------------------------------------

const char* const kForms[] = {
    "CÁPSULA", "CÁPSULA GASTRORRESISTENTE", "CREME", "CREME DERMATOLÓGICO", "POMADA", "GEL", "GEL-CREME",
    "LOÇÃO", "LOÇÃO CAPILAR", "XAROPE", "SOLUÇÃO ORAL", "SOLUÇÃO TÓPICA", "SUSPENSÃO ORAL", "SHAMPOO",
    "SABONETE LÍQUIDO", "ÓVULO", "SUPOSITÓRIO", "PÓ", "SACHÊ", "FLORAL", "GLÓBULOS HOMEOPÁTICOS", "TINTURA-MÃE",
    "ELIXIR", "PASTILHA", "FILME ORODISPERSÍVEL", "GOMA", "SÉRUM", "PROTETOR SOLAR", "ESMALTE", "BATOM",
    "SPRAY NASAL", "GOTAS",
};
const char* const kShelfLives[] = {"30 DIAS", "60 DIAS", "90 DIAS", "180 DIAS", "3 MESES", "6 MESES", "1 ANO",
                                   "3 MESES APÓS ABERTO"};

Table formasFarmaceuticas(std::uint64_t seed, int n) {
    Rng rng = tableRng(seed, "QTR05");
    Table t = table("FormaFarma", "QTR05", 0x03,
                    {{"GRPCODIGO", 'N', 4}, {"GRPDESCRI", 'C', 30}, {"GRPVALTEX", 'C', 20},
                     {"GRPUSOPAD", 'C', 12}, {"GRPCUSFIX", 'N', 10, 2}});
    std::set<std::string> used;
    const int base = static_cast<int>(std::size(kForms));
    fill(t, n, 7, [&](const Slot& s, Row& r) {
        const int i = s.serial;
        std::string name = w(kForms[i % base]);
        if (i >= base) name += " " + std::to_string(i / base + 1);
        r.number("GRPCODIGO", i + 1)
            .text("GRPDESCRI", uniqueKey(name, 15, used))
            .text("GRPVALTEX", rng.percent(10) ? std::string() : w(rng.pick(kShelfLives)))
            .text("GRPUSOPAD", rng.percent(60) ? "INTERNO" : "EXTERNO")
            .number("GRPCUSFIX", rng.between(0, 4000) / 100.0);
    });
    return t;
}

struct Firm {
    std::string name;
    std::string core;
};

const char* const kFirmCores[] = {
    "SANTA LUZIA", "SÃO JORGE", "VALE VERDE", "BOA ESPERANÇA", "PHARMA NOVA", "QUÍMICA BRASIL", "APARECIDA",
    "ALIANÇA", "HORIZONTE", "ATLÂNTICA", "PAULISTA", "MINEIRA", "GAÚCHA", "NORDESTE", "IGUAÇU", "TRÊS PODERES",
    "AMAZÔNIA", "IPÊ", "JEQUITIBÁ", "ARAUCÁRIA", "SERRA DO MAR", "SOL NASCENTE", "ESTRELA D'ALVA", "CRUZEIRO",
};
const char* const kFirmSuffixes[] = {"LTDA", "LTDA", "LTDA - ME", "LTDA - EPP", "S.A.", "EIRELI"};

Firm firm(Rng& rng, const char* const* kinds, int kindCount, const char* const* trades, int tradeCount, bool longName) {
    Firm f;
    f.core = w(rng.pick(kFirmCores));
    f.name = w(kinds[rng.below(kindCount)]) + " ";
    if (longName) f.name += w(trades[rng.below(tradeCount)]) + " ";
    f.name += f.core + " " + rng.pick(kFirmSuffixes);
    return f;
}

const char* const kSupplierKinds[] = {"DISTRIBUIDORA", "COMERCIAL", "IMPORTADORA", "FARMOQUÍMICA", "DROGAFARMA"};
const char* const kSupplierTrades[] = {"DE INSUMOS FARMACÊUTICOS E COSMÉTICOS", "DE PRODUTOS QUÍMICOS E SOLVENTES",
                                       "DE EMBALAGENS PLÁSTICAS E DE VIDRO", "DE ESSÊNCIAS E ÓLEOS ESSENCIAIS"};
const char* const kMakerKinds[] = {"LABORATÓRIO", "INDÚSTRIA QUÍMICA", "INDÚSTRIA FARMACÊUTICA", "EXTRATOS",
                                   "FARMOQUÍMICA"};
const char* const kMakerTrades[] = {"E DE PRODUTOS NATURAIS E FITOTERÁPICOS", "DE MATÉRIAS-PRIMAS VEGETAIS",
                                    "DE CÁPSULAS GELATINOSAS DURAS", "DE INSUMOS DE ALTA PUREZA"};

// Suppliers (FOR) and manufacturers (FAB) share one layout.
Table firms(std::uint64_t seed, int n, const City& home, bool makers) {
    const std::string p = makers ? "FAB" : "FOR";
    const std::string file = makers ? "QTR03" : "QTR02";
    Rng rng = tableRng(seed, file);
    Table t = table(makers ? "Fabric" : "Forneced", file, 0x03,
                    {{p + "CODIGO", 'N', 4}, {p + "RAZAOS", 'C', 60}, {p + "FANTAS", 'C', 30},
                     {p + "ENDERE", 'C', 50}, {p + "BAIRRO", 'C', 30}, {p + "NUMCEP", 'C', 9},
                     {p + "CIDADE", 'C', 30}, {p + "ESTADO", 'C', 2}, {p + "TELEF1", 'C', 15},
                     {p + "TELEF2", 'C', 15}, {p + "NUMFAX", 'C', 15}, {p + "E_MAIL", 'C', 40},
                     {p + "HOMEPG", 'C', 40}, {p + "CGCCPF", 'C', 18}, {p + "INSCRG", 'C', 15},
                     {p + "CONTAT", 'C', 30}, {p + "DTCADA", 'D', 8}});
    const std::set<int> longNames = spots(n, few(n), 3);
    const std::set<int> noPhones = spots(n, few(n), 11);
    fill(t, n, 5, [&](const Slot& s, Row& r) {
        const int i = s.live;
        const Firm f = makers ? firm(rng, kMakerKinds, 5, kMakerTrades, 4, longNames.count(i) > 0)
                              : firm(rng, kSupplierKinds, 5, kSupplierTrades, 4, longNames.count(i) > 0);
        const City& c = someCity(rng, home);
        const std::string site = slug(f.core) + ".com.br";
        r.number(p + "CODIGO", s.serial + 1)
            .text(p + "RAZAOS", f.name)
            .text(p + "FANTAS", f.core)
            .text(p + "ENDERE", street(rng))
            .text(p + "BAIRRO", district(rng))
            .text(p + "NUMCEP", cep(rng, c))
            .text(p + "CIDADE", w(c.name))
            .text(p + "ESTADO", c.uf)
            .text(p + "E_MAIL", rng.percent(85) ? (rng.percent(50) ? "vendas@" : "contato@") + site : "")
            .text(p + "HOMEPG", rng.percent(70) ? "www." + site : "")
            .text(p + "CGCCPF", cnpj(rng))
            .text(p + "INSCRG", inscricaoEstadual(rng))
            .text(p + "CONTAT", person(rng).name);
        if (!noPhones.count(i)) {
            r.text(p + "TELEF1", phone(rng, c, false));
            if (rng.percent(35)) r.text(p + "TELEF2", phone(rng, c, rng.percent(50)));
            if (rng.percent(40)) r.text(p + "NUMFAX", phone(rng, c, false));
        }
        someDate(r, p + "DTCADA", rng, 1992, 2014);
    });
    return t;
}

const char* const kFamilies[] = {
    "ANALGÉSICOS E ANTITÉRMICOS", "ANTIBIÓTICOS", "ANTIFÚNGICOS", "ANTI-INFLAMATÓRIOS", "ANTI-HIPERTENSIVOS",
    "ANSIOLÍTICOS", "VITAMINAS E MINERAIS", "AMINOÁCIDOS", "FITOTERÁPICOS", "HOMEOPÁTICOS", "FLORAIS",
    "HORMÔNIOS", "DERMOCOSMÉTICOS", "FOTOPROTETORES", "CLAREADORES", "ANTIACNEICOS", "CAPILARES",
    "EMAGRECEDORES", "TERMOGÊNICOS", "PROBIÓTICOS", "NUTRACÊUTICOS", "ÓLEOS ESSENCIAIS", "EXCIPIENTES",
    "CONSERVANTES", "CORANTES E ESSÊNCIAS", "VEÍCULOS E BASES GALÊNICAS", "EMBALAGENS", "CÁPSULAS VAZIAS",
    "SUPLEMENTOS ALIMENTARES E ESPORTIVOS",  // longer than the target's 30 characters
};

Table familias(std::uint64_t seed, int n) {
    Rng rng = tableRng(seed, "QTR17A");
    Table t = table("Familias", "QTR17A", 0x03,
                    {{"ACTCODIGO", 'N', 6}, {"ACTDESCRI", 'C', 40}, {"ACTMARGEM", 'N', 6, 2}});
    const int base = static_cast<int>(std::size(kFamilies));
    fill(t, n, 2, [&](const Slot& s, Row& r) {
        const int i = s.serial;
        std::string name = w(kFamilies[i % base]);
        if (i >= base) name = rtrim(cut(name, 24)) + " - " + std::to_string(i / base + 1);
        r.number("ACTCODIGO", i + 1).text("ACTDESCRI", name).number("ACTMARGEM", rng.between(30, 300));
    });
    return t;
}

const char* const kObservations[] = {
    "ALÉRGICA A DIPIRONA", "PREFERE RETIRAR NA LOJA", "ENTREGAR APÓS AS 18H", "CONVÊNIO FUNCIONÁRIOS",
    "GESTANTE - CONFERIR RECEITAS", "PAGA NO CARNÊ", "CLIENTE DESDE A INAUGURAÇÃO", "LIGAR ANTES DE ENTREGAR",
};
const char* const kObservationMemos[] = {
    "Intolerante à lactose: usar excipiente sem lactose nas cápsulas.",
    "Fórmula de uso contínuo; avisar quando faltar uma semana para acabar.",
    "Reclamou do sabor do xarope em 1998. Usar flavorizante de morango.",
    "Deixar com o porteiro do prédio se não houver ninguém em casa.",
};

Table clientes(std::uint64_t seed, int n, const City& home) {
    Rng rng = tableRng(seed, "QTR13");
    Table t = table("Clientes", "QTR13", 0x83,
                    {{"CLICODIGO", 'N', 6}, {"CLINOMECO", 'C', 50}, {"CLIENDERE", 'C', 50},
                     {"CLIBAIRRO", 'C', 30}, {"CLICIDADE", 'C', 30}, {"CLIESTADO", 'C', 2},
                     {"CLINUMCEP", 'C', 9}, {"CLINUMTEL", 'C', 30}, {"CLINUMCPF", 'C', 14},
                     {"CLIDOCUME", 'C', 15}, {"CLITPDOCU", 'C', 10}, {"CLIORGEXP", 'C', 10},
                     {"CLIESTEXP", 'C', 2}, {"CLIDTNASC", 'D', 8}, {"CLISEXOCL", 'C', 1},
                     {"CLIE_MAIL", 'C', 40}, {"CLIOBSERV", 'C', 60}, {"CLIOBSMAN", 'M', 10},
                     {"CLIDTCADA", 'D', 8}, {"CLISALDEV", 'N', 12, 2}, {"CLIATIVOC", 'L', 1}});
    const std::set<int> longNames = spots(n, few(n), 1);
    const std::set<int> noPhones = spots(n, few(n), 4);
    const std::set<int> noBirth = spots(n, few(n), 9);
    // The legacy product let one code be typed twice: a later customer repeats an earlier one's.
    const int repeated = n >= 2 ? n / 3 : -1;
    const int repeating = n >= 2 ? std::max(repeated + 1, 2 * n / 3) : -1;
    int repeatedCode = 0;
    fill(t, n, 13, [&](const Slot& s, Row& r) {
        const int i = s.live;
        const Person who = person(rng, longNames.count(i) > 0);
        const City& c = someCity(rng, home);
        const int code = s.serial + 1;
        if (i == repeated) repeatedCode = code;
        r.number("CLICODIGO", i == repeating ? repeatedCode : code)
            .text("CLINOMECO", who.name)
            .text("CLIENDERE", street(rng))
            .text("CLIBAIRRO", district(rng))
            .text("CLICIDADE", w(c.name))
            .text("CLIESTADO", c.uf)
            .text("CLINUMCEP", cep(rng, c))
            .text("CLISEXOCL", who.woman ? "F" : "M")
            .logical("CLIATIVOC", rng.percent(90))
            .number("CLISALDEV", rng.percent(80) ? 0.0 : rng.between(500, 48000) / 100.0);
        if (!noPhones.count(i)) {
            std::string tel = phone(rng, c, rng.percent(45));
            if (rng.percent(12)) tel += "/" + phone(rng, c, true).substr(5);  // a second number, without its area code
            r.text("CLINUMTEL", tel);
        }
        if (rng.percent(85)) r.text("CLINUMCPF", cpf(rng));
        if (rng.percent(75)) {
            const int kind = rng.below(10);
            const char* type = kind < 8 ? "RG" : kind == 8 ? "CNH" : "RNE";
            r.text("CLITPDOCU", type)
                .text("CLIDOCUME", kind == 8 ? digits(rng, 11) : rg(rng))
                .text("CLIORGEXP", kind < 8 ? "SSP" : kind == 8 ? "DETRAN" : "DPF")
                .text("CLIESTEXP", rng.percent(80) ? c.uf : rng.pick(kCities).uf);
        }
        if (!noBirth.count(i)) someDate(r, "CLIDTNASC", rng, 1921, 2008);
        if (rng.percent(55)) {
            r.text("CLIE_MAIL", slug(who.first + " " + who.last, true) + std::to_string(rng.below(100)) + "@" +
                                    rng.pick(kMailHosts));
        }
        if (rng.percent(20)) r.text("CLIOBSERV", w(rng.pick(kObservations)));
        if (rng.percent(8)) {
            const int m = rng.below(static_cast<int>(std::size(kObservationMemos)));
            std::string memo = w(kObservationMemos[m]);
            if (rng.percent(30)) {  // several notes over the years, one a line
                for (int k = 1; k < 3; ++k) memo += "\r\n" + w(kObservationMemos[(m + k) % std::size(kObservationMemos)]);
            }
            r.text("CLIOBSMAN", memo);
        }
        someDate(r, "CLIDTCADA", rng, 1991, 2015);
    });
    return t;
}

const char* const kSpecialties[] = {"DERMATOLOGIA", "ENDOCRINOLOGIA", "GINECOLOGIA", "CLÍNICA GERAL", "PEDIATRIA",
                                    "ORTOPEDIA", "NUTROLOGIA", "GERIATRIA", "CARDIOLOGIA", "PSIQUIATRIA",
                                    "HOMEOPATIA", "ODONTOLOGIA"};

Table medicos(std::uint64_t seed, int n, const City& home) {
    Rng rng = tableRng(seed, "QTR19");
    Table t = table("Medicos", "QTR19", 0x03,
                    {{"MEDCRNUME", 'C', 15}, {"MEDUFCONS", 'C', 2}, {"MEDNOMECO", 'C', 50},
                     {"MEDESPECI", 'C', 25}, {"MEDENDERE", 'C', 50}, {"MEDBAIRRO", 'C', 30},
                     {"MEDCIDADE", 'C', 30}, {"MEDESTADO", 'C', 2}, {"MEDNUMCEP", 'C', 9},
                     {"MEDNUMTEL", 'C', 30}, {"MEDDTCADA", 'D', 8}});
    const std::set<int> longNames = spots(n, few(n), 2);
    const std::set<int> noNumber = spots(n, few(n), 6);  // empty, or a lone character
    const std::set<int> longNumbers = spots(n, few(n), 15);
    const std::set<int> noPhones = spots(n, few(n), 8);
    int number = 10000;
    fill(t, n, 17, [&](const Slot& s, Row& r) {
        const int i = s.live;
        const Person who = person(rng, longNames.count(i) > 0);
        const City& c = someCity(rng, home);
        number += rng.between(1, 40);  // registration numbers grow with the years, never repeat
        std::string crm = std::to_string(number);
        if (noNumber.count(i)) {
            crm = rng.percent(50) ? "" : "0";
        } else if (longNumbers.count(i)) {
            crm = std::to_string(number) + "-" + c.uf + " RQE " + std::to_string(rng.between(1000, 99999));
        } else if (rng.percent(25)) {
            crm += "/" + std::string(c.uf);
        }
        r.text("MEDCRNUME", crm)
            .text("MEDUFCONS", c.uf)
            .text("MEDNOMECO", (who.woman ? "DRA. " : "DR. ") + who.name)
            .text("MEDESPECI", w(rng.pick(kSpecialties)))
            .text("MEDENDERE", street(rng))
            .text("MEDBAIRRO", district(rng))
            .text("MEDCIDADE", w(c.name))
            .text("MEDESTADO", c.uf)
            .text("MEDNUMCEP", cep(rng, c));
        if (!noPhones.count(i)) {
            std::string tel = phone(rng, c, false);
            if (rng.percent(30)) tel += "/" + phone(rng, c, true).substr(5);
            r.text("MEDNUMTEL", tel);
        }
        someDate(r, "MEDDTCADA", rng, 1990, 2015);
    });
    return t;
}

struct Material {
    const char* name;
    const char* scientific;
    const char* unit;
    double factor;   // 0: none recorded
    double density;  // 0: none recorded (solids)
};

const Material kMaterials[] = {
    {"ÁCIDO ASCÓRBICO", "Ascorbic acid", "g", 1, 0},
    {"ÁCIDO FÓLICO", "Folic acid", "mg", 1.1, 0},
    {"ÁCIDO HIALURÔNICO", "Sodium hyaluronate", "g", 1, 0},
    {"ÁCIDO GLICÓLICO 70%", "Glycolic acid", "ml", 1.4286, 1.27},
    {"ÁCIDO SALICÍLICO", "Salicylic acid", "g", 1, 0},
    {"ALOE VERA EXTRATO GLICÓLICO", "Aloe barbadensis", "ml", 1, 1.05},
    {"ARNICA TINTURA", "Arnica montana", "ml", 1, 0.93},
    {"BIOTINA", "Biotin", "mg", 1, 0},
    {"CAFEÍNA ANIDRA", "Caffeine", "g", 1, 0},
    {"CÂNFORA", "Cinnamomum camphora", "g", 1, 0},
    {"CENTELLA ASIÁTICA EXTRATO SECO", "Centella asiatica", "mg", 1, 0},
    {"CITRATO DE MAGNÉSIO", "Magnesium citrate", "g", 6.25, 0},
    {"CLORIDRATO DE FLUOXETINA", "Fluoxetine hydrochloride", "mg", 1.118, 0},
    {"COENZIMA Q10", "Ubidecarenone", "mg", 1, 0},
    {"COLÁGENO HIDROLISADO", "Hydrolyzed collagen", "g", 1, 0},
    {"DEXPANTENOL", "Dexpanthenol", "ml", 1, 1.2},
    {"ESPIRONOLACTONA", "Spironolactone", "mg", 1, 0},
    {"FINASTERIDA", "Finasteride", "mg", 1, 0},
    {"GINKGO BILOBA EXTRATO SECO 24%", "Ginkgo biloba", "mg", 1, 0},
    {"GLICERINA BIDESTILADA", "Glycerol", "ml", 1, 1.26},
    {"HIDROQUINONA", "Hydroquinone", "g", 1, 0},
    {"LACTOBACILLUS ACIDOPHILUS 10 BI UFC/G", "Lactobacillus acidophilus", "mg", 1, 0},
    {"MELATONINA", "Melatonin", "mg", 1, 0},
    {"MINOXIDIL", "Minoxidil", "g", 1, 0},
    {"ÓLEO DE AMÊNDOAS DOCES", "Prunus amygdalus dulcis", "ml", 1, 0.91},
    {"ÓLEO DE MELALEUCA", "Melaleuca alternifolia", "ml", 1, 0.89},
    {"PICOLINATO DE CROMO", "Chromium picolinate", "mcg", 8.06, 0},
    {"SULFATO FERROSO", "Ferrous sulfate heptahydrate", "mg", 5, 0},
    {"TRETINOÍNA", "Tretinoin", "mg", 1, 0},
    {"UREIA", "Urea", "g", 1, 0},
    {"VITAMINA D3 100.000 UI/G", "Cholecalciferol", "UI", 1, 0},
    {"VITAMINA E ACETATO 50%", "Tocopheryl acetate", "mg", 2, 0},
    {"ÓXIDO DE ZINCO", "Zinc oxide", "g", 1, 0},
    {"SULFATO DE GLICOSAMINA", "Glucosamine sulfate", "mg", 1, 0},
    {"CITRATO DE POTÁSSIO", "Potassium citrate", "g", 1, 0},
    {"TADALAFILA", "Tadalafil", "mg", 1, 0},
    {"PROPILENOGLICOL", "Propylene glycol", "ml", 1, 1.036},
    {"ÁLCOOL ETÍLICO 96 °GL", "Ethanol", "ml", 1, 0.81},
    {"CLORETO DE SÓDIO", "Sodium chloride", "g", 1, 0},
    {"ÔMEGA 3 ÓLEO DE PEIXE", "Fish oil", "mg", 1, 0.92},
};
const char* const kGrades[] = {"", " MICRONIZADO", " USP", " PH. EUR.", " PURO", " DILUÍDO 1:10"};
// Longer than the target's 70 characters.
const char* const kLongMaterial =
    "EXTRATO SECO PADRONIZADO DE CAMELLIA SINENSIS (CHÁ VERDE) A 50% DE POLIFENÓIS";
const char* const kClasses[] = {"MATÉRIA-PRIMA", "MATÉRIA-PRIMA", "EXCIPIENTE", "ATIVO CONTROLADO", "FITOTERÁPICO"};

Table componentes(std::uint64_t seed, int n) {
    Rng rng = tableRng(seed, "QTR23");
    Table t = table("Componen", "QTR23", 0x03,
                    {{"MATCODIGO", 'N', 6}, {"MATNOMECO", 'C', 80}, {"MATUNICOM", 'C', 4},
                     {"MATFATCOR", 'N', 9, 4}, {"MATDENSID", 'N', 8, 4}, {"MATESTMIN", 'N', 10, 3},
                     {"MATNOMECI", 'C', 50}, {"MATCLASSE", 'C', 20}, {"MATPRECUS", 'N', 12, 4},
                     {"MATDTVALI", 'D', 8}});
    const std::set<int> longNames = spots(n, few(n), 5);
    const std::set<int> noFactor = spots(n, few(n), 10);  // zero or blank: taken as 1
    const std::set<int> noMinimum = spots(n, few(n), 14);
    const int base = static_cast<int>(std::size(kMaterials));
    const int grades = static_cast<int>(std::size(kGrades));
    fill(t, n, 19, [&](const Slot& s, Row& r) {
        const int i = s.serial;
        const Material& m = kMaterials[i % base];
        std::string name = w(m.name) + kGrades[(i / base) % grades];
        if (i >= base * grades) name = w(kGrades[0]) + w(m.name) + " - LOTE " + std::to_string(i / (base * grades) + 1);
        if (longNames.count(s.live)) name = w(kLongMaterial);
        r.number("MATCODIGO", i + 1)
            .text("MATNOMECO", name)
            .text("MATUNICOM", m.unit)
            .text("MATNOMECI", rng.percent(85) ? m.scientific : "")
            .text("MATCLASSE", w(rng.pick(kClasses)))
            .number("MATPRECUS", rng.between(5, 900000) / 100.0);
        if (noFactor.count(s.live)) {
            if (rng.percent(50)) r.number("MATFATCOR", 0);
        } else if (m.factor != 1 || rng.percent(70)) {
            r.number("MATFATCOR", m.factor);
        }
        if (m.density > 0) r.number("MATDENSID", m.density);
        if (!noMinimum.count(s.live)) r.number("MATESTMIN", rng.between(0, 500000) / 1000.0);
        someDate(r, "MATDTVALI", rng, 2015, 2019);
    });
    return t;
}

const char* const kCapsuleSizes[] = {"000", "00", "0", "1", "2", "3", "4"};
const char* const kCapsuleColours[] = {"INCOLOR", "BRANCA", "AZUL/BRANCA", "VERDE", "VERMELHA", "AMARELA",
                                       "LARANJA", "ROSA", "PRETA/BRANCA", "AZUL-CLARO"};
const char* const kCapsuleKinds[] = {"CÁPSULA GELATINOSA", "CÁPSULA GELATINOSA", "CÁPSULA VEGETAL (HPMC)",
                                     "CÁPSULA GASTRORRESISTENTE"};

Table capsulas(std::uint64_t seed, int n) {
    Rng rng = tableRng(seed, "QTR28");
    Table t = table("Capsulas", "QTR28", 0x03,
                    {{"EMBCODIGO", 'N', 5}, {"EMBNOMECO", 'C', 50}, {"EMBTAMANH", 'C', 3},
                     {"EMBCORCAP", 'C', 15}, {"EMBESTMIN", 'N', 8}, {"EMBPESOMG", 'N', 6, 1}});
    const std::set<int> noMinimum = spots(n, few(n), 4);
    fill(t, n, 2, [&](const Slot& s, Row& r) {
        const char* size = rng.pick(kCapsuleSizes);
        const std::string colour = rng.pick(kCapsuleColours);
        std::string name = w(rng.pick(kCapsuleKinds)) + " N" + w("º") + " " + size + " " + colour;
        r.number("EMBCODIGO", s.serial + 1)
            .text("EMBNOMECO", name)
            .text("EMBTAMANH", size)
            .text("EMBCORCAP", colour)
            .number("EMBPESOMG", rng.between(380, 1650) / 10.0);
        if (!noMinimum.count(s.live)) r.number("EMBESTMIN", rng.between(2, 40) * 500);
    });
    return t;
}

const char* const kVehicles[] = {
    "CREME NÃO IÔNICO", "CREME LANETTE", "LOÇÃO CREMOSA", "GEL DE NATROSOL 2%", "GEL DE CARBOPOL",
    "GEL-CREME", "BASE PARA SHAMPOO NEUTRO", "SABONETE LÍQUIDO BASE", "XAROPE SIMPLES", "XAROPE SEM AÇÚCAR",
    "SOLUÇÃO HIDROALCOÓLICA 70%", "VEÍCULO PARA FLORAIS (CONHAQUE 30%)", "BASE PARA ESMALTE",
    "POMADA DE LANOLINA E VASELINA", "BASE PARA PROTETOR SOLAR FPS 30", "SUSPENSÃO ORAL BASE",
    "ÓLEO DE SEMENTE DE UVA", "BASE PARA BATOM", "EXCIPIENTE PARA CÁPSULAS (AMIDO + TALCO)", "CREME HIDRATANTE",
};
const char* const kVehicleUnits[] = {"g", "g", "ml", "ml", "kg", "L"};
const char* const kLongUnits[] = {"LITRO", "GRAMAS", "FRASCO"};  // longer than the target's 4

Table veiculos(std::uint64_t seed, int n) {
    Rng rng = tableRng(seed, "QTR24");
    Table t = table("Veiculos", "QTR24", 0x03,
                    {{"BASCODIGO", 'N', 5}, {"BASDESCRI", 'C', 50}, {"BASUNIDAD", 'C', 6},
                     {"BASPHFINA", 'N', 4, 1}});
    const std::set<int> longUnits = spots(n, few(n), 1);
    const int base = static_cast<int>(std::size(kVehicles));
    fill(t, n, 3, [&](const Slot& s, Row& r) {
        const int i = s.serial;
        std::string name = w(kVehicles[i % base]);
        if (i >= base) name += " - " + std::to_string(i / base + 1);
        r.number("BASCODIGO", i + 1)
            .text("BASDESCRI", name)
            .text("BASUNIDAD", longUnits.count(s.live) ? rng.pick(kLongUnits) : rng.pick(kVehicleUnits))
            .number("BASPHFINA", rng.between(40, 75) / 10.0);
    });
    return t;
}

struct Pack {
    const char* name;
    const char* sizes[5];
};
const Pack kPacks[] = {
    {"POTE PLÁSTICO BRANCO", {"10G", "30G", "60G", "100G", "250G"}},
    {"FRASCO ÂMBAR DE VIDRO", {"30ML", "60ML", "100ML", "120ML", "200ML"}},
    {"FRASCO CONTA-GOTAS ÂMBAR", {"10ML", "20ML", "30ML", "50ML", "100ML"}},
    {"BISNAGA DE ALUMÍNIO", {"20G", "30G", "50G", "60G", "100G"}},
    {"FRASCO PUMP AIRLESS", {"15ML", "30ML", "50ML", "100ML", "150ML"}},
    {"POTE PARA CÁPSULAS", {"30 UN", "60 UN", "90 UN", "120 UN", "180 UN"}},
    {"FRASCO SPRAY", {"10ML", "30ML", "50ML", "60ML", "100ML"}},
    {"ENVELOPE KRAFT PARA SACHÊ", {"5G", "10G", "15G", "20G", "30G"}},
};

Table embalagens(std::uint64_t seed, int n) {
    Rng rng = tableRng(seed, "QTR26");
    Table t = table("Embalagens", "QTR26", 0x03,
                    {{"EMBCODIGO", 'N', 5}, {"EMBNOMECO", 'C', 50}, {"EMBCAPACI", 'N', 8, 1},
                     {"EMBESTMIN", 'N', 8}, {"EMBCUSTOU", 'N', 10, 4}});
    const int base = static_cast<int>(std::size(kPacks)) * 5;
    fill(t, n, 4, [&](const Slot& s, Row& r) {
        const int i = s.serial;
        const Pack& p = kPacks[(i % base) / 5];
        std::string name = w(p.name) + " " + p.sizes[i % 5];
        if (i >= base) name += " - MOD. " + std::to_string(i / base + 1);
        r.number("EMBCODIGO", i + 1)
            .text("EMBNOMECO", name)
            .number("EMBCAPACI", std::atoi(p.sizes[i % 5]))
            .number("EMBESTMIN", rng.between(1, 20) * 100)
            .number("EMBCUSTOU", rng.between(8, 650) / 100.0);
    });
    return t;
}

Table bairros(std::uint64_t seed, int n, const City& home) {
    Rng rng = tableRng(seed, "QTR42A");
    Table t = table("Bairros", "QTR42A", 0x03,
                    {{"REGCODIGO", 'N', 6}, {"REGBAIRRO", 'C', 60}, {"REGCIDADE", 'C', 30},
                     {"REGTAXENT", 'N', 6, 2}});
    const std::set<int> longNames = spots(n, few(n), 6);
    std::set<std::string> used;
    const int base = static_cast<int>(std::size(kDistricts));
    int longOnes = 0;
    fill(t, n, 8, [&](const Slot& s, Row& r) {
        const int i = s.serial;
        std::string name = w(kDistricts[i % base]);
        if (i >= base) name += " - SETOR " + std::to_string(i / base + 1);
        if (longNames.count(s.live)) name = w(kLongDistricts[longOnes++ % std::size(kLongDistricts)]);
        r.number("REGCODIGO", i + 1)
            .text("REGBAIRRO", uniqueKey(name, 40, used))
            .text("REGCIDADE", w(home.name))
            .number("REGTAXENT", rng.between(0, 20) / 2.0);
    });
    return t;
}

const char* const kDoses[] = {
    "Tomar 1 (uma) cápsula", "Tomar 2 (duas) cápsulas", "Aplicar uma fina camada na área afetada",
    "Diluir 20 gotas em meio copo d'água e tomar", "Tomar 1 (uma) colher de chá (5 ml)",
    "Dissolver 1 (um) sachê em 200 ml de água e tomar", "Pingar 2 gotas em cada narina",
    "Aplicar no couro cabeludo com massagem suave", "Lavar o rosto com o sabonete e enxaguar",
    "Colocar 5 glóbulos sob a língua",
};
const char* const kFrequencies[] = {"1 vez ao dia", "2 vezes ao dia", "3 vezes ao dia", "a cada 8 horas",
                                    "a cada 12 horas", "à noite, ao deitar", "pela manhã, em jejum",
                                    "antes das refeições", "após as refeições"};
const char* const kDurations[] = {"durante 30 dias.", "por 60 dias.", "por 3 meses.", "até nova orientação médica.",
                                  "em uso contínuo."};
const char* const kAdvice[] = {
    "Evitar exposição ao sol durante o tratamento e usar protetor solar com FPS 30 ou maior.",
    "Não ultrapassar a dose indicada.", "Agitar antes de usar.",
    "Conservar em local fresco, seco e ao abrigo da luz.", "Manter fora do alcance das crianças.",
    "Em caso de irritação, suspender o uso e procurar orientação médica.",
};
const char* const kAbbreviations[] = {"1 CP 12/12H", "2 CP AO DIA", "APLICAR 2X", "20 GTS 8/8H", "1 SACHE/DIA",
                                      "USO NOTURNO", "JEJUM"};

Table posologias(std::uint64_t seed, int n) {
    Rng rng = tableRng(seed, "QTR49");
    const int width = std::max(4, static_cast<int>(std::to_string(n + n / 60 + 1).size()));
    Table t = table("Posologias", "QTR49", 0x8B,
                    {{"POSCODIGO", 'C', width}, {"POSABREVI", 'C', 20}, {"POSDESCRI", 'M', 10},
                     {"POSDTCADA", 'D', 8}});
    const std::set<int> longTexts = spots(n, few(n), 2);  // longer than the target's 255 characters
    fill(t, n, 6, [&](const Slot& s, Row& r) {
        const int i = s.serial;
        char code[16];
        std::snprintf(code, sizeof code, "%0*d", width, i + 1);
        std::string text = w(rng.pick(kDoses)) + ", " + w(rng.pick(kFrequencies)) + ", " + w(rng.pick(kDurations));
        if (longTexts.count(s.live)) {
            for (const char* advice : kAdvice) text += "\r\n" + w(advice);
        } else if (rng.percent(30)) {
            text += " " + w(rng.pick(kAdvice));
        }
        r.text("POSCODIGO", code).text("POSABREVI", rng.pick(kAbbreviations)).text("POSDESCRI", text);
        someDate(r, "POSDTCADA", rng, 1993, 2015);
    });
    return t;
}

}  // namespace

int Table::fieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

int Table::liveCount() const {
    return static_cast<int>(std::count_if(records.begin(), records.end(), [](const Record& r) { return !r.deleted; }));
}

std::vector<Table> makeTables(const Options& options) {
    if (options.records < 0) throw std::invalid_argument("demo data: the number of records cannot be negative");
    const int n = options.records;
    const City& home = homeCity(options.seed);
    std::vector<Table> out;
    out.push_back(formasFarmaceuticas(options.seed, n));
    out.push_back(firms(options.seed, std::min(n, 9999), home, false));
    out.push_back(familias(options.seed, n));
    out.push_back(clientes(options.seed, n, home));
    out.push_back(medicos(options.seed, n, home));
    out.push_back(componentes(options.seed, n));
    out.push_back(capsulas(options.seed, n));
    out.push_back(veiculos(options.seed, n));
    out.push_back(embalagens(options.seed, n));
    out.push_back(firms(options.seed, n, home, true));
    out.push_back(bairros(options.seed, n, home));
    out.push_back(posologias(options.seed, n));
    return out;
}

void writeTable(const Table& table, const std::string& folder) {
    const CodePage& cp850 = *CodePage::find(850);
    dbf::DbfWriter writer(table.version, table.fields);
    writer.languageDriver(0x02);
    std::vector<dbf::Cell> cells;
    for (const Record& record : table.records) {
        cells.clear();
        for (std::size_t i = 0; i < record.cells.size(); ++i) {
            const char type = table.fields[i].type;
            cells.emplace_back(type == 'C' || type == 'M' ? cp850.fromWin1252(record.cells[i]) : record.cells[i]);
        }
        if (record.deleted) {
            writer.addDeleted(cells);
        } else {
            writer.add(cells);
        }
    }
    writer.writeFiles(folder + "/" + table.fileName + ".DBF");
}

std::vector<Table> writeDemoFolder(const std::string& folder, const Options& options) {
    std::filesystem::create_directories(folder);
    std::vector<Table> tables = makeTables(options);
    for (const Table& t : tables) writeTable(t, folder);
    return tables;
}

}  // namespace mig::demo
