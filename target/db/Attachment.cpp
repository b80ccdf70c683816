#include "target/db/Attachment.h"

#include <ibase.h>

#include "target/db/DatabaseLocation.h"
#include "target/db/Session.h"

namespace mig::db {

using namespace Firebird;

namespace {

std::shared_ptr<Session> attachOrCreate(const AttachParams& params, bool create, int pageSize) {
    auto c = std::make_shared<Session>();
    const DatabaseLocation loc = locateDatabase(params.database);
    Xpb dpb(*c, IXpbBuilder::DPB);
    auto text = [&](unsigned char tag, const std::string& value) {
        if (value.empty()) return;
        dpb.b->insertString(&c->st, tag, value.c_str());
        c->check();
    };
    auto number = [&](unsigned char tag, int value) {
        dpb.b->insertInt(&c->st, tag, value);
        c->check();
    };
    text(isc_dpb_user_name, params.user);
    text(isc_dpb_password, params.password);
    text(isc_dpb_sql_role_name, params.role);
    text(isc_dpb_lc_ctype, params.charset);
    number(isc_dpb_sql_dialect, params.dialect);
    // A local file is opened in this process by the embedded engine, never handed to a server.
    if (loc.embedded) text(isc_dpb_config, "Providers=Engine12");
    if (create) {
        number(isc_dpb_page_size, pageSize);
        text(isc_dpb_set_db_charset, params.charset.empty() ? "WIN1252" : params.charset);
    }
    const unsigned len = dpb.b->getBufferLength(&c->st);
    c->check();
    const unsigned char* buf = dpb.b->getBuffer(&c->st);
    c->check();
    c->att = create ? c->provider->createDatabase(&c->st, loc.path.c_str(), len, buf)
                    : c->provider->attachDatabase(&c->st, loc.path.c_str(), len, buf);
    if (c->failed()) {
        c->att = nullptr;
        c->check();
    }
    c->dialect = static_cast<unsigned>(params.dialect);
    return c;
}

}  // namespace

struct Attachment::Impl {
    std::shared_ptr<Session> c;
};

Attachment::Attachment(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Attachment::~Attachment() { impl_->c->closeAttachment(); }

bool Attachment::lost() const { return impl_->c->lost; }

std::unique_ptr<Attachment> Attachment::attach(const AttachParams& params) {
    auto impl = std::make_unique<Impl>();
    impl->c = attachOrCreate(params, false, 0);
    return std::unique_ptr<Attachment>(new Attachment(std::move(impl)));
}

std::unique_ptr<Attachment> Attachment::create(const AttachParams& params, int pageSize) {
    auto impl = std::make_unique<Impl>();
    impl->c = attachOrCreate(params, true, pageSize);
    return std::unique_ptr<Attachment>(new Attachment(std::move(impl)));
}

std::unique_ptr<Transaction> Attachment::startTransaction(Isolation isolation, bool wait) {
    Session& c = *impl_->c;
    IAttachment* att = c.attachment();
    Xpb tpb(c, IXpbBuilder::TPB);
    auto tag = [&](unsigned char t) {
        tpb.b->insertTag(&c.st, t);
        c.check();
    };
    tag(isc_tpb_write);
    if (isolation == Isolation::RepeatableRead) {
        tag(isc_tpb_concurrency);
    } else {  // the server has no dirty reads: read committed is the nearest
        tag(isc_tpb_read_committed);
        tag(isc_tpb_rec_version);
    }
    tag(wait ? isc_tpb_wait : isc_tpb_nowait);
    const unsigned len = tpb.b->getBufferLength(&c.st);
    c.check();
    const unsigned char* buf = tpb.b->getBuffer(&c.st);
    c.check();
    auto impl = std::make_unique<Transaction::Impl>();
    impl->c = impl_->c;
    ITransaction* tra = att->startTransaction(&c.st, len, buf);
    c.check();
    impl->h->tra = tra;
    c.track(impl->h);
    return std::unique_ptr<Transaction>(new Transaction(std::move(impl)));
}

std::unique_ptr<Statement> Attachment::prepare(Transaction& tx, std::string_view sql) {
    return Statement::prepare(impl_->c, tx, sql);
}

std::uint64_t Attachment::executeImmediate(std::string_view sql) {
    auto tx = startTransaction();
    std::uint64_t n = 0;
    {
        auto stmt = prepare(*tx, sql);
        n = stmt->execute(*tx);
    }
    tx->commit();
    return n;
}

}  // namespace mig::db
