#pragma once
// The client dataset of a chain (`FormaFar`): every row of its provider's SELECT held in
// memory, a cursor over them, at most one row being filled, and the cache of posted changes
// that ApplyUpdates sends through the provider. Its fields are the declared ones; a field
// reads the current row (or the row being filled) and writes only the row being filled.
//
// Lifetimes: the provider is borrowed and must outlive the dataset's use of it.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "target/dataset/ChainDef.h"
#include "target/dataset/DataSetProvider.h"
#include "target/dataset/FieldMask.h"
#include "target/dataset/RowStore.h"
#include "target/field/Field.h"
#include "target/field/RecordSet.h"

namespace mig {

class ClientDataSet;

enum class DataSetState : std::uint8_t { Inactive, Browse, Insert, Edit };

// What a change notification reports; a grid resets itself on any of them.
enum class DataSetEvent : std::uint8_t {
    Opened,
    Closed,
    Refreshed,
    RowsChanged,   // a post, a delete or an apply changed the rows or the cache
    EditStarted,   // append or edit began a row being filled
    EditEnded,     // the row being filled was dropped
};

// A declared field of a client dataset.
class DataSetField : public Field {
public:
    DataSetField(ClientDataSet& owner, int index, const FieldSpec& fieldSpec);

    int index() const { return index_; }
    const std::string& displayFormat() const { return displayFormat_; }
    const std::string& editMask() const { return editMask_; }
    const std::string& defaultValue() const { return defaultValue_; }
    // The key mark that counts when changes are applied: the packet's, taken over at open.
    bool providerKey() const { return providerKey_; }

    // The value as the grid shows it: the display format for numbers, else the text.
    std::string displayText() const;

    Value value() const override;
    bool isNull() const override;
    void store(Value v) override;

protected:
    void cutting(std::string_view whole) override;
    void storeText(std::string_view text) override;

private:
    friend class ClientDataSet;
    ClientDataSet& owner_;
    int index_;
    std::string displayFormat_;
    std::string editMask_;
    std::string defaultValue_;
    bool providerKey_ = false;
};

// One cached change as the rest of the program may inspect it.
struct CachedChange {
    ChangeStatus status = ChangeStatus::Inserted;
    std::vector<Value> values;    // new and changed rows: the values now; deleted rows: as read
    std::vector<Value> original;  // changed and deleted rows: the values as read; else empty
    std::string error;            // why the last apply refused it; empty when it was not refused
};

class ClientDataSet : public RecordSet, private RowSink {
public:
    ClientDataSet(std::string name, std::span<const FieldSpec> fields, DataSetProvider* provider = nullptr);
    ~ClientDataSet() override;
    ClientDataSet(const ClientDataSet&) = delete;
    ClientDataSet& operator=(const ClientDataSet&) = delete;

    void setProvider(DataSetProvider* provider) { provider_ = provider; }
    DataSetProvider* provider() const { return provider_; }
    std::string ProviderName() const { return provider_ ? provider_->name() : std::string(); }

    // Fields.
    Field* FindField(std::string_view fieldName) override;
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    int fieldIndex(std::string_view fieldName) const;  // -1 when there is no such field
    DataSetField& Fields(int index) { return *fields_.at(static_cast<std::size_t>(index)); }
    const DataSetField& Fields(int index) const { return *fields_.at(static_cast<std::size_t>(index)); }

    // Opening and closing. Open reads every row through the provider; nothing happens when open.
    void Open();
    // Opens the dataset empty, without asking a provider for rows: a dataset of the declared
    // fields whose rows are filled and looked at, never applied.
    void CreateDataSet();
    void Close();
    bool Active() const { return state_ != DataSetState::Inactive; }
    DataSetState State() const { return state_; }

    // Rows read plus rows posted since, less rows deleted since.
    int RecordCount() const;
    bool IsEmpty() const { return rows_.empty(); }

    // The cursor. Moving settles a row being filled first (posted when changed, else dropped).
    void First();
    void Last();
    void Next();
    void Prior();
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    int RecNo() const;            // 1-based; 0 when empty or filling a new row
    void moveTo(int row);         // 0-based

    // Filling rows.
    void Append();
    void Edit();
    void Post();
    // Raises what Post would raise for the row being filled (a required field without a
    // value), changing nothing.
    void CheckPost() const;
    void Cancel();
    void Delete();
    bool Modified() const { return modified_; }

