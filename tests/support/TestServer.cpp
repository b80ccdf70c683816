#include "tests/support/TestServer.h"

#include <cstdlib>
#include <vector>

namespace mig::test {

db::AttachParams serverParams() {
    db::AttachParams p;
    p.database = kServerDatabase;
    p.user = "SYSDBA";
    p.password = kTestPassword;
    return p;
}

const std::string& serverProblem() {
    static const std::string problem = []() -> std::string {
        try {
            auto att = db::Attachment::attach(serverParams());
            auto tx = att->startTransaction();
            auto st = att->prepare(*tx, "select count(*) from FORMAFAR");
            st->open(*tx);
            st->fetch();
            return {};
        } catch (const std::exception& e) {
            return e.what();
        }
    }();
    return problem;
}

bool runningUnderCi() {
    const char* ci = std::getenv("CI");
    if (!ci) return false;
    const std::string v = ci;
    return v == "true" || v == "TRUE" || v == "True" || v == "1";
}

void emptyServerTables() {
    auto att = db::Attachment::attach(serverParams());
    auto tx = att->startTransaction();
    std::vector<std::string> tables;
    {
        auto st = att->prepare(*tx,
                               "select trim(RDB$RELATION_NAME) from RDB$RELATIONS "
                               "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 and RDB$VIEW_BLR is null");
        st->open(*tx);
        while (st->fetch()) tables.emplace_back(st->text(0));
    }
    for (const std::string& t : tables) {
        auto st = att->prepare(*tx, "delete from \"" + t + "\"");
        st->execute(*tx);
    }
    tx->commit();
}

std::vector<std::string> serverColumn(std::string_view sql) {
    return queryColumn(*db::Attachment::attach(serverParams()), sql);
}

int serverCount(std::string_view tableAndCondition) {
    return queryCount(*db::Attachment::attach(serverParams()), tableAndCondition);
}

}  // namespace mig::test
