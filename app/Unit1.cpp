#include "app/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

#include <algorithm>
#include <stdexcept>

#include "app/CheckResultBox.h"
#include "app/DataSetGridModel.h"
#include "app/Dialogs.h"
#include "app/LegacyGridModel.h"
#include "app/MigrationProgress.h"
#include "app/SettingChangeWatcher.h"
#include "app/UDM.h"
#include "app/WindowAccessibility.h"
#include "app/platform/BlockedCloseRequests.h"
#include "app/platform/EndRequests.h"
#include "legacy/LegacyTables.h"
#include "migrations/Check.h"
#include "migrations/EmptyTable.h"
#include "migrations/MigrationError.h"
#include "migrations/Migration.h"
#include "migrations/Procedure.h"
#include "target/field/RegionalSettings.h"
#include "target/field/Win1252.h"

namespace mig {

TForm1* Form1 = nullptr;

namespace {

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kGreen(0x00, 0x80, 0x00);
const QColor kPurple(0x80, 0x00, 0x80);

QString utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
QString fromWin1252(const std::string& text) { return QString::fromStdString(win1252ToUtf8(text)); }

// The families the window asks for, with fallbacks where a family is missing. "Arial Rounded
// MT Bold" is a bold face by itself; a fallback family is asked for in its bold weight so that
// the window keeps its look.
QFont roundedFont(int pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial Rounded MT Bold"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    if (QFontInfo(font).family() != QStringLiteral("Arial Rounded MT Bold")) font.setBold(true);
    return font;
}

QFont sansSerifFont(int pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    return font;
}

// A fallback family may be wider than the one the captions were laid out for: the buttons of
// one group then share the largest size, at most `pixels`, at which every caption of the group
// fits its button.
void fitCaptions(const std::vector<QPushButton*>& buttons, int pixels) {
    for (int size = pixels; size >= 8; --size) {
        const QFont font = roundedFont(size);
        bool fits = true;
        for (QPushButton* button : buttons) {
            button->setFont(font);
            if (button->sizeHint().width() > button->width()) fits = false;
        }
        if (fits) return;
    }
}

// Text colour for the enabled states only: a disabled button keeps the style's grey.
void colour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::ButtonText, colour);
        palette.setColor(group, QPalette::WindowText, colour);
    }
    widget->setPalette(palette);
}

// The question before "Esvaziar tabela" deletes: the table as the caption above the lower grid
// names it and the rows of it that the server holds.
QString emptyingQuestion(const QString& table, std::int64_t rows) {
    QString what;
    if (rows == 0) {
        what = QStringLiteral("Nenhum registro de %1 está gravado no banco de dados.").arg(table);
    } else if (rows == 1) {
        what = QStringLiteral("1 registro de %1 gravado no banco de dados será excluído.").arg(table);
    } else {
        what = QStringLiteral("%1 registros de %2 gravados no banco de dados serão excluídos.").arg(rows).arg(table);
    }
    return what + QStringLiteral("\nDeseja esvaziar a tabela?");
}

}  // namespace

