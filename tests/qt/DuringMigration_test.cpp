// The window while a migration walks its table: Esc and a close request on the progress box mean
// "Cancelar" (the box stays until the walk has stopped, the final box counts what was stored and
// the server holds exactly that); clicks on "Fechar Tudo", a preview, the migrate button and the
// lower grid's popup menu do nothing; closing the main window asks whether to cancel, Não goes
// on and Sim cancels and closes. The boxes are the program's own, answered by key and mouse.
#include <QDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>
#include <QWindow>

#include <functional>

#include "tests/qt/WindowTest.h"

using namespace mig;
using namespace mig::test;

namespace {

constexpr int kDistricts = 3000;

dbf::DbfWriter districts(int count) {
    dbf::DbfWriter writer(0x03, {{"REGBAIRRO", 'C', 40}});
    for (int i = 0; i < count; ++i) writer.add({"BAIRRO " + std::to_string(10000 + i)});
    return writer;
}

QDialog* progressBox(const TForm1& form) {
    auto* box = form.findChild<QDialog*>(QStringLiteral("MigrationProgress"));
    return box && box->isVisible() ? box : nullptr;
}

// Runs `action` once, from the walk's own event dispatch, as soon as the progress box shows;
// `done` tells whether it ran.
class WhenTheBoxShows {
public:
    WhenTheBoxShows(const TForm1& form, std::function<void(QDialog&)> action) : action_(std::move(action)) {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this, &form] {
            if (QDialog* box = progressBox(form); box && !done_) {
                done_ = true;
                timer_.stop();
                action_(*box);
            }
        });
        timer_.start(5);
    }
    bool done() const { return done_; }

private:
    QTimer timer_;
    std::function<void(QDialog&)> action_;
    bool done_ = false;
};

// The program's real boxes, each answered once it is up: a question by `answerQuestion`, any other
// box by Enter on its OK. Records the text of each box.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::function<void(QMessageBox&)> answerQuestion) : answerQuestion_(std::move(answerQuestion)) {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box == current_) return;
            current_ = box;
            texts << box->text();
            if (box->icon() == QMessageBox::Question) {
                answerQuestion_(*box);
            } else {
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        timer_.start(5);
    }
    QStringList texts;

private:
    QTimer timer_;
    std::function<void(QMessageBox&)> answerQuestion_;
    QMessageBox* current_ = nullptr;
};

// The numbers of the final box of a cancelled row-by-row migration.
struct Cancelled {
    int migrated = -1, notMigrated = -1, notReached = -1;
};
Cancelled readCancelled(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^A migração foi cancelada\\. Registros migrados: (\\d+); não migrados: (\\d+); não alcançados: (\\d+)\\.$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return {};
    return {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()};
}

}  // namespace

class DuringMigrationTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> bench;

    // The districts previewed, ready for their "=> Migrar".
    void previewDistricts() {
        bench->writeEveryLegacyTable();
        bench->writeLegacy("Bairros", districts(kDistricts));
        bench->click("BitBtn6");
        QCOMPARE(bench->enabledMigrateButtons(), QStringList{"BitBtn16"});
    }

    // The final box says the walk was cancelled part way, and the server holds what it counts.
    void verifyCancelledAndCounted(const QString& finalText) {
        const Cancelled c = readCancelled(finalText);
        QVERIFY2(c.migrated > 0, qPrintable(finalText));
        QVERIFY2(c.notReached > 0, qPrintable(finalText));
        QCOMPARE(c.migrated + c.notMigrated + c.notReached, kDistricts);
        QCOMPARE(bench->count("TAXABAIRRO"), c.migrated);
        // The window is the pair's again, and takes input.
        QCOMPARE(bench->enabledMigrateButtons(), QStringList{"BitBtn16"});
        QVERIFY(!bench->form->handlerRunning());
    }

