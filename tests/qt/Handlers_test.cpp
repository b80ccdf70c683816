// The handlers are the window's entry points: a click on each button, the popup entry chosen on
// the lower grid and a close of the window run the member function of that name (a click on the
// pharmaceutical forms' "=> Migrar" runs BitBtn11Click), each inside the one guard of the
// handlers. The window under test derives from the program's and overrides every handler to
// record which one ran and whether the guard was on: a button wired past its handler, or a
// handler run outside the guard, shows in the record.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <memory>
#include <vector>

#include "app/Unit1.h"
#include "tests/support/WindowFixture.h"

using namespace mig;

namespace {

class RecordingForm : public TForm1 {
public:
    struct Call {
        QString handler;
        bool guarded;
    };
    std::vector<Call> calls;

#define MIG_RECORDED(name) \
    void name() override { calls.push_back({QStringLiteral(#name), handlerRunning()}); }
    MIG_RECORDED(BitBtn1Click)
    MIG_RECORDED(BitBtn2Click)
    MIG_RECORDED(BitBtn5Click)
    MIG_RECORDED(BitBtn3Click)
    MIG_RECORDED(BitBtn4Click)
    MIG_RECORDED(BitBtn10Click)
    MIG_RECORDED(BitBtn7Click)
    MIG_RECORDED(BitBtn22Click)
    MIG_RECORDED(BitBtn24Click)
    MIG_RECORDED(BitBtn8Click)
    MIG_RECORDED(BitBtn6Click)
    MIG_RECORDED(BitBtn9Click)
    MIG_RECORDED(BitBtn11Click)
    MIG_RECORDED(BitBtn12Click)
    MIG_RECORDED(BitBtn15Click)
    MIG_RECORDED(BitBtn13Click)
    MIG_RECORDED(BitBtn14Click)
    MIG_RECORDED(BitBtn20Click)
    MIG_RECORDED(BitBtn17Click)
    MIG_RECORDED(BitBtn23Click)
    MIG_RECORDED(BitBtn25Click)
    MIG_RECORDED(BitBtn18Click)
    MIG_RECORDED(BitBtn16Click)
    MIG_RECORDED(BitBtn19Click)
    MIG_RECORDED(BitBtn21Click)
    MIG_RECORDED(Esvaziartabela1Click)
    MIG_RECORDED(FormClose)
#undef MIG_RECORDED
};

}  // namespace

class HandlersTest : public QObject {
    Q_OBJECT
    std::unique_ptr<RecordingForm> form;

private slots:
    void init() {
        form = std::make_unique<RecordingForm>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup() { form.reset(); }

    void eachButtonRunsItsNamedHandlerInsideTheGuard_data() {
        QTest::addColumn<QString>("button");
        for (const char* name : {"BitBtn1",  "BitBtn2",  "BitBtn5",  "BitBtn3",  "BitBtn4",  "BitBtn10", "BitBtn7",
                                 "BitBtn22", "BitBtn24", "BitBtn8",  "BitBtn6",  "BitBtn9",  "BitBtn11", "BitBtn12",
                                 "BitBtn15", "BitBtn13", "BitBtn14", "BitBtn20", "BitBtn17", "BitBtn23", "BitBtn25",
                                 "BitBtn18", "BitBtn16", "BitBtn19", "BitBtn21"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }
    void eachButtonRunsItsNamedHandlerInsideTheGuard() {
        QFETCH(QString, button);
        auto* b = form->findChild<QPushButton*>(button);
        QVERIFY(b != nullptr);
        // The migrate buttons wait for a preview; the recording window previews nothing.
        b->setEnabled(true);
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(form->calls.size(), std::size_t(1));
        QCOMPARE(form->calls[0].handler, button + QStringLiteral("Click"));
        QVERIFY(form->calls[0].guarded);
        QVERIFY(!form->handlerRunning());
    }

    void thePopupEntryRunsEsvaziartabela1Click() {
        test::chooseFromPopup(form->DBGrid2, form->PopupMenu1, form->Esvaziartabela1);
        QCOMPARE(form->calls.size(), std::size_t(1));
        QCOMPARE(form->calls[0].handler, QStringLiteral("Esvaziartabela1Click"));
        QVERIFY(form->calls[0].guarded);
    }

    void closingTheWindowRunsFormClose() {
        QVERIFY(form->close());
        QCOMPARE(form->calls.size(), std::size_t(1));
        QCOMPARE(form->calls[0].handler, QStringLiteral("FormClose"));
        QVERIFY(form->calls[0].guarded);
    }
};

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    HandlersTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "Handlers_test.moc"
