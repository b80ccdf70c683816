#pragma once
// The main window as the operator meets it, for the Qt tests: a drive C: of the test's own
// (KORVELAN_DRIVE_C) holding the legacy folder C:\Quiltor, the data module over a fresh
// embedded database, and a recorder in place of the message boxes, so that no test blocks on
// a modal box. The rows the server holds are read through a second attachment.
#include <QAbstractItemModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Dialogs.h"
#include "app/LegacyGridModel.h"
#include "app/Pairs.h"
#include "app/UDM.h"
#include "app/Unit1.h"
#include "legacy/LegacyTables.h"
#include "target/field/Win1252.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestDatabase.h"
#include "tools/dbf/DbfWriter.h"

namespace mig::test {

// One box the program showed.
struct Box {
    enum Kind { Error, Information, Question };
    Kind kind;
    QString text;
    QString details;
};

// Records every box; a question is answered with `answer`.
class RecordingDialogs : public Dialogs {
public:
    void error(const QString& message, const QString& details) override {
        boxes.push_back({Box::Error, message, details});
    }
    void information(const QString& text, const QString& details) override {
        boxes.push_back({Box::Information, text, details});
    }
    bool question(const QString& text) override {
        boxes.push_back({Box::Question, text, {}});
        return answer;
    }
    std::vector<Box> boxes;
    bool answer = false;
};

inline QString q(const char* utf8) { return QString::fromUtf8(utf8); }

class WindowBench {
public:
    WindowBench() : driveC_("KORVELAN_DRIVE_C", drive.path()) {
        std::filesystem::create_directories(legacyFolder());
        dm.SQLConnection1.Params().setValue("DataBase", database.path());
        DM = &dm;
        previousDialogs_ = setDialogs(&boxes);
        form = std::make_unique<TForm1>();
        form->show();
        (void)QTest::qWaitForWindowExposed(form.get());
    }
    ~WindowBench() {
        form.reset();  // the grids watch the data module's datasets
        setDialogs(previousDialogs_);
        DM = nullptr;
    }
    WindowBench(const WindowBench&) = delete;
    WindowBench& operator=(const WindowBench&) = delete;

    std::string legacyFolder() const { return drive.path() + "/Quiltor"; }

    // Writes the legacy table of that component into C:\Quiltor.
    void writeLegacy(std::string_view component, const dbf::DbfWriter& writer) const {
        const LegacyTableInfo* info = findLegacyTable(component);
        QVERIFY(info != nullptr);
        std::filesystem::create_directories(legacyFolder());
        writer.writeFiles(legacyFolder() + "/" + std::string(info->fileName) + ".DBF");
    }
    // A legacy table of one text field with `records` records.
    static dbf::DbfWriter simpleLegacy(int records) {
        dbf::DbfWriter writer(0x03, {{"DESCRICAO", 'C', 30}});
        for (int i = 1; i <= records; ++i) writer.add({"REGISTRO " + std::to_string(i)});
        return writer;
    }
    // Every legacy table of the window, one record each.
    void writeEveryLegacyTable() const {
        for (const LegacyTableInfo& info : legacyTableList()) writeLegacy(info.component, simpleLegacy(1));
    }

    // Statements and queries on the test database, through an attachment of their own.
    void exec(std::string_view sql) const { database.attach()->executeImmediate(sql); }
    // The first column of every row, read as text (cast other columns in the query).
    std::vector<std::string> column(std::string_view sql) const {
        auto attachment = database.attach();
        auto tx = attachment->startTransaction();
        auto statement = attachment->prepare(*tx, sql);
        statement->open(*tx);
        std::vector<std::string> out;
        while (statement->fetch()) out.emplace_back(statement->text(0));
        return out;
    }
    int count(std::string_view tableAndCondition) const {
        return std::stoi(column("select cast(count(*) as varchar(12)) from " + std::string(tableAndCondition)).at(0));
    }