template <class Sender, class Signal>
void TForm1::connectHandler(Sender* sender, Signal signal, Handler handler) {
    connect(sender, signal, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
}

template <class Walk>
auto TForm1::underProgress(const PairDef& pair, MigrationProgress::Walk kind, Walk walk) {
    // The progress box, when the walk lasts, closes before the final message box.
    MigrationProgress progress(this, utf8(pair.label2), progressShowAfter_);
    progress.setWalk(kind);
    walk_ = &progress;
    struct Forget {
        MigrationProgress*& walk;
        ~Forget() { walk = nullptr; }
    } forget{walk_};
    return walk(progress);
}

TForm1::TForm1(QWidget* parent) : QWidget(parent), tables_(makeLegacyTables()) {
    installWindowAccessibility();
    setObjectName(QStringLiteral("Form1"));
    for (const LegacyTableInfo& info : legacyTableList()) {
        auto* source = new LegacyGridModel(utf8(info.dataSource), legacyTable(info.component), this);
        legacySources_[info.component] = source;
    }
    buildControls();
    settingChanges_ = std::make_unique<SettingChangeWatcher>(this);
    blockedCloses_ = std::make_unique<BlockedCloseRequests>(this, [this] { closeWhileRunning(); });
    if (!Form1) Form1 = this;
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
    // The grids and their models read the legacy tables, which are members of the window and
    // go before its child widgets would: the grids and models go first.
    delete DBGrid1;
    delete DBGrid2;
    for (auto& [component, source] : legacySources_) delete source;
    for (auto& [dataSource, model] : targetSources_) delete model;
}

QPushButton* TForm1::makeButton(QPushButton*& member, std::string_view name, const QString& caption) {
    member = new QPushButton(caption, this);
    member->setObjectName(utf8(name));
    member->setAccessibleName(caption);
    member->setAutoDefault(false);
    return member;
}

void TForm1::buildControls() {
    setWindowTitle(QStringLiteral(" Migrar dados do Quiltor para o KORVELAN 2015 ou superior"));
    setFont(sansSerifFont(11));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    setAutoFillBackground(true);
    resize(1303, 709);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(545, 16, 728, 22);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(545, 348, 728, 22);
    for (QLabel* label : {Label1, Label2}) {
        label->setFont(roundedFont(19));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        colour(label, kNavy);
    }

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(544, 42, 733, 293);
    DBGrid2 = new QTableView(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setGeometry(544, 374, 733, 293);
    // Both grids are read-only: the upper one would otherwise write the legacy files, which the
    // system never does, and an edit in the lower one would wait in the dataset's cache for an
    // apply the operator never asked for (and would count as a row when a migration checks
    // whether its target is empty).
    for (QTableView* grid : {DBGrid1, DBGrid2}) {
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->horizontalHeader()->setFont(sansSerifFont(11));
        // One line of text per record, as a data grid shows it; long texts end in "...".
        grid->setWordWrap(false);
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
        grid->setModel(legacySources_.at("FormaFarma"));
    }

    QPushButton** previewMembers[] = {&BitBtn1, &BitBtn2, &BitBtn5, &BitBtn3, &BitBtn4, &BitBtn10,
                                      &BitBtn7, &BitBtn22, &BitBtn24, &BitBtn8, &BitBtn6, &BitBtn9};
    QPushButton** migrateMembers[] = {&BitBtn11, &BitBtn12, &BitBtn15, &BitBtn13, &BitBtn14, &BitBtn20,
                                      &BitBtn17, &BitBtn23, &BitBtn25, &BitBtn18, &BitBtn16, &BitBtn19};
    const Handler previewHandlers[] = {&TForm1::BitBtn1Click,  &TForm1::BitBtn2Click,  &TForm1::BitBtn5Click,
                                       &TForm1::BitBtn3Click,  &TForm1::BitBtn4Click,  &TForm1::BitBtn10Click,
                                       &TForm1::BitBtn7Click,  &TForm1::BitBtn22Click, &TForm1::BitBtn24Click,
                                       &TForm1::BitBtn8Click,  &TForm1::BitBtn6Click,  &TForm1::BitBtn9Click};
    const Handler migrateHandlers[] = {&TForm1::BitBtn11Click, &TForm1::BitBtn12Click, &TForm1::BitBtn15Click,
                                       &TForm1::BitBtn13Click, &TForm1::BitBtn14Click, &TForm1::BitBtn20Click,
                                       &TForm1::BitBtn17Click, &TForm1::BitBtn23Click, &TForm1::BitBtn25Click,
                                       &TForm1::BitBtn18Click, &TForm1::BitBtn16Click, &TForm1::BitBtn19Click};
    std::vector<QPushButton*> navyButtons;
    for (std::size_t i = 0; i < kPairs.size(); ++i) {
        const PairDef& pair = kPairs[i];
        QPushButton* preview = makeButton(*previewMembers[i], pair.previewButton, utf8(pair.previewCaption));
        preview->setGeometry(19, pair.rowTop, 345, 38);
        preview->setFont(roundedFont(19));
        colour(preview, kNavy);
        navyButtons.push_back(preview);
        connectHandler(preview, &QPushButton::clicked, previewHandlers[i]);

        QPushButton* migrateButton = makeButton(*migrateMembers[i], pair.migrateButton, QStringLiteral("=> Migrar"));
        migrateButton->setGeometry(369, pair.rowTop, 143, 38);
        migrateButton->setFont(roundedFont(16));
        colour(migrateButton, kGreen);
        migrateButton->setEnabled(false);
        connectHandler(migrateButton, &QPushButton::clicked, migrateHandlers[i]);
        migrateButtons_.push_back(migrateButton);
    }

    makeButton(BitBtn21, "BitBtn21", QStringLiteral("Fechar Tudo"));
    BitBtn21->setGeometry(19, 508, 493, 38);
    BitBtn21->setFont(roundedFont(19));
    colour(BitBtn21, kPurple);
    navyButtons.push_back(BitBtn21);
    fitCaptions(navyButtons, 19);
    fitCaptions(migrateButtons_, 16);
    connectHandler(BitBtn21, &QPushButton::clicked, &TForm1::BitBtn21Click);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Esvaziartabela1 = PopupMenu1->addAction(QStringLiteral("Esvaziar tabela"));
    Esvaziartabela1->setObjectName(QStringLiteral("Esvaziartabela1"));
    connectHandler(Esvaziartabela1, &QAction::triggered, &TForm1::Esvaziartabela1Click);
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    Conferirmigracao1 = PopupMenu2->addAction(QStringLiteral("Conferir migração"));
    Conferirmigracao1->setObjectName(QStringLiteral("Conferirmigracao1"));
    Conferirmigracao1->setEnabled(false);
    connectHandler(Conferirmigracao1, &QAction::triggered, &TForm1::Conferirmigracao1Click);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        guarded([this, pos] { PopupMenu2->popup(DBGrid1->viewport()->mapToGlobal(pos)); });
    });
    DBGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    // The menu opens through the guard: not at all while a handler runs.
    connect(DBGrid2, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        guarded([this, pos] { PopupMenu1->popup(DBGrid2->viewport()->mapToGlobal(pos)); });
    });

    QWidget* previous = nullptr;
    for (std::string_view name : kFocusOrder) {
        auto* widget = findChild<QWidget*>(utf8(name), Qt::FindDirectChildrenOnly);
        widget->setFocusPolicy(Qt::StrongFocus);
        if (previous) setTabOrder(previous, widget);
        previous = widget;
    }

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(centredPosition(screen->availableGeometry(), size()));
    }
}

