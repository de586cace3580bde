#include "kit/Repaint.h"

#include <QApplication>
#include <QWidget>

namespace vek {

void RepaintAllWindows() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->isVisible())
            QCoreApplication::sendPostedEvents(w, QEvent::UpdateRequest);
    }
}

} // namespace vek
