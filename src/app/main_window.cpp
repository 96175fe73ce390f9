#include "app/main_window.h"

namespace zfm {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent) { setWindowTitle(QStringLiteral("ZephyrineFM+")); }

} // namespace zfm
