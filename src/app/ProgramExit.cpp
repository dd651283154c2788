#include "app/ProgramExit.h"

#include <QCoreApplication>

namespace vorlune {

void EventLoopExit::EndProcess(int code) {
    QCoreApplication::exit(code);
}

}  // namespace vorlune
