#pragma once
// The progress box of a long migration: modal to the whole application, it shows the table,
// the records done of the legacy table's total, records per second and the time left, and has a
// "Cancelar" button that stops the migration between two records. Esc and a close request of
// the box (its own or the window manager's) mean "Cancelar" too: the box never goes while the
// migration runs. A request to end the program (EndRequests) stops the migration the same way,
// at the next record, box or no box. A migration that ends within the first half second shows
// no box at all. The box repaints a few times a second, never per record, and closes before the
// final message box.
#include <QString>

#include <chrono>
#include <cstdint>

#include "migrations/Procedure.h"

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace mig {

class MigrationProgress : public MigrationObserver {
public:
    using Clock = std::chrono::steady_clock;

    // `table` is the table's name as the operator knows it ("Clientes").
    MigrationProgress(QWidget* parent, QString table,
                      std::chrono::milliseconds showAfter = std::chrono::milliseconds(500),
                      std::chrono::milliseconds updateEvery = std::chrono::milliseconds(250));
    ~MigrationProgress() override;
    MigrationProgress(const MigrationProgress&) = delete;
    MigrationProgress& operator=(const MigrationProgress&) = delete;

    void started(std::int64_t total) override;
    bool recordDone(std::int64_t done) override;
    void finished() override;

    // Stops the migration after the current record, as "Cancelar" does.
    void cancel();

    // What walks: a migration, or the check of one ("Conferir migração"), which the box's
    // heading and the question of a close request name.
    enum class Walk : std::uint8_t { Migration, Check };
    void setWalk(Walk walk) { walk_ = walk; }
    Walk walk() const { return walk_; }
    // The question of a close request while the walk runs.
    QString closeQuestion() const;

    // The box while it is shown (tests press its button); nullptr otherwise.
    QDialog* box() const { return box_; }
    bool cancelled() const { return cancelled_; }
    const QString& table() const { return table_; }
    bool wasShown() const { return shown_; }

    // Seconds left for `total` records after `done`, from the time per record measured at two
    // points of the run: the time per record grows with the records already stored when each
    // record re-reads the target (row by row), and stays flat in the batch form.
    static double secondsLeft(std::int64_t done, std::int64_t total, double perRecordEarlier,
                              std::int64_t doneEarlier, double perRecordNow);

private:
    void show();
    void update(std::int64_t done, Clock::time_point now);

    QWidget* parent_;
    QString table_;
    std::chrono::milliseconds showAfter_;
    std::chrono::milliseconds updateEvery_;
    std::int64_t total_ = 0;
    Clock::time_point start_{};
    Clock::time_point lastUpdate_{};
    // The time per record over the last stretch, and over the one before it.
    std::int64_t markDone_ = 0;
    Clock::time_point markTime_{};
    double perRecordEarlier_ = 0;
    std::int64_t doneEarlier_ = 0;
    double perRecordNow_ = 0;
    std::int64_t doneNow_ = 0;
    Walk walk_ = Walk::Migration;
    bool cancelled_ = false;
    bool shown_ = false;
    QDialog* box_ = nullptr;
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace mig