QPoint TForm1::centredPosition(const QRect& area, const QSize& size) {
    // On a screen smaller than the window the top left corner stays on the screen, so that the
    // title bar and the buttons on the left can still be reached.
    const int x = area.left() + (area.width() - size.width()) / 2;
    const int y = area.top() + (area.height() - size.height()) / 2;
    return {std::max(x, area.left()), std::max(y, area.top())};
}

LegacyTable& TForm1::legacyTable(std::string_view component) const {
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        if (legacyTableList()[i].component == component) return *tables_[i];
    }
    throw std::logic_error("no legacy table " + std::string(component));
}

LegacyGridModel& TForm1::legacySource(std::string_view component) const { return *legacySources_.at(component); }

ClientDataSet& TForm1::targetDataSet(std::string_view component) const {
    DataSetChain* chain = DM ? DM->chain(component) : nullptr;
    if (!chain) throw std::logic_error("no target dataset " + std::string(component));
    return chain->dataSet;
}

DataSetGridModel& TForm1::targetSource(DataSource& source) {
    auto it = targetSources_.find(&source);
    if (it == targetSources_.end()) it = targetSources_.emplace(&source, new DataSetGridModel(source, this)).first;
    return *it->second;
}

void TForm1::guarded(const std::function<void()>& handler) {
    // One handler at a time: the one running may be walking tables that another would close
    // under it. After a request to end the program none starts.
    if (running_ || endCode_) return;
    running_ = true;
    // After a request to end the program no box waits for the operator.
    auto report = [this](const QString& message, const QString& details = {}) {
        if (!endCode_ && EndRequests::pending() == 0) dialogs().error(message, details);
    };
    try {
        handler();
    } catch (const DetailedError& e) {
        report(fromWin1252(e.what()), fromWin1252(e.details()));
    } catch (const AdvisedError& e) {
        // The message ends as every error box's does; the advice, ending in its own period, follows.
        report(errorBoxText(fromWin1252(e.what())) + QLatin1Char('\n') + fromWin1252(e.advice()));
    } catch (const std::exception& e) {
        report(fromWin1252(e.what()));
    } catch (...) {
        report(QStringLiteral("Unexpected failure"));
    }
    running_ = false;
    afterHandler();
}

