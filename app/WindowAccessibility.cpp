#include "app/WindowAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

#include "app/Unit1.h"

namespace mig {

namespace {

// Called for each class of an object, most derived first; the main window's own class gets the
// window role, everything else is left to the toolkit. The name stays the toolkit's: the
// window's title.
QAccessibleInterface* mainWindowInterface(const QString& className, QObject* object) {
    if (className != QLatin1String(TForm1::staticMetaObject.className())) return nullptr;
    auto* window = qobject_cast<TForm1*>(object);
    return window ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

}  // namespace

void installWindowAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(mainWindowInterface);
        return true;
    }();
    (void)installed;
}

}  // namespace mig
