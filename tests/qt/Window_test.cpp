// The main window as it stands before anything is previewed: every control at its place with
// its caption, fonts and colours, the focus order, no accelerators, accessible names, the window
// centred, nothing moving when it is resized, and the start state.
#include <QAccessible>
#include <QFontInfo>
#include <QHeaderView>
#include <QKeySequence>
#include <QMenu>
#include <QScreen>

#include "tests/qt/WindowTest.h"

using namespace mig;
using namespace mig::test;

namespace {

const QColor kNavy(0, 0, 128);
const QColor kGreen(0, 128, 0);
const QColor kPurple(128, 0, 128);

// Every control: object name, kind, left, top, width, height, caption.
struct Control {
    const char* name;
    const char* kind;
    int left, top, width, height;
    const char* caption;
};

const Control kControls[] = {
    {"Label1", "QLabel", 545, 16, 728, 22, ""},
    {"DBGrid1", "QTableView", 544, 42, 733, 293, nullptr},
    {"Label2", "QLabel", 545, 348, 728, 22, ""},
    {"DBGrid2", "QTableView", 544, 374, 733, 293, nullptr},
    {"BitBtn1", "QPushButton", 19, 16, 345, 38, "Formas Farmacêuticas - QTR05"},
    {"BitBtn11", "QPushButton", 369, 16, 143, 38, "=> Migrar"},
    {"BitBtn2", "QPushButton", 19, 56, 345, 38, "Fornecedores - QTR02"},
    {"BitBtn12", "QPushButton", 369, 56, 143, 38, "=> Migrar"},
    {"BitBtn5", "QPushButton", 19, 96, 345, 38, "Famílias - QTR17A"},
    {"BitBtn15", "QPushButton", 369, 96, 143, 38, "=> Migrar"},
    {"BitBtn3", "QPushButton", 19, 136, 345, 38, "Clientes - QTR13"},
    {"BitBtn13", "QPushButton", 369, 136, 143, 38, "=> Migrar"},
    {"BitBtn4", "QPushButton", 19, 176, 345, 38, "Médicos - QTR19"},
    {"BitBtn14", "QPushButton", 369, 176, 143, 38, "=> Migrar"},
    {"BitBtn10", "QPushButton", 19, 216, 345, 38, "Componen - QTR23"},
    {"BitBtn20", "QPushButton", 369, 216, 143, 38, "=> Migrar"},
    {"BitBtn7", "QPushButton", 19, 256, 345, 38, "Cápulas - QTR28"},
    {"BitBtn17", "QPushButton", 369, 256, 143, 38, "=> Migrar"},
    {"BitBtn22", "QPushButton", 19, 296, 345, 38, "Veículos - QTR24"},
    {"BitBtn23", "QPushButton", 369, 296, 143, 38, "=> Migrar"},
    {"BitBtn24", "QPushButton", 19, 336, 345, 38, "Embalagens - QTR26"},
    {"BitBtn25", "QPushButton", 369, 336, 143, 38, "=> Migrar"},
    {"BitBtn8", "QPushButton", 19, 376, 345, 38, "Fabricantes - QTR03"},
    {"BitBtn18", "QPushButton", 369, 376, 143, 38, "=> Migrar"},
    {"BitBtn6", "QPushButton", 19, 416, 345, 38, "Bairros - QTR42A"},
    {"BitBtn16", "QPushButton", 369, 416, 143, 38, "=> Migrar"},
    {"BitBtn9", "QPushButton", 19, 456, 345, 38, "Posologias - QTR49"},
    {"BitBtn19", "QPushButton", 369, 456, 143, 38, "=> Migrar"},
    {"BitBtn21", "QPushButton", 19, 508, 493, 38, "Fechar Tudo"},
};

const char* const kPreviewButtons[] = {"BitBtn1", "BitBtn2", "BitBtn5",  "BitBtn3",  "BitBtn4", "BitBtn10",
                                       "BitBtn7", "BitBtn22", "BitBtn24", "BitBtn8", "BitBtn6", "BitBtn9"};
const char* const kMigrateButtons[] = {"BitBtn11", "BitBtn12", "BitBtn15", "BitBtn13", "BitBtn14", "BitBtn20",
                                       "BitBtn17", "BitBtn23", "BitBtn25", "BitBtn18", "BitBtn16", "BitBtn19"};

QString accessibleName(QObject* object) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> bench;

private slots:
    void init() { bench = std::make_unique<WindowFixture>(); }
    void cleanup() { bench.reset(); }

