// "Conferir migração" as the operator uses it: a right click on the upper grid opens its menu,
// whose one entry is available only while a pair is previewed; the check's box shows the summary
// and the details and saves them as CSV through the save dialog; nothing reaches the server until
// "=> Migrar", which then stores what the check said. On a long table the progress box shows (here at once),
// Esc on it cancels, and clicks elsewhere meanwhile do nothing.
#include <QDialog>
#include <QFile>
#include <QPlainTextEdit>
#include <QTimer>

#include <functional>

#include "app/CheckResultBox.h"
#include "tests/qt/WindowTest.h"
#include "tests/support/TempFolder.h"

using namespace mig;
using namespace mig::test;

namespace {

// Records the check's box with what it would save; the other boxes as the bench's recorder does.
class CheckRecorder : public RecordingDialogs {
public:
    void checkResult(const QString& summary, const QString& details, const QByteArray& data,
                     const QString& suggested) override {
        boxes.push_back({Box::Information, summary, details});
        csv = data;
        suggestedName = suggested;
    }
    QByteArray csv;
    QString suggestedName;
};

// The real boxes, with the save dialog answered by `path`.
class RealBoxesSavingTo : public MessageBoxDialogs {
public:
    RealBoxesSavingTo(QWidget* parent, QString path) : MessageBoxDialogs(parent), path_(std::move(path)) {}
    QString saveFileName(const QString& suggested) override {
        asked << suggested;
        return path_;
    }
    void error(const QString& message, const QString&) override { errors << message; }
    QStringList asked;
    QStringList errors;

private:
    QString path_;
};

QDialog* progressBox(const TForm1& form) {
    auto* box = form.findChild<QDialog*>(QStringLiteral("MigrationProgress"));
    return box && box->isVisible() ? box : nullptr;
}

// The districts: the first name twice, two names alike in their first forty characters.
dbf::DbfWriter districts(int extra = 0) {
    dbf::DbfWriter writer(0x03, {{"REGBAIRRO", 'C', 50}});
    writer.add({"CENTRO"}).add({"CENTRO"}).add({std::string(40, 'J') + "ARDIM"}).add({std::string(40, 'J') + "ARDINS"});
    for (int i = 0; i < extra; ++i) writer.add({"BAIRRO " + std::to_string(100000 + i)});
    return writer;
}

// Customers enough for the check to outlast the half second before its progress box shows.
dbf::DbfWriter manyCustomers(int count) {
    dbf::DbfWriter writer(0x83, {{"CLICODIGO", 'N', 6}, {"CLINOMECO", 'C', 50}, {"CLIENDERE", 'C', 60},
                                 {"CLIBAIRRO", 'C', 40}, {"CLICIDADE", 'C', 30}, {"CLIESTADO", 'C', 2},
                                 {"CLINUMCEP", 'C', 10}, {"CLINUMTEL", 'C', 30}, {"CLINUMCPF", 'C', 20},
                                 {"CLIDOCUME", 'C', 15}, {"CLIDTNASC", 'D'},     {"CLIE_MAIL", 'C', 60},
                                 {"CLIOBSERV", 'C', 60}, {"CLIOBSMAN", 'C', 60}, {"CLISEXOCL", 'C', 1},
                                 {"CLITPDOCU", 'C', 10}, {"CLIORGEXP", 'C', 10}, {"CLIESTEXP", 'C', 2}});
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        writer.add({n, "CLIENTE " + n, "RUA DAS FLORES " + n, "CENTRO", "RECIFE", "PE", "50000-000", "81 3333-" + n,
                    "CPF " + n, "RG " + n, "19700101", "c" + n + "@x.com.br", "OBSERVACAO " + n, "MAIS " + n, "F",
                    "RG", "SSP", "PE"});
    }
    return writer;
}

}  // namespace

class CheckMigrationTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> bench;
    CheckRecorder recorder;
    Dialogs* previous = nullptr;

    // A right click on the upper grid; true when its menu opened.
    bool openCheckMenu() {
        QWidget* viewport = bench->form->DBGrid1->viewport();
        const QPoint at(20, 20);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        QMenu* menu = bench->form->PopupMenu2;
        return QTest::qWaitFor([menu] { return menu->isVisible(); }, 1000);
    }
    // The right click, then a click on "Conferir migração".
    void chooseCheck() { chooseFromPopup(bench->form->DBGrid1, bench->form->PopupMenu2, bench->form->Conferirmigracao1); }

