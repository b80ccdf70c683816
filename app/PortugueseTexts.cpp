#include "app/PortugueseTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstring>

namespace mig {

namespace {

// The toolkit's texts that the program's boxes show: the details button of every box with
// details, and the menu of the details text.
struct Text {
    const char* context;
    const char* english;
    const char* portuguese;  // UTF-8
};
constexpr Text kTexts[] = {
    {"QMessageBox", "Show Details...", "Mostrar detalhes..."},
    {"QMessageBox", "Hide Details...", "Ocultar detalhes..."},
    {"QWidgetTextControl", "&Copy", "&Copiar"},
    {"QWidgetTextControl", "Select All", "Selecionar tudo"},
    {"QWidgetTextControl", "Copy &Link Location", "Copiar &endereço do link"},
};

class OwnTexts : public QTranslator {
public:
    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (!context || !sourceText) return {};
        for (const Text& t : kTexts) {
            if (std::strcmp(t.context, context) == 0 && std::strcmp(t.english, sourceText) == 0) {
                return QString::fromUtf8(t.portuguese);
            }
        }
        return {};
    }
    bool isEmpty() const override { return false; }
};

}  // namespace

QString PortugueseTexts::defaultFolder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

PortugueseTexts::PortugueseTexts(const QString& folder) : own_(std::make_unique<OwnTexts>()) {
    // The translator installed last is asked first: Qt's file before the program's own texts.
    QCoreApplication::installTranslator(own_.get());
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_pt_BR"), folder)) {
        QCoreApplication::installTranslator(qt.get());
        qt_ = std::move(qt);
        qtLoaded_ = true;
    }
}

PortugueseTexts::~PortugueseTexts() {
    if (qt_) QCoreApplication::removeTranslator(qt_.get());
    QCoreApplication::removeTranslator(own_.get());
}

}  // namespace mig
