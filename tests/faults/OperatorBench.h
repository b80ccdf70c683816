#pragma once
// The main window as the operator meets it, for the fault tests: a drive C: of the test's own
// (KORVELAN_DRIVE_C) holding the legacy folder C:\Quiltor, a program folder holding
// KORVELAN.INI, the data module set up by its creation handler, and a recorder in place of the
// message boxes. Buttons are pressed the way the operator presses them, so every failure goes
// through the window's own handling into a box.
#include <gtest/gtest.h>

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/Dialogs.h"
#include "app/UDM.h"
#include "app/Unit1.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestServer.h"
#include "tools/dbf/DbfWriter.h"

namespace mig::test {

// One box the program showed; texts in UTF-8.
struct Box {
    enum Kind { Error, Information, Question };
    Kind kind;
    std::string text;
    std::string details;
};
std::ostream& operator<<(std::ostream& os, const Box& box);

// Records every box; a question is answered Sim.
class BoxRecorder : public Dialogs {
public:
    void error(const QString& message, const QString& details) override;
    void information(const QString& text, const QString& details) override;
    bool question(const QString& text) override;
    std::vector<Box> boxes;
};

// The application object the window needs, made once per test program, on the offscreen
// platform unless another one is asked for.
void ensureApplication();

// The loopback server's database path, as start-up appends it to the configured address.
inline constexpr const char* kServerDatabasePath = ":C:\\korvelan\\dados\\korvelan.bd";

class OperatorBench {
public:
    OperatorBench();
    ~OperatorBench();
    OperatorBench(const OperatorBench&) = delete;
    OperatorBench& operator=(const OperatorBench&) = delete;

    // Start-up's way to the server: KORVELAN.INI naming `serverAddress` ("127.0.0.1/3051"), read
    // by the data module's creation handler.
    void configureServer(const std::string& serverAddress);

    std::string legacyFolder() const { return drive_.path() + "/Quiltor"; }
    // The table file of that legacy component in C:\Quiltor.
    std::string legacyFile(std::string_view component) const;
    void writeLegacy(std::string_view component, const dbf::DbfWriter& writer) const;

    // Presses a button by its name; a failed expectation when it is disabled.
    void press(std::string_view button);
    bool enabled(std::string_view button) const;
    // Rows the lower grid (the target dataset) shows.
    int targetRows() const;
    // Chooses "Esvaziar tabela" on the lower grid (the question is answered Sim).
    void chooseEmptyTable();
    // The boxes shown since the last call.
    std::vector<Box> takeBoxes();

    TDM dm;
    BoxRecorder recorder;
    std::unique_ptr<TForm1> form;

private:
    TempFolder drive_;
    TempFolder program_;
    ScopedEnv driveC_;
    Dialogs* previousDialogs_ = nullptr;
};

// The loopback server's database, read through an attachment of its own (never the relay).
std::vector<std::string> serverColumn(std::string_view sql);  // the first column, as text
int serverCount(std::string_view tableAndCondition);           // "FORMAFAR", "COMPONEN where GRUPO = 'MP'"

}  // namespace mig::test
