// The chain definitions against each other: every SELECT names the declared fields in their order.
#include "target/dataset/ChainDef.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mig {
namespace {

// The column names between "select " and " from ".
std::vector<std::string> selectList(std::string_view select) {
    std::vector<std::string> names;
    const std::size_t start = select.find("select ") + 7;
    const std::size_t end = select.find(" from ");
    std::string_view list = select.substr(start, end - start);
    while (!list.empty()) {
        const std::size_t comma = list.find(", ");
        names.emplace_back(list.substr(0, comma));
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 2);
    }
    return names;
}

TEST(ChainDefs, EachSelectListsTheDeclaredFieldsInOrder) {
    for (const ChainDef& chain : chainDefs()) {
        const auto columns = selectList(chain.select);
        ASSERT_EQ(columns.size(), chain.clientFields.size()) << chain.clientDataSet;
        for (std::size_t i = 0; i < columns.size(); ++i)
            EXPECT_EQ(columns[i], chain.clientFields[i].name) << chain.clientDataSet << " field " << i + 1;
        if (chain.sqlFields.empty()) continue;
        ASSERT_EQ(chain.sqlFields.size(), chain.clientFields.size()) << chain.clientDataSet;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const FieldSpec& c = chain.clientFields[i];
            const FieldSpec& s = chain.sqlFields[i];
            EXPECT_EQ(s.name, c.name);
            EXPECT_EQ(s.kind, c.kind) << c.name;
            EXPECT_EQ(s.key, c.key) << c.name;
            EXPECT_EQ(s.required, c.required) << c.name;
            if (!(chain.clientDataSet == "Fabric" && c.name == "NOME")) {
                EXPECT_EQ(s.size, c.size) << chain.clientDataSet << "." << c.name;
            }
        }
    }
}

TEST(ChainDefs, TheDeclaredDifferencesBetweenTheTwoSides) {
    EXPECT_TRUE(findChain("MEDICOS")->sqlFields.empty());
    const ChainDef& fabric = *findChain("Fabric");
    EXPECT_EQ(fabric.clientFields[1].name, "NOME");
    EXPECT_EQ(fabric.clientFields[1].size, 60);
    EXPECT_EQ(fabric.sqlFields[1].size, 40);
}

TEST(ChainDefs, TheComponentChainsDifferOnlyInTheirGroup) {
    const ChainDef& mp = *findChain("COMPONEN");
    const std::string prefix(mp.select.substr(0, mp.select.size() - 4));
    ASSERT_EQ(mp.select.substr(prefix.size()), "'MP'");
    const std::pair<const char*, const char*> groups[] = {{"Capsulas", "'CAP'"}, {"Veiculos", "'VEI'"}, {"Embalagens", "'EMB'"}};
    for (const auto& [name, literal] : groups) {
        const ChainDef& c = *findChain(name);
        EXPECT_EQ(c.select, prefix + literal) << name;
        EXPECT_EQ(c.clientFields.data(), mp.clientFields.data()) << name << " shares the one field list";
        EXPECT_EQ(c.clientFields.size(), 63u);
    }
    EXPECT_EQ(findChain("Embalagens")->sqlDataSet, "SQLDs_Emb");
    EXPECT_EQ(findChain("Familias")->sqlDataSet, "SQLDs_Familias");
}

}  // namespace
}  // namespace mig