// What waited for the handler that just returned.
void TForm1::afterHandler() {
    // A request the handler met before any event dispatch told the window of it.
    if (const int signal = EndRequests::pending(); signal != 0 && endCode_ == 0) endCode_ = EndRequests::exitCode(signal);
    if (endCode_) {
        finishEnd();
    } else if (closeWhenIdle_) {
        closeWhenIdle_ = false;
        close();
    }
}

void TForm1::endOnRequest(int signal) {
    if (endCode_) return;
    endCode_ = EndRequests::exitCode(signal);
    // A box waiting for the operator gives up (a question answers Não); the handler that opened
    // it goes on to its end.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) box->done(QMessageBox::Cancel);
        if (auto* box = qobject_cast<CheckResultBox*>(widget); box && box->isVisible()) box->done(QDialog::Rejected);
    }
    // The running migration stops at its next record.
    if (walk_) walk_->cancel();
    if (!running_) finishEnd();
}

// Closes what is open and hands the exit code on; the data module detaches from the database
// when start-up releases it. Runs once: no handler starts after the request.
void TForm1::finishEnd() {
    try {
        CloseAllTables();
    } catch (...) {
        // Nothing is shown any more; what is still open is closed when the data module goes.
    }
    emit ended(endCode_);
}

void TForm1::preview(MasterData kind) {
    const PairDef& pair = pairOf(kind);
    LegacyTable& table = legacyTable(pair.legacyTable);
    ClientDataSet& dataSet = targetDataSet(pair.targetDataSet);
    DataSetChain* chain = DM->chain(pair.targetDataSet);
    auto showCaptionsAndBind = [&] {
        Label1->setText(utf8(pair.label1));
        Label2->setText(utf8(pair.label2));
        DBGrid1->setModel(&legacySource(pair.legacyTable));
        DBGrid2->setModel(&targetSource(chain->dataSource));
    };
    CloseAllTables();
    if (pair.paintsCaptionsFirst) {
        showCaptionsAndBind();
        QApplication::processEvents();
    }
    table.Open();
    legacySource(pair.legacyTable).refresh();
    dataSet.Open();
    if (!pair.paintsCaptionsFirst) showCaptionsAndBind();
    EnableMigrateButton(utf8(pair.legacyTable));
    setPreviewed(kind);
}

void TForm1::setPreviewed(std::optional<MasterData> kind) {
    previewed_ = kind;
    Conferirmigracao1->setEnabled(kind.has_value());
}

void TForm1::BitBtn1Click() { preview(MasterData::PharmaceuticalForms); }
void TForm1::BitBtn2Click() { preview(MasterData::Suppliers); }
void TForm1::BitBtn5Click() { preview(MasterData::Families); }
void TForm1::BitBtn3Click() { preview(MasterData::Customers); }
void TForm1::BitBtn4Click() { preview(MasterData::Physicians); }
void TForm1::BitBtn10Click() { preview(MasterData::RawMaterials); }
void TForm1::BitBtn7Click() { preview(MasterData::Capsules); }
void TForm1::BitBtn22Click() { preview(MasterData::Vehicles); }
void TForm1::BitBtn24Click() { preview(MasterData::Packaging); }
void TForm1::BitBtn8Click() { preview(MasterData::Manufacturers); }
void TForm1::BitBtn6Click() { preview(MasterData::Districts); }
void TForm1::BitBtn9Click() { preview(MasterData::DosageInstructions); }

void TForm1::BitBtn11Click() { migrate(MasterData::PharmaceuticalForms); }
void TForm1::BitBtn12Click() { migrate(MasterData::Suppliers); }
void TForm1::BitBtn15Click() { migrate(MasterData::Families); }
void TForm1::BitBtn13Click() { migrate(MasterData::Customers); }
void TForm1::BitBtn14Click() { migrate(MasterData::Physicians); }
void TForm1::BitBtn20Click() { migrate(MasterData::RawMaterials); }
void TForm1::BitBtn17Click() { migrate(MasterData::Capsules); }
void TForm1::BitBtn23Click() { migrate(MasterData::Vehicles); }
void TForm1::BitBtn25Click() { migrate(MasterData::Packaging); }
void TForm1::BitBtn18Click() { migrate(MasterData::Manufacturers); }
void TForm1::BitBtn16Click() { migrate(MasterData::Districts); }
void TForm1::BitBtn19Click() { migrate(MasterData::DosageInstructions); }

