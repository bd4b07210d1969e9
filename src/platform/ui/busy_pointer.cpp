#include "platform/ui/busy_pointer.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>

namespace lumbrook::platform {

// Qt keeps override pointers on a stack: restoring pops exactly the one set here and brings
// back whatever was in effect before it.
BusyPointer::BusyPointer() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        active_ = true;
    }
}

BusyPointer::~BusyPointer() {
    if (active_)
        QGuiApplication::restoreOverrideCursor();
}

bool BusyPointerShown() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

}  // namespace lumbrook::platform
