#include "tests/faults/OperatorBench.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTableView>

#include <filesystem>
#include <fstream>
#include <ostream>

#include "app/Config.h"
#include "legacy/LegacyTables.h"

namespace mig::test {

namespace {

std::string utf8(const QString& text) { return text.toStdString(); }

}  // namespace

std::ostream& operator<<(std::ostream& os, const Box& box) {
    static const char* const kinds[] = {"error", "information", "question"};
    os << kinds[box.kind] << " box \"" << box.text << "\"";
    if (!box.details.empty()) os << " with details \"" << box.details << "\"";
    return os;
}

void BoxRecorder::error(const QString& message, const QString& details) {
    boxes.push_back({Box::Error, utf8(message), utf8(details)});
}

void BoxRecorder::information(const QString& text, const QString& details) {
    boxes.push_back({Box::Information, utf8(text), utf8(details)});
}

bool BoxRecorder::question(const QString& text) {
    boxes.push_back({Box::Question, utf8(text), {}});
    return true;
}

void ensureApplication() {
    if (QApplication::instance()) return;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "faults_tests";
    static char* argv[] = {name, nullptr};
    // Kept for the whole test program, as a program keeps its application object.
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
}

OperatorBench::OperatorBench() : driveC_("KORVELAN_DRIVE_C", drive_.path()) {
    ensureApplication();
    std::filesystem::create_directories(legacyFolder());
    DM = &dm;
    previousDialogs_ = setDialogs(&recorder);
    form = std::make_unique<TForm1>();
}

OperatorBench::~OperatorBench() {
    form.reset();  // the grids watch the data module's datasets
    setDialogs(previousDialogs_);
    DM = nullptr;
    SetExecutableDirForTesting({});
}

void OperatorBench::configureServer(const std::string& serverAddress) {
    std::ofstream(program_.path() + "/KORVELAN.INI", std::ios::binary)
        << kServerKey << " " << serverAddress << "\r\n";
    SetExecutableDirForTesting(program_.path() + "/");
    dm.DataModuleCreate();
    ASSERT_EQ(dm.SQLConnection1.Params().value("DataBase"), serverAddress + kServerDatabasePath);
}

std::string OperatorBench::legacyFile(std::string_view component) const {
    const LegacyTableInfo* info = findLegacyTable(component);
    if (!info) throw std::logic_error("no legacy table " + std::string(component));
    return legacyFolder() + "/" + std::string(info->fileName) + ".DBF";
}

void OperatorBench::writeLegacy(std::string_view component, const dbf::DbfWriter& writer) const {
    writer.writeFiles(legacyFile(component));
}

void OperatorBench::press(std::string_view button) {
    auto* b = form->findChild<QPushButton*>(QString::fromLatin1(button.data(), static_cast<qsizetype>(button.size())));
    ASSERT_NE(b, nullptr) << "no button " << button;
    ASSERT_TRUE(b->isEnabled()) << button << " is disabled";
    b->click();
}

bool OperatorBench::enabled(std::string_view button) const {
    auto* b = form->findChild<QPushButton*>(QString::fromLatin1(button.data(), static_cast<qsizetype>(button.size())));
    return b && b->isEnabled();
}

int OperatorBench::targetRows() const {
    const QAbstractItemModel* model = form->DBGrid2->model();
    return model ? model->rowCount() : 0;
}

void OperatorBench::chooseEmptyTable() { form->Esvaziartabela1->trigger(); }

std::vector<Box> OperatorBench::takeBoxes() {
    std::vector<Box> out;
    out.swap(recorder.boxes);
    return out;
}

std::vector<std::string> serverColumn(std::string_view sql) {
    auto attachment = db::Attachment::attach(serverParams());
    auto tx = attachment->startTransaction();
    auto statement = attachment->prepare(*tx, sql);
    statement->open(*tx);
    std::vector<std::string> out;
    while (statement->fetch()) out.emplace_back(statement->isNull(0) ? "<null>" : std::string(statement->text(0)));
    return out;
}

int serverCount(std::string_view tableAndCondition) {
    return std::stoi(serverColumn("select cast(count(*) as varchar(12)) from " + std::string(tableAndCondition)).at(0));
}

}  // namespace mig::test
