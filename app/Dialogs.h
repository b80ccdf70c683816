#pragma once
// How the program speaks to the operator: error boxes, information boxes and questions.
// The window goes through this interface only, so tests replace it with a recorder.
#include <QByteArray>
#include <QString>

class QWidget;

namespace mig {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Error icon, the application's title as caption; `message` as the failure gave it.
    virtual void error(const QString& message, const QString& details = {}) = 0;
    // The text and an OK button, no icon.
    virtual void information(const QString& text, const QString& details = {}) = 0;
    // Sim / Não, Não the default; true for Sim.
    virtual bool question(const QString& text) = 0;
    // What "Conferir migração" found: the summary, the details (selectable), and "Salvar como
    // CSV..." writing `csv` into the file chosen in saveFileName. By default an information box
    // with the details.
    virtual void checkResult(const QString& summary, const QString& details, const QByteArray& csv,
                             const QString& suggestedName);
    // The save dialog for a CSV file: the path chosen, or empty when the operator gives up.
    // By default nothing is chosen.
    virtual QString saveFileName(const QString& suggestedName);
};

// The title of every box: the executable's file name up to its first period, every character
// after the first in lower case ("MIGRADOR.EXE" -> "Migrador").
QString applicationTitle(const QString& executableFileName);

// The text of an error box: the message with a period appended when its last character sorts
// after the period.
QString errorBoxText(const QString& message);

// Modal QMessageBox boxes over `parent`.
class MessageBoxDialogs : public Dialogs {
public:
    explicit MessageBoxDialogs(QWidget* parent) : parent_(parent) {}
    void error(const QString& message, const QString& details = {}) override;
    void information(const QString& text, const QString& details = {}) override;
    bool question(const QString& text) override;
    void checkResult(const QString& summary, const QString& details, const QByteArray& csv,
                     const QString& suggestedName) override;
    QString saveFileName(const QString& suggestedName) override;

private:
    QWidget* parent_;
};

// The dialogs in force for the program.
Dialogs& dialogs();
// Replaces them (tests); returns the previous ones.
Dialogs* setDialogs(Dialogs* replacement);

}  // namespace mig
