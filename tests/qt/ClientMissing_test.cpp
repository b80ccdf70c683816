// The window on a machine where the client library cannot be used: the window shows as usual
// and the connection stays closed; the first preview fails in an error box that names what is
// missing ("Unable to Load" and the file, "Unable to Find Procedure" and the entry), the window
// stays usable, and once the library is in place the next preview loads it and connects.
// The real message boxes are shown and answered with the keyboard. The client library is named
// by MIGRADOR_CLIENT_LIBRARY before anything in this program loads it.
#include <QMessageBox>
#include <QTimer>

#include <filesystem>
#include <optional>

#include "target/db/ClientLibrary.h"
#include "target/platform/SystemPath.h"
#include "tests/qt/WindowTest.h"

using namespace mig;
using namespace mig::test;

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr const char* kLibraryEnding = ".dll";
#else
constexpr const char* kLibraryEnding = ".so";
#endif

// The text and icon of the error box a click brings up, which is then closed with Return; an
// empty text when no box came.
struct SeenBox {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};
SeenBox clickAndAnswerTheBox(QPushButton* button) {
    SeenBox seen;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && seen.text.isEmpty()) {
            seen = {box->text(), box->icon()};
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    probe.start(5);
    QTest::mouseClick(button, Qt::LeftButton);
    return seen;
}

}  // namespace

class ClientMissingTest : public QObject {
    Q_OBJECT
    TempFolder drive;
    TempFolder clientFolder;
    const std::string clientFile = clientFolder.path() + "/client" + kLibraryEnding;
    ScopedEnv driveC{"KORVELAN_DRIVE_C", drive.path()};
    std::optional<ScopedEnv> clientLibrary;

private slots:
    void initTestCase() { clientLibrary.emplace(db::kClientLibraryVariable, clientFile); }

    void theFirstPreviewTellsWhatIsMissingUntilTheClientIsThere() {
        fs::create_directories(drive.path() + "/Quiltor");
        dbf::DbfWriter(0x03, {{"POSCODIGO", 'C', 6}, {"POSDESCRI", 'C', 60}})
            .add({"P1", "1 CAPSULA AO DIA"})
            .writeFiles(drive.path() + "/Quiltor/" + std::string(findLegacyTable("Posologias")->fileName) + ".DBF");
        const std::string database = drive.path() + "/korvelan/dados/korvelan.bd";

        TDM dm;
        dm.SQLConnection1.Params().setValue("DataBase", database);
        DM = &dm;
        TForm1 form;
        MessageBoxDialogs boxes(&form);
        Dialogs* previous = setDialogs(&boxes);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* preview = form.findChild<QPushButton*>(QStringLiteral("BitBtn9"));  // "Posologias - QTR49"
        auto* migrate = form.findChild<QPushButton*>(QStringLiteral("BitBtn19"));
        QVERIFY(preview && migrate);
        QVERIFY(!dm.SQLConnection1.Connected());

        // No such file.
        SeenBox seen = clickAndAnswerTheBox(preview);
        QCOMPARE(seen.text, QString::fromStdString("Unable to Load " + clientFile + "."));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(!dm.SQLConnection1.Connected());
        QVERIFY(!dm.TabPoso.Active());
        QVERIFY(!migrate->isEnabled());

        // A library that is not the client: the next preview tries again and finds it lacking.
        fs::copy_file(systemPath(executablePath()).parent_path() / MIG_NOT_A_CLIENT_FILE, systemPath(clientFile));
        seen = clickAndAnswerTheBox(preview);
        QCOMPARE(seen.text, q("Unable to Find Procedure fb_get_master_interface."));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QVERIFY(!dm.SQLConnection1.Connected());
        QVERIFY(!migrate->isEnabled());

        // The client's usual name, and a database: the next preview connects and shows the table.
        clientLibrary.reset();
        QVERIFY2(clientProblem().empty(), clientProblem().c_str());
        TestDatabase::copyTemplateTo(database);
        seen = clickAndAnswerTheBox(preview);
        QCOMPARE(seen.text, QString());
        QVERIFY(dm.SQLConnection1.Connected());
        QVERIFY(dm.TabPoso.Active());
        QVERIFY(migrate->isEnabled());

        setDialogs(previous);
        DM = nullptr;
    }
};

MIG_WINDOW_TEST_MAIN(ClientMissingTest)
#include "ClientMissing_test.moc"
