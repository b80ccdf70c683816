#include "app/Dialogs.h"

#include "app/CheckResultBox.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace mig {

QString applicationTitle(const QString& executableFileName) {
    QString name = QFileInfo(executableFileName).fileName();
    const int dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    if (name.size() > 1) name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
    return message;
}

namespace {

QString title() { return applicationTitle(QApplication::applicationFilePath()); }

void show(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& details) {
    QMessageBox box(icon, title(), text, QMessageBox::Ok, parent);
    if (!details.isEmpty()) box.setDetailedText(details);
    box.exec();
}

}  // namespace

void MessageBoxDialogs::error(const QString& message, const QString& details) {
    show(parent_, QMessageBox::Critical, errorBoxText(message), details);
}

void MessageBoxDialogs::information(const QString& text, const QString& details) {
    show(parent_, QMessageBox::NoIcon, text, details);
}

bool MessageBoxDialogs::question(const QString& text) {
    QMessageBox box(QMessageBox::Question, title(), text, QMessageBox::NoButton, parent_);
    QPushButton* yes = box.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void Dialogs::checkResult(const QString& summary, const QString& details, const QByteArray&, const QString&) {
    information(summary, details);
}

QString Dialogs::saveFileName(const QString&) { return {}; }

void MessageBoxDialogs::checkResult(const QString& summary, const QString& details, const QByteArray& csv,
                                    const QString& suggestedName) {
    CheckResultBox box(parent_, summary, details, csv, [this](const QString& name) { return saveFileName(name); },
                       suggestedName);
    box.exec();
}

QString MessageBoxDialogs::saveFileName(const QString& suggestedName) {
    return QFileDialog::getSaveFileName(parent_, QStringLiteral("Salvar a conferência como CSV"),
                                        QDir::home().filePath(suggestedName),
                                        QStringLiteral("Arquivos CSV (*.csv)"));
}

namespace {
MessageBoxDialogs gDefault(nullptr);
Dialogs* gCurrent = &gDefault;
}  // namespace

Dialogs& dialogs() { return *gCurrent; }

Dialogs* setDialogs(Dialogs* replacement) {
    Dialogs* previous = gCurrent;
    gCurrent = replacement ? replacement : &gDefault;
    return previous;
}

}  // namespace mig