    // The target table (or group of the components table) of each pair, in the window's order,
    // with a statement that stores a row numbered `#`.
    struct TargetKind {
        const char* rows;    // what to count: "FORMAFAR", "COMPONEN where GRUPO = 'MP'"
        const char* insert;  // `#` stands for the row's number
    };
    static constexpr TargetKind kTargetKinds[12] = {
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
    // Stores rows numbered first..last in the target of the pair at `pair` (index in kPairs).
    void fillTarget(std::size_t pair, int first, int last) const {
        auto attachment = database.attach();
        auto tx = attachment->startTransaction();
        for (int n = first; n <= last; ++n) {
            std::string sql = kTargetKinds[pair].insert;
            for (std::size_t at; (at = sql.find('#')) != std::string::npos;) sql.replace(at, 1, std::to_string(n));
            attachment->prepare(*tx, sql)->execute(*tx);
        }
        tx->commit();
    }
    // Rows of each pair's target on the server, in the window's order.
    std::vector<int> targetCounts() const {
        std::vector<int> counts;
        for (const TargetKind& kind : kTargetKinds) counts.push_back(count(kind.rows));
        return counts;
    }

    QPushButton* button(const char* name) const {
        auto* b = form->findChild<QPushButton*>(QString::fromLatin1(name));
        if (!b) qFatal("no button %s", name);
        return b;
    }
    void click(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void click(std::string_view name) const { click(std::string(name).c_str()); }

    // The migrate buttons that are enabled, by object name.
    QStringList enabledMigrateButtons() const {
        QStringList names;
        for (const PairDef& pair : kPairs) {
            if (button(std::string(pair.migrateButton).c_str())->isEnabled()) names << QString::fromLatin1(pair.migrateButton);
        }
        return names;
    }

    // Chooses "Esvaziar tabela" the way the operator does: a right click on the lower grid opens
    // the popup menu, a click on its entry runs it.
    void chooseEmptyTable() const {
        QWidget* viewport = form->DBGrid2->viewport();
        const QPoint at(20, 20);
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            // What the offscreen platform says of every popup.
            QTest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
            QTest::ignoreMessage(QtWarningMsg, "This plugin does not support grabbing the keyboard");
        }
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        QMenu* menu = form->PopupMenu1;
        QVERIFY(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(form->Esvaziartabela1).center());
        QVERIFY(QTest::qWaitFor([menu] { return !menu->isVisible(); }));
    }

    // A grid's text in a row under a column title; empty when there is no such column.
    static QString cell(const QTableView* grid, int row, const QString& title) {
        const QAbstractItemModel* model = grid->model();
        for (int c = 0; c < model->columnCount(); ++c) {
            if (model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == title) {
                return model->data(model->index(row, c), Qt::DisplayRole).toString();
            }
        }
        return {};
    }

    // Its horizontal alignment there.
    static Qt::Alignment alignment(const QTableView* grid, int row, const QString& title) {
        const QAbstractItemModel* model = grid->model();
        for (int c = 0; c < model->columnCount(); ++c) {
            if (model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == title) {
                const QVariant a = model->data(model->index(row, c), Qt::TextAlignmentRole);
                return Qt::Alignment(a.toInt()) & Qt::AlignHorizontal_Mask;
            }
        }
        return {};
    }

    TempFolder drive;
    TestDatabase database;
    TDM dm;
    RecordingDialogs boxes;
    std::unique_ptr<TForm1> form;

private:
    ScopedEnv driveC_;
    Dialogs* previousDialogs_ = nullptr;
};

}  // namespace mig::test

// Qt Test's main for the window tests: the offscreen platform unless another one is asked for.
#define MIG_WINDOW_TEST_MAIN(TestClass)                                                   \
    int main(int argc, char* argv[]) {                                                    \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
        QApplication app(argc, argv);                                                     \
        TestClass test;                                                                   \
        return QTest::qExec(&test, argc, argv);                                           \
    }
