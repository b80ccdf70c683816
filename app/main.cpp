// Start-up: the windowing framework, the main window, the data module and its creation handler
// (which reads KORVELAN.INI), then the event loop until the main window closes, or until the
// system asks the program to end (SIGTERM, SIGINT, SIGHUP): then a running migration stops at
// its next record, everything closes, the connection detaches and the program ends with 128 plus
// the signal's number.
#include <QApplication>

#include <exception>
#include <memory>

#include "app/Config.h"
#include "app/Dialogs.h"
#include "app/PortugueseTexts.h"
#include "app/UDM.h"
#include "app/Unit1.h"
#include "app/platform/EndRequests.h"
#include "target/dataset/DataSetProvider.h"
#include "target/field/RegionalSettings.h"
#include "target/field/Win1252.h"

namespace {
QString fromWin1252(const char* text) { return QString::fromStdString(mig::win1252ToUtf8(text)); }
}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setApplicationName(mig::applicationTitle(QApplication::applicationFilePath()));
    mig::setRegional(mig::systemRegionalSettings());
    const mig::PortugueseTexts texts;
    // Before the database client first runs (the driver loads it when the connection first
    // opens): the client's own handlers come later and keep these behind them.
    mig::EndRequests endRequests;
    // A long apply stops between two rows too (nothing of it is stored).
    mig::setApplyInterruptCheck([] { return mig::EndRequests::pending() != 0; });

    // The data module outlives the window, whose grids watch its datasets; it is created after it.
    std::unique_ptr<mig::TDM> dm;
    mig::TForm1 form;
    mig::MessageBoxDialogs boxes(&form);
    mig::setDialogs(&boxes);
    QObject::connect(&endRequests, &mig::EndRequests::requested, &form, &mig::TForm1::endOnRequest);
    QObject::connect(&form, &mig::TForm1::ended, &app, [](int code) { QCoreApplication::exit(code); });

    // The data module's components are built from their stored settings; a failure here ends
    // start-up. The connection stays closed until the first dataset needs it, and the client
    // library stays unloaded until then: the window shows on a machine without it, and the
    // first preview tells what is missing.
    try {
        dm = std::make_unique<mig::TDM>();
        mig::DM = dm.get();
    } catch (const std::exception& e) {
        mig::dialogs().error(fromWin1252(e.what()));
        return 1;
    }
    // A failure of the creation handler is reported and start-up goes on; a missing
    // configuration file ends the program silently.
    try {
        mig::DM->DataModuleCreate();
    } catch (const mig::ConfigMissing&) {
        mig::DM = nullptr;
        return 0;
    } catch (const std::exception& e) {
        mig::dialogs().error(fromWin1252(e.what()));
    }

    form.show();
    const int code = app.exec();
    mig::setDialogs(nullptr);
    mig::DM = nullptr;
    return code;
}