private slots:
    void init() {
        bench = std::make_unique<WindowFixture>();
        previous = setDialogs(&recorder);
        recorder.boxes.clear();
        bench->writeEveryLegacyTable();
    }
    void cleanup() {
        setDialogs(previous);
        bench.reset();
    }

    void theEntryIsThereOnlyWhileAPairIsPreviewed() {
        TForm1& form = *bench->form;
        QVERIFY(openCheckMenu());
        QVERIFY(!form.Conferirmigracao1->isEnabled());
        QMenu* menu = form.PopupMenu2;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(form.Conferirmigracao1).center());
        QTest::keyClick(menu, Qt::Key_Escape);
        QVERIFY(QTest::qWaitFor([menu] { return !menu->isVisible(); }));
        QVERIFY(recorder.boxes.empty());
        bench->click("BitBtn6");
        QVERIFY(form.Conferirmigracao1->isEnabled());
        bench->click("BitBtn21");
        QVERIFY(!form.Conferirmigracao1->isEnabled());
    }

    void theCheckTellsWhatTheMigrationThenDoes() {
        bench->writeLegacy("Bairros", districts());
        bench->click("BitBtn6");
        chooseCheck();
        QCOMPARE(recorder.boxes.size(), std::size_t(1));
        QCOMPARE(recorder.boxes[0].text,
                 q("Registros: 4; seriam migrados: 2; com texto cortado: 2; seriam recusados: 2; deixados de fora pelo filtro: 0."));
        const QString j40(40, QLatin1Char('J'));
        QCOMPARE(recorder.boxes[0].details.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({q("Registro 2 (CENTRO): chave repetida: o registro 1 da tabela antiga já tem a chave CENTRO; o servidor vai recusar este."),
                              q("Registro 3 (%1): texto cortado em BAIRRO (40 caracteres): ficaria \"%1\"; perderia \"ARDIM\" (5 caracteres).").arg(j40),
                              q("Registro 4 (%1): texto cortado em BAIRRO (40 caracteres): ficaria \"%1\"; perderia \"ARDINS\" (6 caracteres).").arg(j40),
                              q("Registro 4 (%1): chave repetida: o registro 3 da tabela antiga já tem a chave %1; o servidor vai recusar este.").arg(j40)}));
        QVERIFY(recorder.csv.startsWith("\xEF\xBB\xBFRegistro;Chave;Campo;"));
        QCOMPARE(recorder.csv.count("\r\n"), 5);
        QCOMPARE(recorder.suggestedName, q("Conferencia QTR42A.csv"));
        QCOMPARE(bench->count("TAXABAIRRO"), 0);
        // The pair stays previewed; its migration stores the two the check counted.
        QCOMPARE(bench->enabledMigrateButtons(), QStringList{"BitBtn16"});
        bench->click("BitBtn16");
        QCOMPARE(bench->count("TAXABAIRRO"), 2);
        QCOMPARE(recorder.boxes.size(), std::size_t(2));
        QVERIFY2(recorder.boxes[1].text.contains(q("Registros migrados: 2;")), qPrintable(recorder.boxes[1].text));
    }

    void theBoxSavesTheDetailsAsCsvWhereTheOperatorChooses() {
        bench->writeLegacy("Bairros", districts());
        bench->click("BitBtn6");
        TempFolder folder;
        const QString path = QString::fromStdString(folder.path() + "/conferencia.csv");
        RealBoxesSavingTo real(bench->form.get(), path);
        setDialogs(&real);
        QString details;
        bool selectable = false;
        bool found = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<CheckResultBox*>(QApplication::activeModalWidget());
            if (!box) return;
            found = true;
            details = box->detailsView()->toPlainText();
            selectable = box->detailsView()->isReadOnly() &&
                         (box->detailsView()->textInteractionFlags() & Qt::TextSelectableByMouse);
            QVERIFY(!QFile::exists(path));
            QTest::mouseClick(box->saveButton(), Qt::LeftButton);
            QTest::keyClick(box, Qt::Key_Return);  // OK, the default
        });
        chooseCheck();
        setDialogs(&recorder);
        QVERIFY(found);
        QVERIFY(selectable);
        QCOMPARE(details.count(QLatin1Char('\n')), 4);
        QCOMPARE(real.asked, QStringList{q("Conferencia QTR42A.csv")});
        QVERIFY(real.errors.isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray csv = file.readAll();
        QVERIFY(csv.startsWith(QByteArray("\xEF\xBB\xBF") + q("Registro;Chave;Campo;Ocorrência\r\n2;CENTRO;BAIRRO;\"chave repetida").toUtf8()));
        QCOMPARE(csv.count("\r\n"), 5);
        QCOMPARE(bench->count("TAXABAIRRO"), 0);
    }

    void escOnTheProgressBoxCancelsAndClicksElsewhereDoNothing() {
        TForm1& form = *bench->form;
        bench->writeLegacy("Clientes", manyCustomers(20000));
        // The check of these customers lasts less than the half second after which its progress
        // box shows; here it shows at once.
        form.setProgressShowAfter(std::chrono::milliseconds(0));
        bench->click("BitBtn3");
        bool menuShown = true;
        bool stillShown = false;
        QStringList enabled;
        QString heading;
        std::size_t boxesDuringTheWalk = 99;
        bool done = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
            QDialog* box = progressBox(form);
            if (!box || done) return;
            done = true;
            poll.stop();
            heading = box->findChild<QLabel*>(QStringLiteral("heading"))->text();
            for (const char* name : {"BitBtn21", "BitBtn1", "BitBtn13"}) bench->click(name);
            menuShown = openCheckMenu();
            enabled = bench->enabledMigrateButtons();
            boxesDuringTheWalk = recorder.boxes.size();
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus && box->isAncestorOf(focus) ? focus : box, Qt::Key_Escape);
            QCoreApplication::processEvents();
            stillShown = box->isVisible();
        });
        poll.start(5);
        chooseCheck();
        QVERIFY2(done, qPrintable(recorder.boxes.empty() ? QString("no box") : recorder.boxes[0].text));
        QCOMPARE(heading, q("Conferindo a migração da tabela de Clientes..."));
        QVERIFY(!menuShown);
        QCOMPARE(enabled, QStringList{"BitBtn13"});
        QCOMPARE(boxesDuringTheWalk, std::size_t(0));
        QVERIFY(stillShown);
        QCOMPARE(progressBox(form), nullptr);
        QCOMPARE(recorder.boxes.size(), std::size_t(1));
        QCOMPARE(recorder.boxes[0].text, q("A conferência foi cancelada."));
        // Nothing stored, nothing of the clicks kept: the pair is still the one shown.
        QCOMPARE(bench->count("CLIENTES"), 0);
        QVERIFY(form.legacyTable("Clientes").Active());
        QCOMPARE(form.Label2->text(), q("Clientes"));
        QVERIFY(!form.handlerRunning());
    }
};

MIG_WINDOW_TEST_MAIN(CheckMigrationTest)
#include "CheckMigration_test.moc"
