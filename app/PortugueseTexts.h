#pragma once
// The toolkit's own texts in Brazilian Portuguese: the buttons and menus that Qt itself puts in
// the program's boxes ("Show Details..." becomes "Mostrar detalhes..."). Qt's translations
// (qtbase_pt_BR.qm) are loaded from its translations folder; beneath them the program supplies
// the texts its boxes show, for a machine where that file is missing or lacks them.
#include <QString>

#include <memory>

class QTranslator;

namespace mig {

class PortugueseTexts {
public:
    // Installs both for the running application (made before any window, so that every box reads
    // them). `folder` is where qtbase_pt_BR.qm is looked for; by default Qt's translations path.
    explicit PortugueseTexts(const QString& folder = defaultFolder());
    // Removes them again.
    ~PortugueseTexts();
    PortugueseTexts(const PortugueseTexts&) = delete;
    PortugueseTexts& operator=(const PortugueseTexts&) = delete;

    // Whether Qt's file was found and loaded.
    bool qtTranslationsLoaded() const { return qtLoaded_; }

    static QString defaultFolder();

private:
    std::unique_ptr<QTranslator> own_;
    std::unique_ptr<QTranslator> qt_;
    bool qtLoaded_ = false;
};

}  // namespace mig
