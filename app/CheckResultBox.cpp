#include "app/CheckResultBox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "app/Dialogs.h"

namespace mig {

CheckResultBox::CheckResultBox(QWidget* parent, const QString& summary, const QString& details, QByteArray csv,
                               std::function<QString(const QString&)> chooseFile, QString suggestedName)
    : QDialog(parent), csv_(std::move(csv)), chooseFile_(std::move(chooseFile)),
      suggestedName_(std::move(suggestedName)) {
    setObjectName(QStringLiteral("CheckResultBox"));
    setWindowTitle(applicationTitle(QApplication::applicationFilePath()));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(summary, this);
    heading->setObjectName(QStringLiteral("summary"));
    heading->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    heading->setWordWrap(true);
    auto* detailsLabel = new QLabel(QStringLiteral("Detalhes:"), this);
    details_ = new QPlainTextEdit(this);
    details_->setObjectName(QStringLiteral("details"));
    details_->setAccessibleName(QStringLiteral("Detalhes"));
    details_->setReadOnly(true);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    details_->setLineWrapMode(QPlainTextEdit::NoWrap);
    details_->setPlainText(details.isEmpty() ? QStringLiteral("Nada a relatar.") : details);
    detailsLabel->setBuddy(details_);
    save_ = new QPushButton(QStringLiteral("Salvar como CSV..."), this);
    save_->setObjectName(QStringLiteral("saveCsv"));
    save_->setAccessibleName(save_->text());
    save_->setAutoDefault(false);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("ok"));
    ok_->setAccessibleName(ok_->text());
    ok_->setDefault(true);
    connect(save_, &QPushButton::clicked, this, &CheckResultBox::saveCsv);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    layout->addWidget(heading);
    layout->addWidget(detailsLabel);
    layout->addWidget(details_, 1);
    layout->addLayout(buttons);
    resize(820, 460);
    ok_->setFocus();
}

void CheckResultBox::saveCsv() {
    const QString path = chooseFile_ ? chooseFile_(suggestedName_) : QString();
    if (path.isEmpty()) return;
    // Written whole or not at all: an existing file is replaced only once the new one is complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv_) != csv_.size() || !file.commit()) {
        dialogs().error(QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(path, file.errorString()));
    }
}

}  // namespace mig
