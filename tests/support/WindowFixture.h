#pragma once
// The main window as the operator meets it, for the window's tests (Qt Test) and the fault tests
// (GoogleTest): a drive C: of the test's own (KORVELAN_DRIVE_C) holding the legacy folder
// C:\Quiltor, the data module over a fresh embedded database (or, after configureServer, over the
// loopback server named by a KORVELAN.INI, as start-up reads it), and a recorder in place of the
// message boxes, so that no test blocks on a modal box. Buttons are pressed with mouse clicks, so
// every failure goes through the window's own handling into a box. The rows a database holds are
// read through an attachment of the test's own. A helper that cannot do what it is asked throws
// std::logic_error, which fails the test under either framework.
#include <QString>
#include <QStringList>

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/Dialogs.h"
#include "app/UDM.h"
#include "app/Unit1.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestDatabase.h"
#include "tools/dbf/DbfWriter.h"

class QAction;
class QMenu;
class QPushButton;
class QTableView;

namespace mig::test {

// One box the program showed.
struct Box {
    enum Kind { Error, Information, Question };
    Kind kind;
    QString text;
    QString details;
};
// The same in UTF-8, as the fault tests compare it.
struct TextBox {
    Box::Kind kind;
    std::string text;
    std::string details;
};
std::ostream& operator<<(std::ostream& os, const TextBox& box);

// Records every box; a question is answered with `answer` (Sim when true).
class RecordingDialogs : public Dialogs {
public:
    void error(const QString& message, const QString& details) override;
    void information(const QString& text, const QString& details) override;
    bool question(const QString& text) override;
    std::vector<Box> boxes;
    bool answer = false;
};

inline QString q(const char* utf8) { return QString::fromUtf8(utf8); }

// Chooses `entry` of the popup menu of `grid` the way the operator does: a right click on the
// grid opens the menu, a click on the entry runs it.
void chooseFromPopup(const QTableView* grid, QMenu* menu, QAction* entry);

// The loopback server's database path, as start-up appends it to the configured address.
inline constexpr const char* kServerDatabasePath = ":C:\\korvelan\\dados\\korvelan.bd";

class WindowFixture {
public:
    // The application object the window needs, made once per test program on the offscreen
    // platform unless another one is asked for; for the test programs without a main of Qt Test.
    static void ensureApplication();

    WindowFixture();
    ~WindowFixture();
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    // Start-up's way to the server: KORVELAN.INI naming `serverAddress` ("127.0.0.1/3051") in a
    // program folder of the test's own, read by the data module's creation handler.
    void configureServer(const std::string& serverAddress);

    std::string legacyFolder() const { return drive.path() + "/Quiltor"; }
    // The table file of that legacy component in C:\Quiltor.
    std::string legacyFile(std::string_view component) const;
    // Writes the legacy table of that component into C:\Quiltor.
    void writeLegacy(std::string_view component, const dbf::DbfWriter& writer) const;
    // A legacy table of one text field with `records` records.
    static dbf::DbfWriter simpleLegacy(int records);
    // Every legacy table of the window, one record each.
    void writeEveryLegacyTable() const;

    // Statements and queries on the embedded test database, through an attachment of their own.
    void exec(std::string_view sql) const { database.attach()->executeImmediate(sql); }
    std::vector<std::string> column(std::string_view sql) const { return database.column(sql); }
    int count(std::string_view tableAndCondition) const { return database.count(tableAndCondition); }

    // The target table (or group of the components table) of each pair, in the window's order,
    // with a statement that stores a row numbered `#`.
    struct TargetKind {
        const char* rows;    // what to count: "FORMAFAR", "COMPONEN where GRUPO = 'MP'"
        const char* insert;  // `#` stands for the row's number
    };
    static const TargetKind kTargetKinds[12];
    // Stores rows numbered first..last in the target of the pair at `pair` (index in kPairs).
    void fillTarget(std::size_t pair, int first, int last) const;
    // Rows of each pair's target on the embedded database, in the window's order.
    std::vector<int> targetCounts() const;

    QPushButton* button(std::string_view name) const;
    // A left click on the button, as the operator gives it (nothing happens when it is disabled).
    void click(std::string_view name) const;
    // The same, for a button the test expects to be enabled: throws when it is not.
    void press(std::string_view button) const;
    bool enabled(std::string_view button) const;
    // The migrate buttons that are enabled, by object name.
    QStringList enabledMigrateButtons() const;
    // Rows the lower grid (the target dataset) shows.
    int targetRows() const;

    // Chooses "Esvaziar tabela" the way the operator does: a right click on the lower grid opens
    // the popup menu, a click on its entry runs it. The question is answered by boxes.answer.
    void chooseEmptyTable() const;

    // The boxes shown since the last call, in UTF-8.
    std::vector<TextBox> takeBoxes();

    // A grid's text in a row under a column title; empty when there is no such column.
    static QString cell(const QTableView* grid, int row, const QString& title);
    // Its horizontal alignment there.
    static Qt::Alignment alignment(const QTableView* grid, int row, const QString& title);

    TempFolder drive;
    TestDatabase database;
    TDM dm;
    RecordingDialogs boxes;
    std::unique_ptr<TForm1> form;

private:
    TempFolder program_;
    ScopedEnv driveC_;
    Dialogs* previousDialogs_ = nullptr;
};

}  // namespace mig::test