    // The cache of changes.
    int ChangeCount() const { return static_cast<int>(changes_.size()); }
    CachedChange change(int index) const;
    ChangeStatus changeStatus(int index) const { return changes_.at(static_cast<std::size_t>(index)).status; }
    const std::string& changeError(int index) const { return changes_.at(static_cast<std::size_t>(index)).error; }
    // A number the caller attaches to a cached change (which legacy record it came from, say);
    // it stays with the change until the change leaves the cache. -1 when none was set.
    void setChangeTag(int index, std::int64_t tag) { changes_.at(static_cast<std::size_t>(index)).tag = tag; }
    std::int64_t changeTag(int index) const { return changes_.at(static_cast<std::size_t>(index)).tag; }
    // The value of a field in a cached change: now for new and changed rows, as read for deleted
    // ones; and that value as text (formatValue, as the field's asText writes it).
    Value changeValue(int index, int field) const;
    std::string changeText(int index, int field) const;

    // Sends the cache; returns the number of changes the server refused. After a rollback (a
    // change that hit several rows, or more refusals than `maxErrors`) every change stays
    // cached, the ones the server accepted included, and the count is still that of the refused.
    int ApplyUpdates(int maxErrors);
    // Reads every row again; fails while the cache holds changes.
    void Refresh();

    // The grid: rows in display order (the row being filled last, when appending).
    int displayRowCount() const;
    std::string displayText(int row, int field) const;
    Value rowValue(int row, int field) const;
    // The value of a field of the row being filled, without a copy: valid until the row
    // changes; nullptr when no row is being filled.
    const Value* filledValue(int field) const;

    // Told whenever a text assigned to a field of the row being filled is cut to the field's
    // size: the field's index and the whole text. Empty to stop.
    using CutListener = std::function<void(int field, std::string_view whole)>;
    void setCutListener(CutListener listener) { cutListener_ = std::move(listener); }

    // Change notifications, called after the dataset changed.
    using Listener = std::function<void(DataSetEvent)>;
    int subscribe(Listener listener);
    void unsubscribe(int id);

    // Bytes held by the row store (rows read and posted since the last open or re-read).
    std::size_t storeBytes() const { return store_.bytesReserved(); }

private:
    friend class DataSetField;

    struct Row {
        RowStore::Record record = nullptr;
        std::int32_t change = -1;  // its entry in the cache, -1 when none
    };
    struct Change {
        ChangeStatus status = ChangeStatus::Inserted;
        RowStore::Record current = nullptr;
        RowStore::Record original = nullptr;
        FieldMask fields;
        std::string error;
        std::int64_t tag = -1;
    };
    // How a bound field is read from the statement.
    struct Binding {
        int column = 0;
        FieldKind packetKind = FieldKind::Text;
        int scale = 0;
    };

    // RowSink
    void bind(const std::vector<PacketField>& fields) override;
    void row(const db::Statement& statement) override;

    [[noreturn]] void fail(std::string_view message) const;
    void checkActive() const;
    bool filling() const { return state_ == DataSetState::Insert || state_ == DataSetState::Edit; }
    void settle();
    void readAll();
    Value fieldValue(int field) const;
    void storeField(int field, Value v);
    // As storeField(field, std::string(text)), the text copied into the string the row being
    // filled already has for the field (or one an earlier row left).
    void storeText(int field, std::string_view text);
    // Empties the row being filled, keeping its texts' storage for the next row.
    void recycleBuffer();
    Value recordValue(RowStore::Record record, int field) const;
    // A decimal brought to the field's scale (rounded half away from zero), refused when its
    // integer part has more digits than the field's precision minus scale allow.
    static Decimal fitDecimal(const DataSetField& field, Decimal d);
    void removeChanges(const std::vector<bool>& remove);
    RowStore::Record encodeBuffer();
    void endFilling();
    void reindexChanges();
    void notify(DataSetEvent event);

    DataSetProvider* provider_ = nullptr;
    std::vector<std::unique_ptr<DataSetField>> fields_;
    std::vector<Value> defaults_;  // what a new row starts with
    std::vector<std::size_t> required_;  // the required fields, in order
    std::vector<bool> keys_;       // key marks of the packet being read
    DataSetState state_ = DataSetState::Inactive;

    RowStore store_;
    std::vector<Row> rows_;
    std::vector<Change> changes_;
    int cur_ = -1;
    bool eof_ = true;
    bool bof_ = true;

    // The row being filled.
    std::vector<Value> buffer_;
    std::vector<std::string> spare_;  // per field, the storage of a text an earlier row held
    FieldMask assigned_;
    bool modified_ = false;
    int editRow_ = -1;  // the row an edit started on

    // Reading (RowSink).
    RowStore reading_;
    std::vector<Row> readingRows_;
    std::vector<Binding> bindings_;
    RecordBuilder builder_;

    std::vector<std::pair<int, Listener>> listeners_;
    CutListener cutListener_;
    int nextListener_ = 1;
};

}  // namespace mig
