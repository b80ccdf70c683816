#pragma once
// The box that shows what "Conferir migração" found: the summary line, the details one per line
// in a read-only text the operator can select and copy, "Salvar como CSV..." and OK. The CSV is
// written only when the operator asks for it, in the file chosen in the save dialog; it is the
// only file the program ever writes.
#include <QByteArray>
#include <QDialog>
#include <QString>

#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace mig {

class CheckResultBox : public QDialog {
    Q_OBJECT
public:
    // `chooseFile` asks for the file to write (the save dialog), given a suggested name; empty
    // when the operator gives up.
    CheckResultBox(QWidget* parent, const QString& summary, const QString& details, QByteArray csv,
                   std::function<QString(const QString& suggested)> chooseFile, QString suggestedName);

    QPlainTextEdit* detailsView() const { return details_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* okButton() const { return ok_; }

    // What "Salvar como CSV..." does: asks for the file and writes it. A file that cannot be
    // written is told in an error box; nothing else is touched.
    void saveCsv();

private:
    QByteArray csv_;
    std::function<QString(const QString&)> chooseFile_;
    QString suggestedName_;
    QPlainTextEdit* details_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace mig
