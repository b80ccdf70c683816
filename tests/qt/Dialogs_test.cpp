// The boxes as the operator sees them: a failure that leaves a handler in an error box (icon,
// title, the period rule, details), information without an icon, the question with Sim and
// Não, Não the default, and the toolkit's own buttons in Portuguese.
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <stdexcept>

#include "app/PortugueseTexts.h"
#include "migrations/MigrationError.h"

#include "tests/qt/WindowTest.h"

using namespace mig;
using namespace mig::test;

namespace {

// What a modal box showed.
struct Shown {
    QString title;
    QString text;
    QString details;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    QString escapeButton;
};

// Runs `show` (which opens one modal box), reads the box once it is up and then lets `answer`
// close it.
Shown whileShown(const std::function<void()>& show, const std::function<void(QMessageBox&)>& answer) {
    Shown seen;
    bool found = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        found = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.details = box->detailedText();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons()) {
            if (box->buttonRole(b) != QMessageBox::ActionRole) seen.buttons << b->text();
        }
        seen.buttons.sort();
        if (box->defaultButton()) seen.defaultButton = box->defaultButton()->text();
        if (box->escapeButton()) seen.escapeButton = box->escapeButton()->text();
        answer(*box);
    });
    show();
    if (!found) qWarning("no modal box was shown");
    return seen;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
    const QString title = applicationTitle(QApplication::applicationFilePath());

private slots:
    void aFailureLeavingAHandlerIsShownInAnErrorBox_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a period appended") << q("data") << q("data.");
        QTest::newRow("ends with a period") << q("x.") << q("x.");
        QTest::newRow("ends with a parenthesis") << q("x)") << q("x)");
        QTest::newRow("ends with a letter outside ASCII") << q("Não há conexão") << q("Não há conexão.");
    }
    void aFailureLeavingAHandlerIsShownInAnErrorBox() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        TForm1 form;
        MessageBoxDialogs boxes(&form);
        Dialogs* previous = setDialogs(&boxes);
        const std::string thrown = utf8ToWin1252(message.toStdString());
        const Shown seen = whileShown([&] { form.guarded([&] { throw std::runtime_error(thrown); }); },
                                      [](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
        setDialogs(previous);
        QCOMPARE(seen.title, title);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.text, shown);
        QCOMPARE(seen.buttons, QStringList{"OK"});
    }

    void aRefusalWithDetailsShowsThemInTheErrorBox() {
        TForm1 form;
        MessageBoxDialogs boxes(&form);
        Dialogs* previous = setDialogs(&boxes);
        const Shown seen = whileShown(
            [&] { form.guarded([] { throw DetailedError("2 rows were refused", utf8ToWin1252("Registro 3: código repetido")); }); },
            [](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
        setDialogs(previous);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.text, q("2 rows were refused."));
        QCOMPARE(seen.details, q("Registro 3: código repetido"));
    }

    void anAdvisedFailureShowsTheAdviceOnTheLineAfterTheMessage() {
        TForm1 form;
        MessageBoxDialogs boxes(&form);
        Dialogs* previous = setDialogs(&boxes);
        const Shown seen = whileShown(
            [&] { form.guarded([] { throw AdvisedError("'' is not a valid integer value", utf8ToWin1252("Migre antes.")); }); },
            [](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
        setDialogs(previous);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.text, q("'' is not a valid integer value.\nMigre antes."));
        QCOMPARE(seen.details, QString());
    }

    void informationHasNoIcon() {
        MessageBoxDialogs boxes(nullptr);
        const Shown seen = whileShown([&] { boxes.information(q("Procedimento concluído.")); },
                                      [](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
        QCOMPARE(seen.title, title);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.text, q("Procedimento concluído."));
        QCOMPARE(seen.buttons, QStringList{"OK"});
        QCOMPARE(seen.details, QString());
    }

    void theQuestionIsAnsweredYesOnlyBySim_data() {
        QTest::addColumn<QString>("press");  // "Sim", "Não", "Enter", "Escape"
        QTest::addColumn<bool>("yes");
        QTest::newRow("Sim") << q("Sim") << true;
        QTest::newRow("Não") << q("Não") << false;
        QTest::newRow("Enter takes the default") << q("Enter") << false;
        QTest::newRow("Escape") << q("Escape") << false;
    }
    void theQuestionIsAnsweredYesOnlyBySim() {
        QFETCH(QString, press);
        QFETCH(bool, yes);
        MessageBoxDialogs boxes(nullptr);
        bool answer = !yes;
        const Shown seen = whileShown(
            [&] { answer = boxes.question(q("Todos os registros da tabela Clientes serão excluídos.")); },
            [&](QMessageBox& box) {
                if (press == "Enter") {
                    QTest::keyClick(&box, Qt::Key_Return);
                } else if (press == "Escape") {
                    QTest::keyClick(&box, Qt::Key_Escape);
                } else {
                    for (QAbstractButton* b : box.buttons()) {
                        if (b->text() == press) b->click();
                    }
                }
            });
        QCOMPARE(answer, yes);
        QCOMPARE(seen.title, title);
        QCOMPARE(seen.text, q("Todos os registros da tabela Clientes serão excluídos."));
        QCOMPARE(seen.buttons, (QStringList{q("Não"), q("Sim")}));
        QCOMPARE(seen.defaultButton, q("Não"));
        QCOMPARE(seen.escapeButton, q("Não"));
    }

    void theDetailsButtonSpeaksPortuguese_data() {
        QTest::addColumn<bool>("qtFile");  // Qt's translations found, or only the program's texts
        QTest::newRow("Qt's translations") << true;
        QTest::newRow("without them") << false;
    }
    void theDetailsButtonSpeaksPortuguese() {
        QFETCH(bool, qtFile);
        TempFolder empty;
        const PortugueseTexts texts(qtFile ? PortugueseTexts::defaultFolder() : QString::fromStdString(empty.path()));
        QCOMPARE(texts.qtTranslationsLoaded(), qtFile);
        MessageBoxDialogs boxes(nullptr);
        QString before, after;
        for (int kind = 0; kind < 2; ++kind) {
            whileShown(
                [&] {
                    if (kind == 0) {
                        boxes.error(q("2 rows were refused"), q("Registro 3: código repetido"));
                    } else {
                        boxes.information(q("Procedimento concluído."), q("Registros não migrados:"));
                    }
                },
                [&](QMessageBox& box) {
                    QAbstractButton* details = nullptr;
                    for (QAbstractButton* b : box.buttons()) {
                        if (box.buttonRole(b) == QMessageBox::ActionRole) details = b;
                    }
                    QVERIFY(details);
                    before = details->text();
                    QTest::mouseClick(details, Qt::LeftButton);
                    after = details->text();
                    QTest::keyClick(&box, Qt::Key_Escape);
                });
            QCOMPARE(before, q("Mostrar detalhes..."));
            QCOMPARE(after, q("Ocultar detalhes..."));
        }
    }
};

MIG_WINDOW_TEST_MAIN(DialogsTest)
#include "Dialogs_test.moc"
