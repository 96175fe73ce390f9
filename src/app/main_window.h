#pragma once

#include <QMainWindow>

namespace zfm {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
};

} // namespace zfm
