#include "app/DelayPumping.h"

#include <QEventLoop>
#include <QTimer>

namespace vorlune {

void DelayPumping(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace vorlune
