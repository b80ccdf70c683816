#include "app/MigrationProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "app/Dialogs.h"
#include "app/platform/EndRequests.h"

namespace mig {

namespace {

double seconds(MigrationProgress::Clock::duration d) { return std::chrono::duration<double>(d).count(); }

QString clockText(double secondsLeft) {
    const auto total = static_cast<long long>(std::llround(std::max(0.0, secondsLeft)));
    const long long h = total / 3600, m = (total / 60) % 60, s = total % 60;
    if (h > 0) return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

// Esc (reject) and every close request cancel instead of closing: the box is hidden only by the
// end of the migration.
class ProgressDialog : public QDialog {
public:
    ProgressDialog(QWidget* parent, MigrationProgress& progress) : QDialog(parent), progress_(progress) {}
    void reject() override { progress_.cancel(); }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        progress_.cancel();
    }

private:
    MigrationProgress& progress_;
};

}  // namespace

MigrationProgress::MigrationProgress(QWidget* parent, QString table, std::chrono::milliseconds showAfter,
                                     std::chrono::milliseconds updateEvery)
    : parent_(parent), table_(std::move(table)), showAfter_(showAfter), updateEvery_(updateEvery) {}

MigrationProgress::~MigrationProgress() { finished(); }

void MigrationProgress::started(std::int64_t total) {
    total_ = total;
    start_ = Clock::now();
    lastUpdate_ = start_;
    markTime_ = start_;
    markDone_ = 0;
}

double MigrationProgress::secondsLeft(std::int64_t done, std::int64_t total, double perRecordEarlier,
                                      std::int64_t doneEarlier, double perRecordNow) {
    const auto left = static_cast<double>(std::max<std::int64_t>(0, total - done));
    if (left == 0) return 0;
    // Time per record taken as a + b * k for the k-th record, b from the two measurements.
    double b = 0;
    if (doneEarlier > 0 && done > doneEarlier && perRecordEarlier > 0) {
        b = std::max(0.0, (perRecordNow - perRecordEarlier) / static_cast<double>(done - doneEarlier));
    }
    const double a = perRecordNow - b * static_cast<double>(done);
    const auto n = static_cast<double>(done);
    const auto N = static_cast<double>(total);
    return a * left + b * (N * N - n * n) / 2;
}

bool MigrationProgress::recordDone(std::int64_t done) {
    if (EndRequests::pending() != 0) return false;
    const Clock::time_point now = Clock::now();
    if (now - lastUpdate_ < updateEvery_ && shown_) return !cancelled_;
    if (!shown_ && now - start_ < showAfter_) return !cancelled_;
    // A new stretch of the time per record, measured since the last mark.
    if (done > markDone_) {
        perRecordEarlier_ = perRecordNow_;
        doneEarlier_ = doneNow_;
        perRecordNow_ = seconds(now - markTime_) / static_cast<double>(done - markDone_);
        doneNow_ = done;
        markDone_ = done;
        markTime_ = now;
    }
    if (!shown_) show();
    update(done, now);
    QApplication::processEvents();
    return !cancelled_ && EndRequests::pending() == 0;
}

void MigrationProgress::cancel() {
    if (cancelled_) return;
    cancelled_ = true;
    if (cancelButton_) cancelButton_->setEnabled(false);
    if (label_) label_->setText(label_->text() + QStringLiteral("\nCancelando depois do registro atual..."));
}

QString MigrationProgress::closeQuestion() const {
    if (walk_ == Walk::Check) {
        return QStringLiteral("A conferência da tabela de %1 está em andamento.\n"
                              "Deseja cancelá-la e fechar a janela?")
            .arg(table_);
    }
    return QStringLiteral("A migração da tabela de %1 está em andamento.\n"
                          "Deseja cancelá-la e fechar a janela?")
        .arg(table_);
}

void MigrationProgress::show() {
    shown_ = true;
    box_ = new ProgressDialog(parent_, *this);
    box_->setObjectName(QStringLiteral("MigrationProgress"));
    box_->setWindowTitle(applicationTitle(QApplication::applicationFilePath()));
    box_->setWindowModality(Qt::ApplicationModal);
    // The box closes only when the migration ends; closing it by hand cancels.
    box_->setWindowFlag(Qt::WindowCloseButtonHint, false);
    auto* layout = new QVBoxLayout(box_);
    auto* heading = new QLabel(walk_ == Walk::Check ? QStringLiteral("Conferindo a migração da tabela de %1...").arg(table_)
                                                    : QStringLiteral("Migrando a tabela de %1...").arg(table_),
                               box_);
    heading->setObjectName(QStringLiteral("heading"));
    label_ = new QLabel(box_);
    label_->setObjectName(QStringLiteral("status"));
    bar_ = new QProgressBar(box_);
    bar_->setObjectName(QStringLiteral("bar"));
    bar_->setRange(0, 1000);
    cancelButton_ = new QPushButton(QStringLiteral("Cancelar"), box_);
    cancelButton_->setObjectName(QStringLiteral("Cancelar"));
    cancelButton_->setAccessibleName(QStringLiteral("Cancelar"));
    cancelButton_->setEnabled(!cancelled_);
    QObject::connect(cancelButton_, &QPushButton::clicked, box_, [this] { cancel(); });
    layout->addWidget(heading);
    layout->addWidget(bar_);
    layout->addWidget(label_);
    layout->addWidget(cancelButton_, 0, Qt::AlignRight);
    box_->setMinimumWidth(420);
    box_->show();
}

void MigrationProgress::update(std::int64_t done, Clock::time_point now) {
    lastUpdate_ = now;
    if (!box_) return;
    const double elapsed = seconds(now - start_);
    const double rate = elapsed > 0 ? static_cast<double>(done) / elapsed : 0;
    const double left = secondsLeft(done, total_, perRecordEarlier_, doneEarlier_, perRecordNow_);
    bar_->setValue(total_ > 0 ? static_cast<int>(1000 * done / total_) : 0);
    QString text = QStringLiteral("%1 de %2 registros\n%3 registros por segundo\nTempo restante: cerca de %4")
                       .arg(done)
                       .arg(total_)
                       .arg(QString::number(rate, 'f', rate < 10 ? 1 : 0))
                       .arg(clockText(left));
    if (cancelled_) text += QStringLiteral("\nCancelando depois do registro atual...");
    label_->setText(text);
}

void MigrationProgress::finished() {
    if (box_) {
        box_->hide();
        delete box_;
        box_ = nullptr;
        label_ = nullptr;
        bar_ = nullptr;
        cancelButton_ = nullptr;
    }
}

}  // namespace mig