void TForm1::migrate(MasterData kind) {
    const PairDef& pair = pairOf(kind);
    const MigrationDef& def = migrationOf(kind);
    const MigrationReport report = underProgress(pair, MigrationProgress::Walk::Migration, [&](MigrationProgress& progress) {
        return runMigration(def, legacyTable(def.legacyTable), targetDataSet(def.targetDataSet), DM->SQLQuery1,
                            &progress);
    });
    // Stopped by a request to end the program: no box waits for the operator.
    if (endCode_ || EndRequests::pending() != 0) return;
    dialogs().information(fromWin1252(report.text), fromWin1252(report.details));
}

void TForm1::Conferirmigracao1Click() {
    if (!previewed_) return;
    const MasterData kind = *previewed_;
    const PairDef& pair = pairOf(kind);
    const MigrationDef& def = migrationOf(kind);
    const CheckReport report = underProgress(pair, MigrationProgress::Walk::Check, [&](MigrationProgress& progress) {
        return runCheck(def, legacyTable(def.legacyTable), targetDataSet(def.targetDataSet), DM->SQLQuery1, &progress);
    });
    if (endCode_ || EndRequests::pending() != 0) return;
    if (report.end == CheckReport::End::Cancelled) {
        dialogs().information(fromWin1252(report.summary));
        return;
    }
    const std::string csv = report.csv();
    dialogs().checkResult(fromWin1252(report.summary), fromWin1252(report.details()),
                          QByteArray(csv.data(), static_cast<qsizetype>(csv.size())),
                          QStringLiteral("Conferencia %1.csv").arg(utf8(pair.label1)));
}

void TForm1::BitBtn21Click() { CloseAllTables(); }

void TForm1::CloseAllTables() {
    for (auto& table : tables_) table->Close();
    for (auto& [component, source] : legacySources_) source->refresh();
    if (DM) {
        for (const auto& chain : DM->chains()) chain->dataSet.Close();
    }
    Label1->setText(QString());
    for (QPushButton* button : migrateButtons_) button->setEnabled(false);
    setPreviewed(std::nullopt);
}

void TForm1::EnableMigrateButton(const QString& key) {
    for (QPushButton* button : migrateButtons_) button->setEnabled(false);
    for (std::size_t i = 0; i < kPairs.size(); ++i) {
        if (key == utf8(kPairs[i].legacyTable)) migrateButtons_[i]->setEnabled(true);
    }
}

void TForm1::Esvaziartabela1Click() {
    const EmptyCase* found = findEmptyCase(Label2->text().toStdString());
    if (!found) return;
    // The grid may show nothing (after "Fechar Tudo") or not yet what others stored: the question
    // counts on the server what the deletion takes (for the components, one group).
    const std::int64_t rows = storedRows(*found, DM->SQLQuery1);
    if (!dialogs().question(emptyingQuestion(Label2->text(), rows))) return;
    emptyTable(*found, targetDataSet(found->dataSet), DM->SQLConnection1);
}

void TForm1::FormClose() { CloseAllTables(); }

void TForm1::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        closeWhileRunning();
        return;
    }
    if (!endCode_) guarded([this] { FormClose(); });
    event->accept();
}

// A close request while a handler runs, as a close event or from the window system while the
// progress box blocks the window: during a walk the operator is asked whether to cancel it, and
// the window closes once the handler has returned.
void TForm1::closeWhileRunning() {
    if (!running_ || askingToClose_) return;
    if (walk_ && !walk_->cancelled() && !endCode_) {
        const QString question = walk_->closeQuestion();
        askingToClose_ = true;
        const bool yes = dialogs().question(question);
        askingToClose_ = false;
        if (!yes) return;
        // The box's question ran inside the migration's event dispatch: it is still walking.
        if (walk_) walk_->cancel();
    }
    closeWhenIdle_ = true;
}

void TForm1::changeEvent(QEvent* event) {
    // The system announced new regional settings (SettingChangeWatcher), or Qt's locale changed.
    if (event->type() == QEvent::LocaleChange) {
        setRegional(systemRegionalSettings());
        // The grids show numbers and dates with the new separators at once.
        DBGrid1->viewport()->update();
        DBGrid2->viewport()->update();
    }
    QWidget::changeEvent(event);
}

}  // namespace mig