    void controlsStandAtTheirPlacesWithTheirCaptions_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(kControls)); ++i) QTest::newRow(kControls[i].name) << i;
    }
    void controlsStandAtTheirPlacesWithTheirCaptions() {
        QFETCH(int, index);
        const Control& c = kControls[index];
        TForm1& form = *bench->form;
        QCOMPARE(form.objectName(), QStringLiteral("Form1"));
        QCOMPARE(form.windowTitle(), q(" Migrar dados do Quiltor para o KORVELAN 2015 ou superior"));
        QCOMPARE(form.size(), QSize(1303, 709));

        auto* widget = form.findChild<QWidget*>(QString::fromLatin1(c.name), Qt::FindDirectChildrenOnly);
        QVERIFY(widget != nullptr);
        QCOMPARE(widget->metaObject()->className(), c.kind);
        const QRect expected(c.left, c.top, c.width, c.height);
        QCOMPARE(widget->geometry(), expected);
        if (auto* b = qobject_cast<QPushButton*>(widget)) {
            QCOMPARE(b->text(), q(c.caption));
            QCOMPARE(accessibleName(b), q(c.caption));
            QVERIFY2(QKeySequence::mnemonic(b->text()).isEmpty(), "no caption has an accelerator");
        } else if (auto* l = qobject_cast<QLabel*>(widget)) {
            QCOMPARE(l->text(), q(c.caption));
        }

        // The window is resizable and no control moves or resizes with it.
        for (const QSize size : {QSize(1600, 900), QSize(640, 400), QSize(1303, 709)}) {
            form.resize(size);
            QCoreApplication::processEvents();
            QCOMPARE(form.size(), size);
            QCOMPARE(widget->geometry(), expected);
        }
    }

    void fontsAndColoursFollowTheirGroups() {
        TForm1& form = *bench->form;
        const QString rounded = QStringLiteral("Arial Rounded MT Bold");
        const QString sansSerif = QStringLiteral("MS Sans Serif");
        QCOMPARE(form.font().families().value(0), sansSerif);
        QCOMPARE(form.font().pixelSize(), 11);
        QCOMPARE(form.DBGrid1->horizontalHeader()->font().families().value(0), sansSerif);
        QCOMPARE(form.DBGrid2->horizontalHeader()->font().families().value(0), sansSerif);
        QCOMPARE(form.DBGrid2->horizontalHeader()->font().pixelSize(), 11);
        for (QLabel* label : {form.Label1, form.Label2}) {
            QCOMPARE(label->font().families().value(0), rounded);
            QCOMPARE(label->font().pixelSize(), 19);
            QCOMPARE(label->palette().color(QPalette::Active, QPalette::WindowText), kNavy);
        }

        // Whatever family stands in for the rounded one, every caption fits its button, and the
        // buttons of a group share one size: at most 19 px for the preview buttons and
        // "Fechar Tudo", at most 16 px for the migrate buttons.
        QList<QPushButton*> navy;
        for (const char* name : kPreviewButtons) navy << bench->button(name);
        QList<QPushButton*> green;
        for (const char* name : kMigrateButtons) green << bench->button(name);
        const int navySize = navy.front()->font().pixelSize();
        const int greenSize = green.front()->font().pixelSize();
        QVERIFY(navySize <= 19 && navySize >= 8);
        QVERIFY(greenSize <= 16 && greenSize >= 8);
        auto check = [&](QPushButton* b, int size, const QColor& colour) {
            QCOMPARE(b->font().families().value(0), rounded);
            QCOMPARE(b->font().pixelSize(), size);
            QVERIFY2(b->sizeHint().width() <= b->width(), qPrintable(b->objectName() + " cuts its caption"));
            QCOMPARE(b->palette().color(QPalette::Active, QPalette::ButtonText), colour);
            QCOMPARE(b->palette().color(QPalette::Inactive, QPalette::ButtonText), colour);
        };
        for (QPushButton* b : navy) check(b, navySize, kNavy);
        for (QPushButton* b : green) check(b, greenSize, kGreen);
        check(form.BitBtn21, navySize, kPurple);
        // A disabled migrate button is greyed as any disabled button, not green.
        QVERIFY(!green.front()->isEnabled());
        QVERIFY(green.front()->palette().color(QPalette::Disabled, QPalette::ButtonText) != kGreen);
        // An installed face named bold is not made bolder; a stand-in is asked for bold.
        for (QPushButton* b : navy) {
            if (QFontInfo(b->font()).family() != rounded) QVERIFY(b->font().bold());
        }
    }

    void focusMovesInTheWindowsOrder() {
        const QStringList order = {"BitBtn1",  "BitBtn2",  "BitBtn5",  "BitBtn3",  "BitBtn4",  "BitBtn10", "BitBtn8",
                                   "BitBtn6",  "BitBtn9",  "BitBtn11", "BitBtn12", "BitBtn15", "BitBtn13", "BitBtn14",
                                   "BitBtn20", "BitBtn18", "BitBtn16", "BitBtn19", "DBGrid1",  "BitBtn21", "DBGrid2",
                                   "BitBtn7",  "BitBtn17", "BitBtn22", "BitBtn23", "BitBtn24", "BitBtn25"};
        TForm1& form = *bench->form;
        // The chain, over every control.
        QStringList chain;
        QWidget* w = form.BitBtn1;
        do {
            if (order.contains(w->objectName()) && !chain.contains(w->objectName())) chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != form.BitBtn1);
        QCOMPARE(chain, order);

        // The Tab key walks it, skipping the disabled migrate buttons, and goes round. (The
        // grids are empty at start, so Tab leaves them.)
        QStringList expected;
        for (const QString& name : order) {
            if (!name.startsWith("BitBtn") || bench->button(qPrintable(name))->isEnabled()) expected << name;
        }
        expected << expected.front();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.BitBtn1->setFocus();
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, expected);
    }

    void thePopupMenuHasOneEntryWithoutAccelerator() {
        TForm1& form = *bench->form;
        QCOMPARE(form.PopupMenu1->objectName(), QStringLiteral("PopupMenu1"));
        QCOMPARE(form.PopupMenu1->actions().size(), 1);
        QCOMPARE(form.Esvaziartabela1->objectName(), QStringLiteral("Esvaziartabela1"));
        QCOMPARE(form.Esvaziartabela1->text(), QStringLiteral("Esvaziar tabela"));
        QVERIFY(QKeySequence::mnemonic(form.Esvaziartabela1->text()).isEmpty());
        QCOMPARE(form.DBGrid2->contextMenuPolicy(), Qt::CustomContextMenu);
        // The upper grid's own menu, "Conferir migração", has one entry too.
        QCOMPARE(form.DBGrid1->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(form.PopupMenu2->actions().size(), 1);
        QCOMPARE(form.Conferirmigracao1->objectName(), QStringLiteral("Conferirmigracao1"));
        QCOMPARE(form.Conferirmigracao1->text(), QStringLiteral("Conferir migração"));
        QVERIFY(QKeySequence::mnemonic(form.Conferirmigracao1->text()).isEmpty());
    }

    void theStartShowsNothingAndEnablesNoMigrateButton() {
        TForm1& form = *bench->form;
        QCOMPARE(bench->enabledMigrateButtons(), QStringList());
        for (const char* name : kPreviewButtons) QVERIFY(bench->button(name)->isEnabled());
        QVERIFY(form.BitBtn21->isEnabled());
        QCOMPARE(form.Label1->text(), QString());
        QCOMPARE(form.Label2->text(), QString());
        for (QTableView* grid : {form.DBGrid1, form.DBGrid2}) {
            QCOMPARE(grid->model()->objectName(), QStringLiteral("DS_FormaFarma"));
            QCOMPARE(grid->model()->rowCount(), 0);
            QCOMPARE(grid->model()->columnCount(), 0);
        }
        for (const auto& table : form.legacyTables()) QVERIFY(!table->Active());
        for (const auto& chain : bench->dm.chains()) QVERIFY(!chain->dataSet.Active());
        QCOMPARE(bench->dm.SQLConnection1.connectCount(), 0);
        QVERIFY(bench->boxes.boxes.empty());
    }

    void labelsNameTheirTextToAccessibility() {
        TForm1& form = *bench->form;
        form.Label2->setText(q("Cápsulas"));
        QCOMPARE(accessibleName(form.Label2), q("Cápsulas"));
        QVERIFY(QAccessible::queryAccessibleInterface(&form) != nullptr);
    }

    void assistiveTechnologyMeetsTheWindowAsAWindowNamedByItsTitle() {
        TForm1& form = *bench->form;
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
        QVERIFY(window != nullptr);
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), q(" Migrar dados do Quiltor para o KORVELAN 2015 ou superior"));
        // Its controls are reached from it and keep their own roles.
        const struct {
            QWidget* control;
            QAccessible::Role role;
        } controls[] = {
            {form.BitBtn1, QAccessible::Button}, {form.BitBtn21, QAccessible::Button},
            {form.DBGrid2, QAccessible::Table},  {form.Label1, QAccessible::StaticText},
        };
        for (const auto& c : controls) {
            QAccessibleInterface* control = QAccessible::queryAccessibleInterface(c.control);
            QVERIFY(control != nullptr);
            QCOMPARE(control->role(), c.role);
            QVERIFY2(window->indexOfChild(control) >= 0, qPrintable(c.control->objectName()));
            QCOMPARE(control->parent(), window);
        }
    }

    void theWindowIsCentredWithItsCornerOnTheScreen_data() {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("full hd") << QRect(0, 0, 1920, 1080) << QPoint(308, 185);
        QTest::newRow("second screen") << QRect(1920, 40, 1920, 1040) << QPoint(2228, 205);
        QTest::newRow("exactly the size") << QRect(0, 0, 1303, 709) << QPoint(0, 0);
        QTest::newRow("narrower than the window") << QRect(0, 0, 1024, 768) << QPoint(0, 29);
        QTest::newRow("smaller in both") << QRect(100, 50, 800, 600) << QPoint(100, 50);
    }
    void theWindowIsCentredWithItsCornerOnTheScreen() {
        QFETCH(QRect, area);
        QFETCH(QPoint, position);
        QCOMPARE(TForm1::centredPosition(area, QSize(1303, 709)), position);
    }

    void theWindowStartsWhereCentringPutsIt() {
        // A window of its own, not yet shown: its place is set while it is built.
        TForm1 other;
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(other.pos(), TForm1::centredPosition(area, other.size()));
    }
};

MIG_WINDOW_TEST_MAIN(WindowTest)
#include "Window_test.moc"