private slots:
    void init() { bench = std::make_unique<WindowFixture>(); }
    void cleanup() { bench.reset(); }

    void escOrACloseRequestOnTheProgressBoxCancels_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Esc") << q("Esc");
        // What the platform sends when the window manager closes the box.
        QTest::newRow("close event to its window") << q("window system");
        QTest::newRow("close()") << q("close");
    }
    void escOrACloseRequestOnTheProgressBoxCancels() {
        QFETCH(QString, how);
        previewDistricts();
        bool stillShown = false;
        bool cancelDisabled = false;
        WhenTheBoxShows interrupt(*bench->form, [&](QDialog& box) {
            if (how == "Esc") {
                QWidget* focus = QApplication::focusWidget();
                QTest::keyClick(focus && box.isAncestorOf(focus) ? focus : &box, Qt::Key_Escape);
            } else if (how == "window system") {
                QCloseEvent request;
                QCoreApplication::sendEvent(box.windowHandle(), &request);
            } else {
                box.close();
            }
            // The box stays while the walk stops after the current record.
            QCoreApplication::processEvents();
            stillShown = box.isVisible();
            cancelDisabled = !box.findChild<QPushButton*>(QStringLiteral("Cancelar"))->isEnabled();
        });
        bench->click("BitBtn16");
        QVERIFY(interrupt.done());
        QVERIFY(stillShown);
        QVERIFY(cancelDisabled);
        QCOMPARE(progressBox(*bench->form), nullptr);
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(1));
        QCOMPARE(bench->boxes.boxes[0].kind, Box::Information);
        verifyCancelledAndCounted(bench->boxes.boxes[0].text);
    }

    void clicksOnTheWindowDuringAWalkDoNothing() {
        previewDistricts();
        TForm1& form = *bench->form;
        bool stillOpen = false;
        bool menuShown = true;
        std::size_t boxesDuringTheWalk = 99;
        QStringList enabled;
        QString label2;
        WhenTheBoxShows clicks(form, [&](QDialog& box) {
            for (const char* name : {"BitBtn21", "BitBtn1", "BitBtn6", "BitBtn16"}) bench->click(name);
            QTest::keyClick(bench->button("BitBtn21"), Qt::Key_Space);
            QWidget* viewport = form.DBGrid2->viewport();
            QContextMenuEvent menu(QContextMenuEvent::Mouse, {20, 20}, viewport->mapToGlobal(QPoint(20, 20)));
            QApplication::sendEvent(viewport, &menu);
            QCoreApplication::processEvents();
            menuShown = form.PopupMenu1->isVisible();
            stillOpen = form.legacyTable("Bairros").Active() && bench->dm.TaxaBar.Active();
            enabled = bench->enabledMigrateButtons();
            label2 = form.Label2->text();
            boxesDuringTheWalk = bench->boxes.boxes.size();
            // Then the operator cancels.
            QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("Cancelar")), Qt::LeftButton);
        });
        bench->click("BitBtn16");
        QVERIFY(clicks.done());
        QVERIFY(stillOpen);
        QVERIFY(!menuShown);
        QCOMPARE(enabled, QStringList{"BitBtn16"});
        QCOMPARE(label2, q("Bairros"));
        QCOMPARE(boxesDuringTheWalk, std::size_t(0));
        // One run, one final box.
        QCOMPARE(bench->boxes.boxes.size(), std::size_t(1));
        verifyCancelledAndCounted(bench->boxes.boxes[0].text);
        // The clicks were not kept for later: the pair is still the one shown.
        QVERIFY(form.legacyTable("Bairros").Active());
        QCOMPARE(form.Label2->text(), q("Bairros"));
    }

    void closingTheWindowDuringAWalkAsks_data() {
        QTest::addColumn<bool>("sim");
        QTest::newRow("Não, by Enter on the default") << false;
        QTest::newRow("Sim") << true;
    }
    void closingTheWindowDuringAWalkAsks() {
        QFETCH(bool, sim);
        previewDistricts();
        TForm1& form = *bench->form;
        MessageBoxDialogs real(&form);
        Dialogs* recorder = setDialogs(&real);
        int storedAtTheQuestion = -1;
        BoxAnswerer answers([&](QMessageBox& question) {
            storedAtTheQuestion = bench->count("TAXABAIRRO");
            if (sim) {
                for (QAbstractButton* b : question.buttons()) {
                    if (b->text() == q("Sim")) QTest::mouseClick(b, Qt::LeftButton);
                }
                return;
            }
            QTest::keyClick(&question, Qt::Key_Return);
            // The walk goes on after Não; a while later the operator cancels it.
            QTimer::singleShot(300, &form, [&form] {
                if (QDialog* box = progressBox(form)) {
                    QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("Cancelar")), Qt::LeftButton);
                }
            });
        });
        WhenTheBoxShows closeRequest(form, [&](QDialog&) { form.close(); });
        bench->click("BitBtn16");
        QVERIFY(closeRequest.done());
        // The question, then the final box.
        QTRY_COMPARE(answers.texts.size(), 2);
        setDialogs(recorder);
        QCOMPARE(answers.texts[0], q("A migração da tabela de Bairros está em andamento.\nDeseja cancelá-la e fechar a janela?"));
        const Cancelled c = readCancelled(answers.texts[1]);
        QVERIFY2(c.notReached > 0, qPrintable(answers.texts[1]));
        QCOMPARE(bench->count("TAXABAIRRO"), c.migrated);
        if (!sim) {
            // Não: the walk went on past the question, and the window stays with its pair.
            QVERIFY2(c.migrated > storedAtTheQuestion, qPrintable(answers.texts[1]));
            QVERIFY(form.isVisible());
            QVERIFY(form.legacyTable("Bairros").Active());
            return;
        }
        // Sim: the walk stopped at the next record, and the window closed once it had,
        // closing everything.
        QVERIFY2(c.migrated <= storedAtTheQuestion + 1, qPrintable(answers.texts[1]));
        QVERIFY(!form.isVisible());
        for (const auto& table : form.legacyTables()) QVERIFY(!table->Active());
        for (const auto& chain : bench->dm.chains()) QVERIFY(!chain->dataSet.Active());
    }

    void aCloseRequestDuringAPreviewWaitsForIt() {
        // The customers' preview dispatches events before its tables open; a close request met
        // there closes the window once the preview has run to its end.
        bench->writeEveryLegacyTable();
        TForm1& form = *bench->form;
        QTimer::singleShot(0, &form, [&form] { form.close(); });
        bench->click("BitBtn3");
        QVERIFY(!form.isVisible());
        for (const auto& table : form.legacyTables()) QVERIFY(!table->Active());
        QVERIFY(bench->boxes.boxes.empty());
    }

    void aClickDuringAPreviewStartsNoOtherPreview() {
        bench->writeEveryLegacyTable();
        TForm1& form = *bench->form;
        QTimer::singleShot(0, &form, [this] { bench->click("BitBtn1"); });
        bench->click("BitBtn3");
        QCOMPARE(form.Label2->text(), q("Clientes"));
        QCOMPARE(bench->enabledMigrateButtons(), QStringList{"BitBtn13"});
        QVERIFY(form.legacyTable("Clientes").Active());
        QVERIFY(!form.legacyTable("FormaFarma").Active());
    }
};

MIG_WINDOW_TEST_MAIN(DuringMigrationTest)
#include "DuringMigration_test.moc"
