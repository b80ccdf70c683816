#pragma once
// The main window `Form1` (class `TForm1`): twelve rows of a preview button and a migrate button,
// "Fechar Tudo", the legacy table of the current pair in the upper grid and its target dataset in
// the lower grid, and the popup menu that empties the target table shown.
//
// The window is created before the data module; it refers to `DM` only inside its handlers.
#include <QWidget>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "app/MigrationProgress.h"
#include "app/Pairs.h"

class QLabel;
class QMenu;
class QAction;
class QPushButton;
class QTableView;

namespace mig {

class LegacyTable;
class SettingChangeWatcher;
class BlockedCloseRequests;
class LegacyGridModel;
class DataSetGridModel;
class DataSource;
class ClientDataSet;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    QLabel* Label1;
    QLabel* Label2;
    QTableView* DBGrid1;
    QTableView* DBGrid2;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3, *BitBtn4, *BitBtn5, *BitBtn6, *BitBtn7, *BitBtn8,
        *BitBtn9, *BitBtn10, *BitBtn11, *BitBtn12, *BitBtn13, *BitBtn14, *BitBtn15, *BitBtn16,
        *BitBtn17, *BitBtn18, *BitBtn19, *BitBtn20, *BitBtn21, *BitBtn22, *BitBtn23, *BitBtn24,
        *BitBtn25;
    QMenu* PopupMenu1;
    QAction* Esvaziartabela1;
    // The upper grid's popup menu: "Conferir migração", available while a pair is previewed.
    QMenu* PopupMenu2;
    QAction* Conferirmigracao1;

    // The twelve legacy tables and their data sources belong to the window.
    LegacyTable& legacyTable(std::string_view component) const;
    LegacyGridModel& legacySource(std::string_view component) const;
    const std::vector<std::unique_ptr<LegacyTable>>& legacyTables() const { return tables_; }

    // The handlers: each button and the popup entry runs its own, and the window's close runs
    // FormClose, always through guarded(). They are virtual so that a window derived from this
    // one (the tests') sees which handler an event runs.
    // Preview handlers.
    virtual void BitBtn1Click();
    virtual void BitBtn2Click();
    virtual void BitBtn5Click();
    virtual void BitBtn3Click();
    virtual void BitBtn4Click();
    virtual void BitBtn10Click();
    virtual void BitBtn7Click();
    virtual void BitBtn22Click();
    virtual void BitBtn24Click();
    virtual void BitBtn8Click();
    virtual void BitBtn6Click();
    virtual void BitBtn9Click();
    // Migrate handlers.
    virtual void BitBtn11Click();
    virtual void BitBtn12Click();
    virtual void BitBtn15Click();
    virtual void BitBtn13Click();
    virtual void BitBtn14Click();
    virtual void BitBtn20Click();
    virtual void BitBtn17Click();
    virtual void BitBtn23Click();
    virtual void BitBtn25Click();
    virtual void BitBtn18Click();
    virtual void BitBtn16Click();
    virtual void BitBtn19Click();
    // "Fechar Tudo".
    virtual void BitBtn21Click();
    // "Esvaziar tabela".
    virtual void Esvaziartabela1Click();
    // "Conferir migração": what the previewed pair's migration would cut, refuse or leave out.
    virtual void Conferirmigracao1Click();
    virtual void FormClose();

    void CloseAllTables();
    void EnableMigrateButton(const QString& key);

    // Runs a handler the way every event runs one: whatever it raises is shown in an error box
    // and the window stays usable. No exception crosses the event loop. While one handler runs
    // (a migration walking its table, a preview painting its captions, a box waiting for the
    // operator) the events dispatched meanwhile start no other: guarded() returns at once.
    void guarded(const std::function<void()>& handler);
    bool handlerRunning() const { return running_; }

    // The answer to a request from the system to end the program (EndRequests::requested): the
    // boxes open are closed and no other opens; a running migration stops at its next record as
    // "Cancelar" stops it and shows no final box. When no handler runs any more, everything is
    // closed and `ended` is emitted with the exit code for the signal.
    void endOnRequest(int signal);

    // How long a walk (a migration, a check) runs before its progress box shows: half a second,
    // so that a short walk shows none.
    void setProgressShowAfter(std::chrono::milliseconds delay) { progressShowAfter_ = delay; }

    // Where the window goes on a screen's available area: centred, its top left corner kept
    // on the screen.
    static QPoint centredPosition(const QRect& area, const QSize& size);

signals:
    // Everything is closed after a request to end the program; the event loop should end with
    // `exitCode`.
    void ended(int exitCode);

protected:
    // Closing the window while a migration runs asks whether to cancel it; Sim cancels it as
    // "Cancelar" does and the window closes once the migration has stopped and told its end.
    // While another handler runs the window closes once it has returned.
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    using Handler = void (TForm1::*)();
    // Connects `signal` of `sender` to the handler, run through guarded().
    template <class Sender, class Signal>
    void connectHandler(Sender* sender, Signal signal, Handler handler);
    // Runs `walk` (a migration or a check of `pair`) under the progress box, which it is given.
    template <class Walk>
    auto underProgress(const PairDef& pair, MigrationProgress::Walk kind, Walk walk);
    void buildControls();
    // What the preview and migrate handlers of a kind of master data do.
    void preview(MasterData kind);
    void migrate(MasterData kind);
    // The pair previewed, if any: set by a preview that succeeded, cleared by CloseAllTables.
    void setPreviewed(std::optional<MasterData> kind);
    DataSetGridModel& targetSource(DataSource& source);
    ClientDataSet& targetDataSet(std::string_view component) const;
    QPushButton* makeButton(QPushButton*& member, std::string_view name, const QString& caption);
    void afterHandler();
    void closeWhileRunning();
    void finishEnd();

    std::vector<std::unique_ptr<LegacyTable>> tables_;
    std::map<std::string_view, LegacyGridModel*> legacySources_;
    std::map<const DataSource*, DataSetGridModel*> targetSources_;
    std::vector<QPushButton*> migrateButtons_;
    std::optional<MasterData> previewed_;
    std::chrono::milliseconds progressShowAfter_{500};
    bool running_ = false;                  // a handler runs (guarded)
    MigrationProgress* walk_ = nullptr;     // the running migration's progress, while it walks
    bool closeWhenIdle_ = false;            // a close request waits for the running handler
    int endCode_ = 0;                       // the exit code once an end has been requested
    bool askingToClose_ = false;            // the question of a close request during a walk is up
    std::unique_ptr<SettingChangeWatcher> settingChanges_;
    std::unique_ptr<BlockedCloseRequests> blockedCloses_;
};

extern TForm1* Form1;

}  // namespace mig
