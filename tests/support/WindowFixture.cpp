#include "tests/support/WindowFixture.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "app/Config.h"
#include "app/Pairs.h"
#include "legacy/LegacyTables.h"

namespace mig::test {

namespace {

std::string utf8(const QString& text) { return text.toStdString(); }

QString latin1(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

void require(bool condition, const std::string& what) {
    if (!condition) throw std::logic_error(what);
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const TextBox& box) {
    static const char* const kinds[] = {"error", "information", "question"};
    os << kinds[box.kind] << " box \"" << box.text << "\"";
    if (!box.details.empty()) os << " with details \"" << box.details << "\"";
    return os;
}

void RecordingDialogs::error(const QString& message, const QString& details) {
    boxes.push_back({Box::Error, message, details});
}

void RecordingDialogs::information(const QString& text, const QString& details) {
    boxes.push_back({Box::Information, text, details});
}

bool RecordingDialogs::question(const QString& text) {
    boxes.push_back({Box::Question, text, {}});
    return answer;
}

void WindowFixture::ensureApplication() {
    if (QApplication::instance()) return;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "window_tests";
    static char* argv[] = {name, nullptr};
    // Kept for the whole test program, as a program keeps its application object.
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
}

WindowFixture::WindowFixture() : driveC_("KORVELAN_DRIVE_C", drive.path()) {
    ensureApplication();
    std::filesystem::create_directories(legacyFolder());
    dm.SQLConnection1.Params().setValue("DataBase", database.path());
    DM = &dm;
    previousDialogs_ = setDialogs(&boxes);
    form = std::make_unique<TForm1>();
    form->show();
    (void)QTest::qWaitForWindowExposed(form.get());
}

WindowFixture::~WindowFixture() {
    form.reset();  // the grids watch the data module's datasets
    setDialogs(previousDialogs_);
    DM = nullptr;
    setExecutableDirForTesting({});
}

void WindowFixture::configureServer(const std::string& serverAddress) {
    std::ofstream(program_.path() + "/KORVELAN.INI", std::ios::binary) << kServerKey << " " << serverAddress << "\r\n";
    setExecutableDirForTesting(program_.path() + "/");
    dm.DataModuleCreate();
    const std::string configured = dm.SQLConnection1.Params().value("DataBase");
    require(configured == serverAddress + kServerDatabasePath, "start-up set the database to " + configured);
}

std::string WindowFixture::legacyFile(std::string_view component) const {
    const LegacyTableInfo* info = findLegacyTable(component);
    require(info != nullptr, "no legacy table " + std::string(component));
    return legacyFolder() + "/" + std::string(info->fileName) + ".DBF";
}

void WindowFixture::writeLegacy(std::string_view component, const dbf::DbfWriter& writer) const {
    std::filesystem::create_directories(legacyFolder());
    writer.writeFiles(legacyFile(component));
}

dbf::DbfWriter WindowFixture::simpleLegacy(int records) {
    dbf::DbfWriter writer(0x03, {{"DESCRICAO", 'C', 30}});
    for (int i = 1; i <= records; ++i) writer.add({"REGISTRO " + std::to_string(i)});
    return writer;
}

void WindowFixture::writeEveryLegacyTable() const {
    for (const LegacyTableInfo& info : legacyTableList()) writeLegacy(info.component, simpleLegacy(1));
}

const WindowFixture::TargetKind WindowFixture::kTargetKinds[12] = {
    {"FORMAFAR", "insert into FORMAFAR (FORMAFARMA, CUSTOFIXO) values ('FORMA #', 12.5)"},
    {"FORNECED", "insert into FORNECED (CODIGO, NOMEFANTASIA) values ('#', 'FORNECEDOR #')"},
    {"FAMILIAS", "insert into FAMILIAS (CODIGO, FAMILIA) values (#, 'FAMILIA #')"},
    {"CLIENTES", "insert into CLIENTES (ESTACAO, CODIGO, NOME) values ('01', #, 'CLIENTE #')"},
    {"MEDICOS", "insert into MEDICOS (CRM, ESPECIALIDADE, NOME) values ('#', 'CLINICO', 'MEDICO #')"},
    {"COMPONEN where GRUPO = 'MP'", "insert into COMPONEN (CODIGO, GRUPO, QDEESTOQUE) values ('MP#', 'MP', 3)"},
    {"COMPONEN where GRUPO = 'CAP'", "insert into COMPONEN (CODIGO, GRUPO) values ('CAP#', 'CAP')"},
    {"COMPONEN where GRUPO = 'VEI'", "insert into COMPONEN (CODIGO, GRUPO) values ('VEI#', 'VEI')"},
    {"COMPONEN where GRUPO = 'EMB'", "insert into COMPONEN (CODIGO, GRUPO) values ('EMB#', 'EMB')"},
    {"FABRIC", "insert into FABRIC (CODIGO, NOMEFANTASIA) values (#, 'FABRICANTE #')"},
    {"TAXABAIRRO", "insert into TAXABAIRRO (BAIRRO) values ('BAIRRO #')"},
    {"TABPOSO", "insert into TABPOSO (CODIGO, POSOLOGIA) values ('#', 'POSOLOGIA #')"},
};

void WindowFixture::fillTarget(std::size_t pair, int first, int last) const {
    auto attachment = database.attach();
    auto tx = attachment->startTransaction();
    for (int n = first; n <= last; ++n) {
        std::string sql = kTargetKinds[pair].insert;
        for (std::size_t at; (at = sql.find('#')) != std::string::npos;) sql.replace(at, 1, std::to_string(n));
        attachment->prepare(*tx, sql)->execute(*tx);
    }
    tx->commit();
}

std::vector<int> WindowFixture::targetCounts() const {
    std::vector<int> counts;
    for (const TargetKind& kind : kTargetKinds) counts.push_back(count(kind.rows));
    return counts;
}

QPushButton* WindowFixture::button(std::string_view name) const {
    auto* b = form->findChild<QPushButton*>(latin1(name));
    require(b != nullptr, "no button " + std::string(name));
    return b;
}

void WindowFixture::click(std::string_view name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

void WindowFixture::press(std::string_view name) const {
    require(button(name)->isEnabled(), std::string(name) + " is disabled");
    click(name);
}

bool WindowFixture::enabled(std::string_view name) const {
    auto* b = form->findChild<QPushButton*>(latin1(name));
    return b && b->isEnabled();
}

QStringList WindowFixture::enabledMigrateButtons() const {
    QStringList names;
    for (const PairDef& pair : kPairs) {
        if (button(pair.migrateButton)->isEnabled()) names << latin1(pair.migrateButton);
    }
    return names;
}

int WindowFixture::targetRows() const {
    const QAbstractItemModel* model = form->DBGrid2->model();
    return model ? model->rowCount() : 0;
}

void chooseFromPopup(const QTableView* grid, QMenu* menu, QAction* entry) {
    QWidget* viewport = grid->viewport();
    const QPoint at(20, 20);
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        // What the offscreen platform says of every popup.
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support grabbing the keyboard");
    }
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    require(QTest::qWaitFor([menu] { return menu->isVisible(); }), "the popup menu did not open");
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    require(QTest::qWaitFor([menu] { return !menu->isVisible(); }), "the popup menu did not close");
}

void WindowFixture::chooseEmptyTable() const { chooseFromPopup(form->DBGrid2, form->PopupMenu1, form->Esvaziartabela1); }

std::vector<TextBox> WindowFixture::takeBoxes() {
    std::vector<TextBox> out;
    for (const Box& box : boxes.boxes) out.push_back({box.kind, utf8(box.text), utf8(box.details)});
    boxes.boxes.clear();
    return out;
}

namespace {

int columnTitled(const QAbstractItemModel* model, const QString& title) {
    for (int c = 0; c < model->columnCount(); ++c) {
        if (model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == title) return c;
    }
    return -1;
}

}  // namespace

QString WindowFixture::cell(const QTableView* grid, int row, const QString& title) {
    const QAbstractItemModel* model = grid->model();
    const int c = columnTitled(model, title);
    return c < 0 ? QString() : model->data(model->index(row, c), Qt::DisplayRole).toString();
}

Qt::Alignment WindowFixture::alignment(const QTableView* grid, int row, const QString& title) {
    const QAbstractItemModel* model = grid->model();
    const int c = columnTitled(model, title);
    if (c < 0) return {};
    const QVariant a = model->data(model->index(row, c), Qt::TextAlignmentRole);
    return Qt::Alignment(a.toInt()) & Qt::AlignHorizontal_Mask;
}

}  // namespace mig::test
