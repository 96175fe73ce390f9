#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zfm {

class Station;

// "AUTO &PS, RT": the static PS, the automatic PS and RT update from the
// playout program's text files, "Insert DATE", the title display and the
// RadioText.
class AutoPsPage : public QWidget {
    Q_OBJECT
public:
    explicit AutoPsPage(Station &station, QWidget *parent = nullptr);
    void refresh();

signals:
    // The operator clicked the title display.
    void titleClicked();

private:
    void browse(bool forPs);

    Station &station_;
    QLineEdit *staticPs_;
    QRadioButton *psYes_;
    QRadioButton *psNo_;
    QRadioButton *rtYes_;
    QRadioButton *rtNo_;
    QCheckBox *insertDate_;
    QCheckBox *changedOnly_;
    QLineEdit *psPath_;
    QLineEdit *rtPath_;
    QLineEdit *title_;
    QLineEdit *radioText_;
};

// Opens a file chooser for a title file, starting in the folder of `path`
// (the home folder when that folder does not exist). Empty when cancelled.
QString chooseTextFile(QWidget *parent, const QString &path);

} // namespace zfm
